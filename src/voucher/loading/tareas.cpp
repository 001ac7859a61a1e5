// The task rows into the tasks grid and the other-concept rows into the
// other-concepts grid: the first and the third loading routines.
#include "voucher/loading/carga.h"

#include "core/modglobal.h"
#include "platform/legacy/strings.h"

using legacy::Trim;
using legacy::Variant;
using namespace carga;

namespace {

// The row loop of both grids: the first row goes into the grid's entry row,
// every later one into a row added for it, and one empty row closes.
void CargaFilas(CargaComprobante& c, const RecordsetPtr& rs, ui::MSFlexGrid& (CargaComprobante::*grilla)(),
                void (CargaComprobante::*fila)())
{
    bool vacio = true;
    if (!c.paso([&] { vacio = rs->Bof(); }) || vacio)
        return;
    bool primera = true;
    for (;;) {
        bool fin = false;
        if (!c.paso([&] { fin = rs->Eof(); }))
            return;
        if (fin)
            break;
        if (primera)
            primera = false;
        else if (!c.paso([&] { (c.*grilla)().setRows((c.*grilla)().Rows() + 1); }))
            return;
        (c.*fila)();
        if (!c.paso([&] { rs->MoveNext(); }))
            return;
    }
    c.paso([&] { (c.*grilla)().setRows((c.*grilla)().Rows() + 1); });
}

}  // namespace

void CargaComprobante::CargaTareas() { CargaFilas(*this, rsTareas, &CargaComprobante::G1, &CargaComprobante::CargaFilaTarea); }

void CargaComprobante::CargaFilaTarea()
{
    const auto pon = [&](long col, const QString& texto) { G1().setTextMatrix(G1().Rows() - 1, col, texto); };
    const auto importe = [&](const char* campo) {
        return Moneda(ConvertirMoneda ? Leido(rsTareas, campo) * Leido(rsCpte, "Cotizacion") : Leido(rsTareas, campo));
    };
    paso([&] { pon(0, Texto(rsTareas, "IDTAREA")); });
    paso([&] { pon(11, Texto(rsTareas, "IDTAREA")); });
    paso([&] { pon(1, Texto(rsTareas, "Descripcion")); });
    paso([&] {
        std::int32_t horas = 0, minutos = 0;
        pon(2, ModGlobal::MinutosAHora(legacy::Val(Texto(rsTareas, "Horas")), horas, minutos, false));
    });
    paso([&] { pon(3, importe("ValorHora")); });
    paso([&] { pon(6, importe("valorHora_S_Iva")); });
    paso([&] { pon(4, importe("Total")); });
    if (Compras)
        return;
    paso([&] { pon(7, Texto(rsTareas, "descripcionadicional")); });
    paso([&] { pon(8, Texto(rsTareas, "FechaEstInicio")); });
    paso([&] { pon(9, Texto(rsTareas, "FechaEstFin")); });
    paso([&] { pon(10, Texto(rsTareas, "IdTecnico")); });
    paso([&] { pon(12, Texto(rsTareas, "FechaREALInicio")); });
    paso([&] { pon(13, Texto(rsTareas, "FechaREALFin")); });
    paso([&] { pon(15, Variant(legacy::Val(Leido(rsTareas, "Prioridad").toString())).toString()); });
    paso([&] { pon(16, Variant(legacy::Val(Leido(rsTareas, "Usuario").toString())).toString()); });
    paso([&] { pon(17, Leido(rsTareas, "FHPRESENTACION").toString()); });
    paso([&] { pon(18, Leido(rsTareas, "FhEmision").toString()); });
    paso([&] { pon(19, Leido(rsTareas, "NroExp").toString()); });
    paso([&] { pon(20, Leido(rsTareas, "FhEntrega").toString()); });
}

void CargaComprobante::CargaObservaciones()
{
    CargaFilas(*this, rsObserv, &CargaComprobante::G3, &CargaComprobante::CargaFilaObservacion);
}

void CargaComprobante::CargaFilaObservacion()
{
    const auto pon = [&](long col, const QString& texto) { G3().setTextMatrix(G3().Rows() - 1, col, texto); };
    bool salta = false;
    paso([&] {
        salta = Programa("QUELMONTARI_DASPEROLICA") && Iguales(TC, QStringLiteral("RM")) &&
                Iguales(Texto(rsObserv, "NroViaje"), QStringLiteral("TROPA"));
    });
    if (salta)
        return;
    const auto importe = [&](const char* campo) {
        return Moneda(ConvertirMoneda ? Leido(rsObserv, campo) * Leido(rsCpte, "Cotizacion") : Leido(rsObserv, campo));
    };
    paso([&] { pon(0, Texto(rsObserv, "Observacion")); });
    paso([&] { pon(2, importe("Importe")); });
    paso([&] { pon(1, importe("Importe_S_IVA")); });
    // The first word of the text, when it is a postable account, is the
    // line's account.
    paso([&] {
        const QString texto = Trim(G3().TextMatrix(G3().Rows() - 1, 0));
        const long blanco = legacy::InStr(texto, QStringLiteral(" "));
        if (blanco <= 1)
            return;
        QString cuenta = legacy::Left(texto, blanco);
        bool porOpcional = false;
        if (!ModGlobal::ExisteCuenta(cuenta, rsCuenta, true, porOpcional))
            return;
        const Variant titulo = Crudo(rsCuenta, "Titulo");
        if (!titulo.IsNull() && !titulo.toBool())
            pon(3, Trim(cuenta));
    });
}
