// ClsCmnCptes::TextPropiedades and SetColVisible: the edit box and the
// visibility of one grid column.
#include "voucher/grids/propiedades.h"

#include "platform/legacy/errortrap.h"
#include "platform/ui/fitting.h"
#include "platform/ui/msflexgrid.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/comun.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>
#include <QWidget>

#include <algorithm>
#include <iterator>

namespace grillas {

namespace {

struct Entrada {
    long columna;
    PropiedadesColumna p;
};

constexpr Entrada kTareas[] = {
    {0, {"IdTarea", "v_ta_tareas", 4}},
    {1, {"Descripcion", "", 0}},
    {2, {"HorasEstimadas", "", 0}},
    {3, {"ValorHora", "", 0}},
    {4, {"Total", "", 0}},
};

constexpr Entrada kArticulos[] = {
    {0, {"IdArticulo", "v_ma_articulos", 35}},
    {1, {"Descripcion", "", 50}},
    {2, {"IdListaPrecioArticulo", "V_MA_PRECIOS", 4}},
    {3, {"Espesor", "", 0}},
    {4, {"Ancho", "", 0}},
    {5, {"IdUnidad", "V_TA_UNIDAD", 4}},
    {6, {"IdDepositoArt", "V_TA_DEPOSITO", 4}},
    {7, {"ImporteLista", "", 0}},
    {8, {"Cantidad", "", 0}},
    {10, {"Largo", "", 0}},
    {11, {"IdUnidadEquiv", "V_TA_UNIDAD", 4}},
    {12, {"CantidadEquiv", "", 0}},
    {13, {"ProcDtoArticuloRenglon", "", 0}},
    {14, {"PorcDtoArticulo", "", 0}},
    {15, {"Ud_Pr", "V_TA_UNIDAD", 4}},
    {16, {"Importe_Ud", "", 0}},
    {17, {"ArtImporte", "", 0}},
    {18, {"Total", "", 0}},
    {21, {"TotalFinal", "", 0}},
    {36, {"TasaIVA", "", 0}},
    {43, {"Impuestos", "", 0}},
    {96, {"ITC", "", 0}},
    {122, {"porcentaje_cantidad", "", 0}},
};

constexpr Entrada kOtrosConceptos[] = {
    {0, {"OCDescripcion", "MA_CUENTAS/SOLOIMPUTABLES", 200}},
    {1, {"OCImporteSinIva", "", 0}},
    {2, {"OCImporte", "", 0}},
};

template <std::size_t N>
const PropiedadesColumna* Busca(const Entrada (&tabla)[N], long columna)
{
    const auto it = std::find_if(std::begin(tabla), std::end(tabla),
                                 [columna](const Entrada& e) { return e.columna == columna; });
    return it == std::end(tabla) ? nullptr : &it->p;
}

}  // namespace

const PropiedadesColumna* PropiedadesDe(const QString& nombreCaja, long columna)
{
    const QString nombre = legacy::Trim(nombreCaja);
    const auto es = [&nombre](const char* n) { return nombre.compare(QLatin1String(n), Qt::CaseInsensitive) == 0; };
    if (es("TxtEdit"))
        return Busca(kTareas, columna);
    if (es("TxtEdit2") || es("TXTAUX1") || es("TXTAUX2") || es("TXTAUX3"))
        return Busca(kArticulos, columna);
    if (es("TxtEdit3"))
        return Busca(kOtrosConceptos, columna);
    return nullptr;
}

}  // namespace grillas

namespace {

// The box's property "MaxLength" bounds what the user types, as the old text
// box's did: an edit that would leave the box longer than the limit and
// longer than it was is refused, whichever way the text comes (a key, a
// paste by key or by the box's menu, a drop, an input method), for the line
// edit checks every edit of the user against its validator and takes it back
// when refused. What the program writes into the box (setText) is never cut
// nor refused (the line edit's own maximum would cut it). 0 means no limit.
// A validator the window gave the box before keeps its say after the limit.
class LimiteDeTecleo : public QValidator {
public:
    LimiteDeTecleo(QLineEdit& caja, const QValidator* previo)
        : QValidator(&caja), caja_(caja), previo_(previo), antes_(caja.text())
    {
        connect(&caja, &QLineEdit::textChanged, this, [this](const QString& texto) { antes_ = texto; });
    }

    State validate(QString& texto, int& posicion) const override
    {
        // Text the program set leaves the box unmodified: it is the box's.
        const int largo = caja_.property("MaxLength").toInt();
        if (caja_.isModified() && largo > 0 && texto.size() > largo && texto.size() > antes_.size())
            return Invalid;
        return previo_ ? previo_->validate(texto, posicion) : Acceptable;
    }

    void fixup(QString& texto) const override
    {
        if (previo_)
            previo_->fixup(texto);
    }

private:
    QLineEdit& caja_;
    QPointer<const QValidator> previo_;
    QString antes_;  // the text before the edit being checked
};

}  // namespace

void ClsCmnCptes::TextPropiedades(QLineEdit* Texto, long Columna)
{
    QLineEdit& caja = grillas::Objeto(Texto);
    if (!dynamic_cast<const LimiteDeTecleo*>(caja.validator()))
        caja.setValidator(new LimiteDeTecleo(caja, caja.validator()));
    caja.setProperty("DataField", QString());
    caja.setProperty("MaxLength", 0);
    caja.setProperty("Tag", QString());
    const grillas::PropiedadesColumna* p = grillas::PropiedadesDe(caja.objectName(), Columna);
    if (!p)
        return;
    caja.setProperty("DataField", QString::fromLatin1(p->dataField));
    caja.setProperty("Tag", QString::fromLatin1(p->tag));
    caja.setProperty("MaxLength", p->maxLength);
}

void ClsCmnCptes::SetColVisible(ui::MSFlexGrid* grd, std::int16_t ColIndex, bool Visible, std::int16_t anchoChars,
                                QWidget* obj)
{
    legacy::ErrorTrap trap = legacy::ErrorTrap::ResumeNext(QStringLiteral("SetColVisible"));
    trap([&] { grillas::Objeto(grd).setRedraw(false); });
    trap([&] {
        // A shown column gets 1000 twips; a caller that names a width in
        // characters and the form gets room for that many letters X instead,
        // measured as the other voucher columns are: in the grid's own font,
        // with the cell's margins.
        long ancho = 0;
        if (Visible)
            ancho = (anchoChars > 0 && obj) ? ui::CellWidth(QString(anchoChars, u'X'), grillas::Objeto(grd).font())
                                            : 1000;
        grillas::Objeto(grd).setColWidth(ColIndex, ancho);
    });
    trap([&] { grillas::Objeto(grd).setRedraw(true); });
}
