// The dispatch data of a voucher's lots in one read.
#include "voucher/stock/despachos.h"

#include "core/busquedas.h"
#include "core/sqlbuilder.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/strings.h"
#include "platform/ui/msflexgrid.h"

#include <memory>

using kapores2::Funciones;
using legacy::Trim;

namespace stockcomun {

namespace {

// Lots per query: a short enough statement for either engine.
constexpr int kLotesPorConsulta = 100;

QString Clave(const QString& lote)
{
    return Trim(lote).toCaseFolded();
}

QString Texto(ado::Recordset& rs, const char* campo)
{
    return Trim(Funciones::ValorNoNulo(rs.Fields(campo).Value()).toString());
}

}  // namespace

void DespachosDeLotes::Lee(const ui::MSFlexGrid& g, const QString& LoteFijo)
{
    // The lots the writer may look up: each item of the lot list, whole, up
    // to a lot and serial separator and without its last character, the
    // lot part of the serial items, a cell that is no list, and the fixed
    // lot, each in its code form.
    QStringList pedidos;
    QHash<QString, std::optional<Dato>> lotes;
    const auto pide = [&](const QString& t) {
        const QString lote = Trim(Funciones::RellenaCodigo(Trim(t), 25));
        if (lote.isEmpty())
            return;
        const QString clave = Clave(lote);
        if (lotes.contains(clave))
            return;
        lotes.insert(clave, std::nullopt);
        pedidos << lote;
    };
    const QChar separador(0xFF);
    pide(LoteFijo);
    for (long f = 1; f < g.Rows(); ++f) {
        for (const long col : {24L, 25L}) {
            const QString celda = g.TextMatrix(f, col);
            if (col == 24 && !celda.contains(u'|'))
                pide(celda);
            for (const QString& item : celda.split(u'|', Qt::SkipEmptyParts)) {
                const qsizetype s = item.indexOf(separador);
                if (col == 24)
                    pide(item);
                if (s >= 0) {
                    pide(item.left(s));
                    if (col == 24)
                        pide(item.left(item.size() - 1));
                }
            }
        }
    }

    DB_Dll& db = ModGlobal::gDB();
    bool dudoso = false;
    for (qsizetype desde = 0; desde < pedidos.size(); desde += kLotesPorConsulta) {
        QString sql = QStringLiteral(" select * from stk_despachos where ");
        for (qsizetype i = desde; i < pedidos.size() && i < desde + kLotesPorConsulta; ++i)
            sql += (i > desde ? QStringLiteral(" or ") : QString()) + QStringLiteral("ltrim(rtrim(NroLote)) = '") +
                   ModGlobal::DuplicaApostrofes(pedidos[i]) + u'\'';
        std::shared_ptr<ado::Recordset> rs;
        db.AbrirRecordset(sql, rs, nullptr, ado::adOpenForwardOnly, ado::adLockReadOnly, -1, true);
        for (; !rs->Eof(); rs->MoveNext()) {
            const auto it = lotes.find(Clave(Texto(*rs, "NroLote")));
            if (it == lotes.end()) {
                dudoso = true;
                continue;
            }
            // Of several rows of one lot the first one stored wins, as the
            // lookup of one lot finds it.
            const qint64 id = Funciones::ValorNoNulo(rs->Fields("ID").Value()).toString().toLongLong();
            if (!it->has_value() || id < (*it)->id)
                *it = Dato{id, Texto(*rs, "ControladoPor"), Texto(*rs, "Descripcion"), Texto(*rs, "IdOrigen")};
        }
        db.CierraRecordset(rs);
    }
    lotes_ = std::move(lotes);
    dudoso_ = dudoso;
    leido_ = true;
}

void DespachosDeLotes::Datos(const ui::MSFlexGrid& g, const QString& LoteFijo, const QString& Lote,
                             QString& ControladoPor, QString& IdOrigen)
{
    if (!leido_)
        Lee(g, LoteFijo);
    const auto it = lotes_.constFind(Clave(Lote));
    if (dudoso_ || it == lotes_.constEnd()) {
        ModGlobal::DatosDespacho(Lote, ControladoPor, IdOrigen);
        return;
    }
    if (!it->has_value())
        return;
    const Dato& d = **it;
    if (!d.controlado.isEmpty())
        ControladoPor = d.controlado;
    if (!d.descripcion.isEmpty())
        IdOrigen = d.origen;
}

}  // namespace stockcomun
