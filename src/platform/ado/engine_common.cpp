#include "platform/ado/engine.h"

#include "platform/legacy/vberror.h"

#include <QDate>
#include <QTime>

namespace ado {

const Error& ErrorCollection::Item(int index) const {
    if (index < 0 || index >= items_.size()) throw legacy::VbError(adErrItemNotFound, QString(), QStringLiteral("ADODB.Errors"));
    return items_[index];
}

QString quoteName(const QString& name) {
    bool plain = !name.isEmpty() && (name[0].isLetter() || name[0] == u'_');
    for (QChar c : name)
        if (!(c.isLetterOrNumber() || c == u'_')) plain = false;
    return plain ? name : u'[' + name + u']';
}

QString Engine::rowCondition(const RecordsetData& d, size_t row, Params& params) const {
    QStringList parts;
    std::vector<int> cols = d.keyColumns;
    if (cols.empty())
        for (size_t c = 0; c < d.columns.size(); ++c) cols.push_back(int(c));
    for (int ci : cols) {
        const size_t c = size_t(ci);
        const int t = d.columns[c].type;
        if (t == adLongVarChar || t == adLongVarWChar || t == adLongVarBinary || t == adBinary || t == adVarBinary) continue;
        const legacy::Variant& v = d.rows[row][c];
        if (v.IsNull()) {
            parts << quoteName(d.columns[c].name) + QStringLiteral(" IS NULL");
        } else {
            parts << quoteName(d.columns[c].name) + QStringLiteral(" = ?");
            params.push_back(v);
        }
    }
    return QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
}

Error makeError(Failure f, const QString& description, const QString& source, int native, const QString& sqlState) {
    Error e;
    e.Description = description;
    e.Source = source;
    auto set = [&](int number, int defNative, const char* defState) {
        e.Number = number;
        e.NativeError = native ? native : defNative;
        e.SQLState = sqlState.isEmpty() ? QString::fromLatin1(defState) : sqlState;
    };
    switch (f) {
    case Failure::Syntax: set(kErrSyntax, kNativeSyntax, "42000"); break;
    case Failure::MissingTable: set(kErrNoSuchObject, kNativeMissingObject, "42S02"); break;
    case Failure::MissingColumn: set(kErrNoSuchObject, kNativeMissingColumn, "42S22"); break;
    case Failure::DuplicateKey: set(kErrIntegrity, kNativeDuplicateKey, "23000"); break;
    case Failure::Reference: set(kErrIntegrity, kNativeReference, "23000"); break;
    case Failure::NotNull: set(kErrIntegrity, 515, "23000"); break;
    case Failure::Truncation: set(kErrTruncation, kNativeTruncation, "22001"); break;
    // A time-out keeps its own number so that it is never taken for a lost
    // link (which would make the callers reconnect and run it again).
    case Failure::Timeout: set(kErrTimeout, 0, "HYT00"); break;
    case Failure::LinkLost: set(kErrProvider, kNativeNetwork, "08S01"); e.NativeError = kNativeNetwork; break;
    case Failure::LoginFailed: set(kErrLoginFailed, 18456, "28000"); break;
    case Failure::MissingDatabase: set(kErrProvider, kNativeCannotOpenDatabase, "42000"); break;
    case Failure::MissingFile: set(kErrProvider, -1811, "3024"); break;
    case Failure::TypeMismatch: set(kErrTypeMismatch, 245, "22018"); break;
    case Failure::ReadOnly: set(kErrSyntax, kNativeReadOnlyDatabase, "42000"); break;
    case Failure::Generic: set(kErrSyntax, 0, "HY000"); break;
    }
    return e;
}

Failure classifyOdbc(const QString& state, int native, const QString& message) {
    const QString m = message.toLower();
    if (state == u"HYT00") return Failure::Timeout;
    if (state.startsWith(u"08") || state == u"HYT01") return Failure::LinkLost;
    if (state == u"28000") return Failure::LoginFailed;
    if (state == u"22001" || native == kNativeTruncation) return Failure::Truncation;
    if (state == u"22018" || state == u"22007" || state == u"22008") return Failure::TypeMismatch;
    if (state == u"42S02" || native == kNativeMissingObject || m.contains(u"no such table")) return Failure::MissingTable;
    if (state == u"42S22" || native == kNativeMissingColumn || m.contains(u"no such column")) return Failure::MissingColumn;
    if (native == kNativeCannotOpenDatabase || native == 911) return Failure::MissingDatabase;
    if (native == kNativeReadOnlyDatabase) return Failure::ReadOnly;
    if (state.startsWith(u"23") || native == 2627 || native == 2601 || native == 547 || native == 515 ||
        m.contains(u"constraint")) {
        if (native == 2627 || native == 2601 || m.contains(u"unique") || m.contains(u"duplicate")) return Failure::DuplicateKey;
        if (native == 515 || m.contains(u"not null") || m.contains(u"null value")) return Failure::NotNull;
        return Failure::Reference;
    }
    if (state == u"42000" || state == u"37000" || m.contains(u"syntax error")) return Failure::Syntax;
    return Failure::Generic;
}

QString ConnectionParts::value(const char* key) const {
    const QString k = QString::fromLatin1(key).toUpper();
    for (const auto& p : pairs)
        if (p.first == k) return p.second;
    return {};
}

bool ConnectionParts::has(const char* key) const {
    const QString k = QString::fromLatin1(key).toUpper();
    for (const auto& p : pairs)
        if (p.first == k) return true;
    return false;
}

ConnectionParts parseConnectionString(const QString& s) {
    ConnectionParts parts;
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        const qsizetype eq = s.indexOf(u'=', i);
        const qsizetype semi = s.indexOf(u';', i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {
            i = semi < 0 ? n : semi + 1;
            continue;
        }
        const QString key = s.mid(i, eq - i).trimmed().toUpper();
        qsizetype v = eq + 1;
        while (v < n && s[v] == u' ') ++v;
        QString value;
        if (v < n && (s[v] == u'{' || s[v] == u'"' || s[v] == u'\'')) {
            const QChar close = s[v] == u'{' ? u'}' : s[v];
            const qsizetype end = s.indexOf(close, v + 1);
            value = s.mid(v + 1, (end < 0 ? n : end) - v - 1);
            const qsizetype nextSemi = end < 0 ? -1 : s.indexOf(u';', end);
            i = nextSemi < 0 ? n : nextSemi + 1;
        } else {
            const qsizetype end = s.indexOf(u';', v);
            value = s.mid(v, (end < 0 ? n : end) - v).trimmed();
            i = end < 0 ? n : end + 1;
        }
        if (!key.isEmpty()) parts.pairs.append({key, value});
    }
    return parts;
}

bool isoToDate(const QString& text, legacy::Date& out) {
    const qsizetype n = text.size();
    if (n < 10 || n > 26) return false;
    auto dig = [&](qsizetype p) { return p < n && text[p].isDigit(); };
    auto num = [&](qsizetype p, int len) {
        int v = 0;
        for (int k = 0; k < len; ++k) v = v * 10 + text[p + k].digitValue();
        return v;
    };
    for (qsizetype p : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!dig(p)) return false;
    if (text[4] != u'-' || text[7] != u'-') return false;
    const int y = num(0, 4), mo = num(5, 2), d = num(8, 2);
    int h = 0, mi = 0, s = 0, ms = 0;
    if (n > 10) {
        if (!(text[10] == u' ' || text[10] == u'T') || n < 16) return false;
        if (!dig(11) || !dig(12) || text[13] != u':' || !dig(14) || !dig(15)) return false;
        h = num(11, 2);
        mi = num(14, 2);
        if (n > 16) {
            if (n < 19 || text[16] != u':' || !dig(17) || !dig(18)) return false;
            s = num(17, 2);
            if (n > 19) {
                if (text[19] != u'.') return false;
                int scale = 100;
                for (qsizetype p = 20; p < n; ++p) {
                    if (!text[p].isDigit()) return false;
                    if (scale) { ms += text[p].digitValue() * scale; scale /= 10; }
                }
            }
        }
    }
    const QDate date(y, mo, d);
    if (!date.isValid() || h > 23 || mi > 59 || s > 59) return false;
    const double days = double(QDate(1899, 12, 30).daysTo(date));
    const double frac = (h * 3600.0 + mi * 60.0 + s + ms / 1000.0) / 86400.0;
    // Before the base date the fraction still counts forwards.
    out = legacy::Date(days >= 0 ? days + frac : days - frac);
    return true;
}

QString dateToIso(legacy::Date d) {
    const QDateTime dt = d.toDateTime();
    return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

}  // namespace ado
