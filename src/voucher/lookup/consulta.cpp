// The voucher picker's query: the mode, the statement, and one list item
// per row of the result.
#include "core/estilos.h"
#include "core/formato.h"
#include "core/modglobal.h"
#include "db/db_dll.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/listview.h"
#include "voucher/lookup/frmconscomprobantes.h"

#include <QHash>
#include <QLineEdit>
#include <QPushButton>

#include <cstring>
#include <functional>
#include <utility>
#include <vector>

using vlookup::EnGrupo;
using vlookup::Iguales;

namespace {

// A state field as a Boolean: Null (already made "" or 0) and an empty text
// count as false; anything else converts as the runtime converts it.
bool Verdadero(const legacy::Variant& v)
{
    if (v.VarType() == legacy::vbString && legacy::Trim(v.toString()).isEmpty()) return false;
    return v.toBool();
}

// A date cell: Format with the list's two patterns ("dd/mm/yy", and
// "dd/mm/yyyy hh:mm:ss" for the recording time). A date value is written
// out here directly, with the same text Format gives, since the general
// formatter reads its pattern again for every cell of a long list; any
// other value goes through Format.
QString Fecha(const legacy::Variant& v, bool conHora = false)
{
    if (v.VarType() == legacy::vbDate && ModGlobal::FormatoFecha() == QStringLiteral("dd/mm/yy")) {
        const legacy::Date d = v.toDate();
        const QDate dia = d.date();
        if (dia.isValid() && dia.year() >= 1000 && dia.year() <= 9999) {
            char16_t b[19];
            int n = 0;
            auto dos = [&](int x) {
                b[n++] = char16_t(u'0' + x / 10 % 10);
                b[n++] = char16_t(u'0' + x % 10);
            };
            dos(dia.day());
            b[n++] = u'/';
            dos(dia.month());
            b[n++] = u'/';
            if (!conHora) {
                dos(dia.year() % 100);
            } else {
                const QTime t = d.time();
                dos(dia.year() / 100);
                dos(dia.year() % 100);
                b[n++] = u' ';
                dos(t.hour());
                b[n++] = u':';
                dos(t.minute());
                b[n++] = u':';
                dos(t.second());
            }
            return QString(reinterpret_cast<const QChar*>(b), n);
        }
    }
    return legacy::Format(v, conHora ? QStringLiteral("dd/mm/yyyy hh:mm:ss") : ModGlobal::FormatoFecha());
}

}  // namespace

struct FrmConsComprobantes::Llenado {
    explicit Llenado(legacy::ErrorTrap& t) : trap(t) {}
    legacy::ErrorTrap& trap;
    int indiceImagen = 0;  // kept from row to row, as the rows of one type share it
    // The images of the type and of the states, looked up once per filling.
    int imagenTipo = -2;
    int anulado = 0, aprobado = 0, garantia = 0;
    // The position of each column named so far (-1: not in the result), so
    // that a long result is not searched by name for every cell.
    std::vector<std::pair<const char*, int>> columnas;
    // One filling asks the same supplier or order only once.
    QHash<QString, QString> proveedores;
    QHash<QString, QString> recepciones;
};

void FrmConsComprobantes::ConsultaCptes()
{
    // A column that the chosen statement lacks (3265) or a value a cell
    // refuses (380) leaves its cell empty; anything else goes to the error box.
    legacy::ErrorTrap trap(QStringLiteral("ConsultarCptes"), [](const legacy::VbError& e, const QString& rutina) {
        if (e.Number == 3265 || e.Number == 380) return int(ui::vbIgnore);
        return ModGlobal::gDB().TratamientoErrores(e, std::nullopt, rutina);
    });
    QString busqueda;
    // Opening the result and every row yield: meanwhile the window takes no
    // input but "&Cancelar" (no second search starts inside this one), and
    // once it has been closed or cancelled nothing more is done for it.
    ui::InputBlocker ocupado(this);
    ocupado.allow(CmdCancelar);
    trap([&] {
        ListView1->ListItems().Clear();
        ItemActual = nullptr;
    });
    trap([&] { ListView1->setMultiSelect(false); });
    trap([&] { ListView1->setCheckboxes(false); });
    trap([&] {
        // The mode word gives way to its plain type in TC: a later search
        // lists that type.
        const vlookup::Modo modo = vlookup::NormalizaModo(TC);
        ModoPendientes = modo.Pendientes;
        ModoTransporte = modo.Transporte;
        TC = modo.TC;
    });
    trap([&] {
        if (Iguales(TC, QStringLiteral("OC"))) ListView1->setCheckboxes(true);
    });
    trap([&] { Encolumnar(); });
    trap([&] { kapores2::Funciones::PreparaFormulario(this, false); });
    trap([&] { ModGlobal::AsignaIconoFormulario(this); });
    trap([&] {
        if (ModoTransporte) TC = QStringLiteral("RM");
    });
    trap([&] { busqueda = vlookup::FiltroBusqueda(TxtNombre->text(), TxtNumero->text()); });
    vlookup::Forma forma = vlookup::Forma::OtrosTipos;
    trap([&] { forma = vlookup::EligeForma(TC, ModoPendientes, ModoTransporte); });
    trap([&] {
        if (vlookup::QuitaWhereEnForma(forma)) Filtro = vlookup::QuitaWhere(Filtro);
    });
    QString sql;
    trap([&] { sql = vlookup::Sentencia(forma, TC, busqueda, Filtro, vlookup::LeeOpciones(forma)); });
    trap([&] { ModGlobal::gDB().AbrirRecordset(sql, RsConsulta, nullptr, 0, 1, -1, true); });
    if (trap.left()) return;
    if (!ocupado.alive()) {
        ModGlobal::gDB().CierraRecordset(RsConsulta);
        return;
    }

    // A statement the server refused has been reported by the opening; the
    // closed result is not read.
    bool hayFilas = false;
    trap([&] { hayFilas = RsConsulta && RsConsulta->State() != 0 && !RsConsulta->Bof(); });
    if (hayFilas) {
        Llenado llenado(trap);
        for (;;) {
            bool fin = true;
            trap([&] { fin = RsConsulta->Eof(); });
            if (trap.left()) return;
            if (fin) break;
            LlenaFila(llenado);
            if (trap.left()) return;
            trap([&] { RsConsulta->MoveNext(); });
            ui::DoEvents();
            if (!ocupado.alive()) {
                // Closed while filling: stop here and leave the list alone.
                ItemActual = nullptr;
                ModGlobal::gDB().CierraRecordset(RsConsulta);
                return;
            }
        }
    }
    trap([&] { ModGlobal::gDB().CierraRecordset(RsConsulta); });
}

void FrmConsComprobantes::LlenaFila(Llenado& l)
{
    // Each statement is a step of the query's trap; the step is handed over
    // by reference, so that no step of a long list allocates.
    auto trap = [&l](auto&& paso) { return l.trap(std::ref(paso)); };
    auto columna = [&](const char* nombre) {
        for (const auto& [n, i] : l.columnas)
            if (std::strcmp(n, nombre) == 0) return i;
        int indice = -1;
        const QString buscado = QString::fromLatin1(nombre);
        for (int i = 0; i < RsConsulta->Fields().Count() && indice < 0; ++i)
            if (RsConsulta->Fields(i).Name().compare(buscado, Qt::CaseInsensitive) == 0) indice = i;
        l.columnas.emplace_back(nombre, indice);
        return indice;
    };
    auto crudo = [&](const char* nombre) {
        const int i = columna(nombre);
        if (i < 0)
            throw legacy::VbError(3265, QStringLiteral("Item cannot be found in the collection corresponding to the "
                                                       "requested name or ordinal."));
        return RsConsulta->Fields(i);
    };
    auto campo = [&](const char* nombre) { return kapores2::Funciones::ValorNoNulo(crudo(nombre)); };
    auto texto = [&](const char* nombre) { return campo(nombre).toString(); };
    auto fecha = [&] { return Fecha(campo("fecha")); };
    if (l.imagenTipo == -2) {
        l.imagenTipo = ObtieneIndiceImagen(TC);
        l.anulado = ObtieneIndiceImagen(QStringLiteral("Anulado"));
        l.aprobado = ObtieneIndiceImagen(QStringLiteral("Aprobado"));
        l.garantia = ObtieneIndiceImagen(QStringLiteral("OCG"));
    }
    auto item = [this]() -> ui::ListItem& {
        if (!ItemActual) throw legacy::VbError(91, QStringLiteral("Object variable or With block variable not set"));
        return *ItemActual;
    };
    // Sub-items go in order; the counter moves on even when a value could
    // not be read.
    int n = 1;
    auto sub = [&](auto&& valor) {
        trap([&] { item().setSubItems(n, valor()); });
        ++n;
    };
    auto agrega = [&](bool soloPequeno) {
        trap([&] {
            ItemActual = nullptr;
            ui::ListItem& it = ListView1->ListItems().Add();
            ItemActual = &it;
            if (!soloPequeno) it.setIcon(l.indiceImagen);
            it.setSmallIcon(IconoPequeno(l.indiceImagen));
        });
    };
    // The rows of the typed groups: the type's image (or the guarantee's,
    // or the annulled one: the last that applies), the item, the voucher
    // date as its text.
    auto empieza = [&](bool anulable, bool conGarantia = false) {
        trap([&] { l.indiceImagen = l.imagenTipo; });
        if (conGarantia)
            trap([&] {
                if (Verdadero(campo("Garantia"))) l.indiceImagen = l.garantia;
            });
        if (anulable)
            trap([&] {
                if (Verdadero(campo("anulada"))) l.indiceImagen = l.anulado;
            });
        agrega(false);
        trap([&] { item().setText(fecha()); });
    };
    // A lookup of one value, asked once per filling.
    auto recuerda = [](QHash<QString, QString>& memoria, const QString& clave, const auto& busca) {
        auto it = memoria.constFind(clave);
        if (it != memoria.constEnd()) return *it;
        const QString valor = busca();
        memoria.insert(clave, valor);
        return valor;
    };

    if (Iguales(TC, QStringLiteral("RM")) && ModoTransporte) {
        agrega(true);
        trap([&] { item().setText(QString()); });
        sub([&] { return texto("IdComprobante"); });
        sub([&] { return texto("IdComplemento"); });
        sub(fecha);
        sub([&] { return texto("CuentaProveedor"); });
        return;
    }
    if (Iguales(TC, QStringLiteral("T3"))) {
        agrega(true);
        trap([&] { item().setText(texto("id")); });
        sub(fecha);
        sub([&] { return texto("IdComprobante"); });
        sub([&] { return texto("IdComplemento"); });
        sub([&] { return texto("FECHAENVIADO"); });
        sub([&] { return texto("FECHARECIBIDO"); });
        return;
    }
    // The purchase rows, and the rows of types other than NP, FC and RM
    // (below), have one value fewer than their six columns: their concept
    // column stays empty, so that the amount stands under IMPORTE.
    if (EnGrupo(TC, vlookup::GrupoComprasConsulta())) {
        empieza(true);
        sub([&] { return texto("IdComprobante"); });
        sub([&] { return texto("Cuenta"); });
        sub([&] { return texto("nombre"); });
        ++n;
        sub([&] { return texto("Importe"); });
        return;
    }
    if (EnGrupo(TC, vlookup::GrupoAsientos())) {
        empieza(false);
        sub([&] { return texto("Sucursal") + texto("Numero") + texto("Letra"); });
        sub([&] { return texto("Cuenta"); });
        sub([&] {
            const QString cuenta = texto("Cuenta");
            return recuerda(l.proveedores, cuenta, [&] {
                return ModGlobal::gDB()
                    .DatosTabla(QStringLiteral("VT_PROVEEDORES"), cuenta, QStringLiteral("RAZON_SOCIAL"),
                                QStringLiteral("Codigo"), legacy::Variant(8), QString(), true, false)
                    .toString();
            });
        });
        sub([&] { return texto("Detalle"); });
        sub([&] { return texto("Importe"); });
        return;
    }
    if (Iguales(TC, QStringLiteral("PR"))) {
        empieza(true);
        sub([&] { return texto("IdComprobante"); });
        sub([&] { return texto("nombre"); });
        sub([] { return QString(); });
        sub([&] { return texto("comentarios"); });
        sub([&] { return texto("Importe"); });
        return;
    }
    if (Iguales(TC, QStringLiteral("OC"))) {
        empieza(true, true);
        sub([&] { return texto("Cuenta") + QStringLiteral(" ") + texto("nombre"); });
        sub([&] { return texto("IdComprobante"); });
        sub([&] { return texto("Importe"); });
        sub([&] { return texto("comentarios"); });
        sub([&] {
            const QString orden = texto("IdComprobante");
            return recuerda(l.recepciones, orden, [&] {
                return ModGlobal::gDB()
                    .DatosTabla(QStringLiteral("v_mv_stock"), QStringLiteral("OC"), QStringLiteral("idcomprobante"),
                                QStringLiteral("TC_origen"), legacy::Variant(8),
                                QStringLiteral(" TC = 'IR' AND TC_ORIGEN = 'OC' AND IDCOMPROBANTE_ORIGEN ='") + orden +
                                    QStringLiteral("'"),
                                true, false)
                    .toString();
            });
        });
        return;
    }

    // Every other voucher.
    trap([&] { l.indiceImagen = l.imagenTipo; });
    trap([&] {
        if (Verdadero(campo("anulada")))
            l.indiceImagen = l.anulado;
        else if (Verdadero(campo("APROBADO")))
            l.indiceImagen = l.aprobado;
    });
    const bool np = Iguales(TC, QStringLiteral("NP"));
    bool omitida = false;
    trap([&] {
        // The stored type is padded to its column's width ("NP  ").
        if (np && ModoPendientes && Iguales(legacy::Trim(texto("TC")), QStringLiteral("NP"))) {
            if (crudo("FechaPreparacion").Value().IsNull())
                omitida = true;
            else
                l.indiceImagen = l.aprobado;
        }
    });
    if (omitida) return;  // an order not yet prepared is not listed
    agrega(false);
    legacy::Variant grabacion;
    trap([&] { grabacion = campo("FechaHora_Grabacion"); });
    trap([&] {
        // (a date value is never blank: its text need not be made to know)
        const bool vacia = grabacion.VarType() != legacy::vbDate && legacy::Trim(grabacion.toString()).isEmpty();
        item().setText(vacia ? fecha() : Fecha(grabacion, true));
    });
    sub([&] { return texto("IdComprobante"); });
    sub([&] {
        return (Iguales(TC, QStringLiteral("OT")) || Iguales(TC, QStringLiteral("FC")) || np) ? texto("IdComplemento")
                                                                                         : QString();
    });
    sub([&] { return texto("nombre"); });
    const bool resaltado = np || Iguales(TC, QStringLiteral("FC"));
    if (resaltado || Iguales(TC, QStringLiteral("RM"))) {
        const int i = n;
        sub([&] {
            const QString comentarios = texto("comentarios");
            return comentarios.isEmpty() ? texto("Observaciones") : comentarios;
        });
        if (resaltado)
            trap([&] {
                ui::ListSubItem celda = item().ListSubItems(i);
                celda.setBold(true);
                celda.setForeColor(33023);
            });
    } else {
        ++n;
    }
    sub([&] { return texto("Importe"); });
}
