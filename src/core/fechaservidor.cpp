#include "core/fechaservidor.h"

#include "core/cargaconfiguracion.h"
#include "core/configuracion.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/format.h"
#include "platform/legacy/strings.h"
#include "platform/legacy/variant.h"

#include <QDateTime>

#include <cmath>

using namespace legacy;

namespace ModGlobal {

namespace {

// The server's value as a date and time to the whole second. The value is
// taken as it comes (a date, or the engine's ISO text), never through the
// workstation's regional date order.
Date ASegundos(const Variant& valor)
{
    Date d;
    if (const Date* p = valor.get<Date>()) {
        d = *p;
    } else if (valor.IsString()) {
        const QString texto = valor.toString().trimmed();
        QDateTime dt = QDateTime::fromString(texto, Qt::ISODateWithMs);
        if (!dt.isValid())
            dt = QDateTime::fromString(texto, Qt::ISODate);
        if (!dt.isValid())
            dt = QDateTime::fromString(texto, QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        if (!dt.isValid())
            dt = QDateTime::fromString(texto, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        d = dt.isValid() ? Date::fromDateTime(dt) : valor.toDate();
    } else {
        d = valor.toDate();
    }
    const QDateTime dt = d.toDateTime();
    const QTime t = dt.time();
    return Date::fromDateTime(QDateTime(dt.date(), QTime(t.hour(), t.minute(), t.second())));
}

std::function<Date()>& RelojDePrueba()
{
    static std::function<Date()> reloj;
    return reloj;
}

Date RelojLocal()
{
    const QDateTime ahora = QDateTime::currentDateTime();
    const QTime t = ahora.time();
    return Date::fromDateTime(QDateTime(ahora.date(), QTime(t.hour(), t.minute(), t.second())));
}

}  // namespace

void setRelojServidor(std::function<Date()> reloj)
{
    RelojDePrueba() = std::move(reloj);
}

Date FechaServidor()
{
    if (RelojDePrueba())
        return RelojDePrueba()();
    ErrorTrap trap = ErrorTrap::ResumeNext(QStringLiteral("FechaServidor"));
    std::shared_ptr<ado::Recordset> rs;
    bool conFila = false;
    Date resultado;
    trap([&] { gDB().AbrirRecordset(QStringLiteral("select  getDate() as fecha"), rs, nullptr, 0, 1, -1, true); });
    trap([&] {
        if (rs && !rs->Eof()) {
            resultado = ASegundos(rs->Fields("fecha").Value());
            conFila = true;
        }
    });
    // No row, and also a failed query: callers use the result as "now", so
    // they get the best clock there is rather than a date of 1899.
    if (!conFila) {
        resultado = RelojLocal();
        if (UtilizarFechaDia) {
            trap([&] {
                const QString texto = Cfg(QStringLiteral("FECHAOPERHASTA"));
                if (IsDate(Variant(texto)))
                    resultado = DateValue(Trim(texto));
            });
        }
    }
    trap([&] { gDB().CierraRecordset(rs); });
    return resultado;
}

}  // namespace ModGlobal
