#pragma once
// The workstation's regional profile, in one place: every text conversion of
// dates and numbers that the program leaves to the regional settings reads it.
// Tests may replace it.
#include <QChar>
#include <QString>
#include <QStringList>

namespace legacy {

struct RegionalProfile {
    QChar decimalSeparator = u',';
    QChar thousandsSeparator = u'.';
    int currencyDigits = 2;          // -1 when the profile gives none
    QString currencySymbol = QStringLiteral("$");
    bool dayFirst = true;            // day/month/year
    QChar dateSeparator = u'/';
    QChar timeSeparator = u':';
    QString shortDateFormat = QStringLiteral("dd/MM/yyyy");   // QDate::toString pattern
    QString longTimeFormat = QStringLiteral("HH:mm:ss");      // QTime::toString pattern
    QString amDesignator = QStringLiteral("a.m.");
    QString pmDesignator = QStringLiteral("p.m.");
    QStringList monthNames;          // "enero" .. "diciembre"
    QStringList dayNames;            // "domingo" .. "sábado"

    static RegionalProfile spanish();
};

RegionalProfile& Regional();
void setRegional(const RegionalProfile& profile);

}  // namespace legacy
