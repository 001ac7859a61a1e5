#pragma once
// The program's settings, loaded once at start-up from TA_CONFIGURACION, the
// logged-in user's row of ta_usuarios and the company data, and kept for the
// whole run. (SSConfidencialidad lives with the database objects in
// db/modglobal_db.h.)
#include "platform/legacy/numeric.h"

#include <QString>

#include <cstdint>

namespace ModGlobal {

extern bool MostrarStockEnConsultas;
extern QString TituloClientes;
extern QString TituloProveedores;
extern QString RutaDocTareas;
extern bool ExigeClaveConsultaLike;
extern bool UsaConsultaLike;
extern QString CantidadDecimales;  // as read (" " when the key is missing)
extern bool UsaMultilesMonedas;
extern bool UsaFacturaProforma;
extern bool UsaCCosto;
extern bool UsaStockUDKG;
extern QString UnidadMedidaM3;
extern QString UnidadMedidaBL;
extern QString UnidadMedidaKG;
extern std::int16_t Periodo;
extern bool RazonSocialPorUneg;
extern bool ValidaCodigoBarra;
extern std::int32_t CFondo;  // focus colours (RGB as a Long)
extern std::int32_t CLetra;
extern bool ModuloOrdenDeTrabajo;
extern bool VModificaCPrecio;
extern bool CModificaCPrecio;
extern bool EsMaderera;
extern QString UnidadMaderaTiras;
extern QString UnidadMaderaP2;
extern QString UnidadMaderaML;
extern QString UnidadMaderaM2;
extern QString UnidadMaderaHojas;
extern QString UnidadMaderaMLP2;
extern QString UnidadMaderaM2P2;
extern QString UnidadMaderaMLM2;
extern QString CuentaCtroDist;
extern legacy::Currency MaxDto;
extern legacy::Currency MaxDtoProforma;
extern bool PideClaveStockNeg;
extern bool PideClaveMarkUpBase;
extern bool PideClaveLimiteCredito;
extern bool SSBloqueoActivo;
extern bool UtilizarFechaDia;
extern bool AsignacionAutomaticaDeLoteING;
extern bool AsignacionAutomaticaDeLoteINGOP;
extern std::int16_t CondIvaEmpresa;
extern QString CondIvaEmpresaTexto;
extern QString TopDefault;
extern QString gUNegocio;   // the user's business unit ("   1" when none)
extern QString gClasePusa;

// Loads every setting above; Ruta is the program folder with its trailing
// separator. Each failing step is skipped and the next one runs.
void CargaConfiguracion(const QString& Ruta);

// For tests: every setting back to its initial value (False, "", 0).
void ResetConfiguracion();

}  // namespace ModGlobal
