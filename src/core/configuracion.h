#pragma once
// The key/value rows of TA_CONFIGURACION: Cfg and GrabaCfg on the main
// database, CfgJQ and GrabaCfgJQ on the statistics database (gDB2), and
// LeeTimeOut, which opens that database at start-up and reads the command
// time-out from it.
#include "platform/legacy/variant.h"

#include <QString>

namespace ModGlobal {

// Table used by Cfg and GrabaCfg ("TA_CONFIGURACION" when blank).
extern QString TablaConfiguracion;
// The command time-out in seconds (45 unless the statistics database says otherwise).
extern int gTimeOut;

// GrabaCfg's Modo that deletes the key's row.
constexpr int kModoBorrar = -1;

// The value of a key; " " when the key has no row, "" when the main
// connection is not open or the read failed. ValorAux receives valoraux.
// Group "DATOS" (any case) does not restrict the group.
QString Cfg(const QString& Clave, QString& ValorAux, const QString& Grupo = QStringLiteral("DATOS"));
QString Cfg(const QString& Clave);
// Inserts or updates the key's row (stored trimmed and upper-cased); Modo
// kModoBorrar deletes it instead (nothing happens when it has no row). An
// empty ValorAux leaves the stored auxiliary value alone. Ignores failures.
void GrabaCfg(const QString& Clave, const legacy::Variant& Valor, const QString& ValorAux = {},
              bool PoliticaNegocio = false, const QString& Grupo = QStringLiteral("DATOS"), int Recortar = 1,
              int Modo = 0);
// The same two on gDB2, by key alone.
QString CfgJQ(const QString& Clave, QString& ValorAux);
QString CfgJQ(const QString& Clave);
void GrabaCfgJQ(const QString& Clave, const legacy::Variant& Valor, const QString& ValorAux = {},
                bool PoliticaNegocio = false, const QString& Grupo = QStringLiteral("DATOS"), int Recortar = 1);
// Opens gDB2 on "KD_REGISTROSVAR" of the main server and sets gTimeOut from
// its "TimeOut" key (writing "0" there when missing or zero; 45 is used then).
// Always returns "".
QString LeeTimeOut();

}  // namespace ModGlobal
