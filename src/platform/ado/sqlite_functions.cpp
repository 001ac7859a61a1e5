// The server functions and the text collation, registered on every embedded
// database the program opens (and by the tools that create database files):
// each kind in its own file (see sqlite_functions_private.h); CONVERT, which
// goes from any kind to any other, and @@TRANCOUNT are here.
#include "platform/ado/sqlite_functions_private.h"

#include "platform/ado/sqlite_support.h"

namespace ado {

namespace functions {
namespace {

// CONVERT(type, value[, style]) and CAST(value AS DATETIME).
void fnConvert(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 2) return fail(ctx, "CONVERT", "missing arguments");
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    QString type = argText(argv[0]).toUpper().remove(u' ');
    int length = 30;  // a text type written without a length holds 30 characters
    if (const qsizetype p = type.indexOf(u'('); p > 0) {
        const QString inside = type.mid(p + 1, type.size() - p - 2);
        type.truncate(p);
        length = inside.section(u',', 0, 0).toInt();
        if (inside.section(u',', 0, 0) == u"MAX") length = -1;
    }
    const int style = argc > 2 && sqlite3_value_type(argv[2]) != SQLITE_NULL ? sqlite3_value_int(argv[2]) : -1;
    sqlite3_value* v = argv[1];
    if (type == u"DATETIME" || type == u"SMALLDATETIME" || type == u"DATE" || type == u"DATETIME2") {
        QDateTime d;
        if (!argDate(v, d)) return fail(ctx, "CONVERT", "conversion failed when converting date and/or time from character string");
        if (type == u"DATE") d.setTime(QTime(0, 0));
        if (type == u"SMALLDATETIME") d = d.addSecs(d.time().second() >= 30 ? 60 - d.time().second() : -d.time().second()).addMSecs(-d.time().msec());
        return resultText(ctx, isoOf(d));
    }
    if (type == u"VARCHAR" || type == u"NVARCHAR" || type == u"CHAR" || type == u"NCHAR" || type == u"TEXT") {
        if (type == u"TEXT") length = -1;
        QString out;
        QDateTime d;
        const bool isText = sqlite3_value_type(v) == SQLITE_TEXT;
        if (isText && style >= 0 && argDate(v, d)) {
            switch (style) {
            case 0: case 100: {
                // 'Mar  1 2024 12:00AM': day and hour filled with a blank
                static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
                const int h = d.time().hour() % 12 == 0 ? 12 : d.time().hour() % 12;
                out = QStringLiteral("%1 %2 %3 %4:%5%6")
                          .arg(QLatin1String(months[d.date().month() - 1]))
                          .arg(d.date().day(), 2)
                          .arg(d.date().year())
                          .arg(h, 2)
                          .arg(d.time().minute(), 2, 10, QLatin1Char('0'))
                          .arg(d.time().hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
                break;
            }
            case 1: out = d.toString(QStringLiteral("MM/dd/yy")); break;
            case 101: out = d.toString(QStringLiteral("MM/dd/yyyy")); break;
            case 2: out = d.toString(QStringLiteral("yy.MM.dd")); break;
            case 102: out = d.toString(QStringLiteral("yyyy.MM.dd")); break;
            case 3: out = d.toString(QStringLiteral("dd/MM/yy")); break;
            case 103: out = d.toString(QStringLiteral("dd/MM/yyyy")); break;
            case 4: out = d.toString(QStringLiteral("dd.MM.yy")); break;
            case 104: out = d.toString(QStringLiteral("dd.MM.yyyy")); break;
            case 5: out = d.toString(QStringLiteral("dd-MM-yy")); break;
            case 105: out = d.toString(QStringLiteral("dd-MM-yyyy")); break;
            case 108: case 8: out = d.toString(QStringLiteral("HH:mm:ss")); break;
            case 11: out = d.toString(QStringLiteral("yy/MM/dd")); break;
            case 111: out = d.toString(QStringLiteral("yyyy/MM/dd")); break;
            case 12: out = d.toString(QStringLiteral("yyMMdd")); break;
            case 112: out = d.toString(QStringLiteral("yyyyMMdd")); break;
            case 120: case 20: out = d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); break;
            case 121: case 21: out = d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")); break;
            default: out = argText(v); break;
            }
        } else {
            out = argText(v);
        }
        if (length > 0 && out.size() > length) out.truncate(length);
        // a fixed-length text is filled with blanks to its length
        if ((type == u"CHAR" || type == u"NCHAR") && length > 0 && out.size() < length)
            out += QString(length - out.size(), u' ');
        return resultText(ctx, out);
    }
    if (type == u"INT" || type == u"INTEGER" || type == u"BIGINT" || type == u"SMALLINT" || type == u"TINYINT" ||
        type == u"BIT") {
        const int t = sqlite3_value_type(v);
        qint64 n;
        if (t == SQLITE_INTEGER) n = sqlite3_value_int64(v);
        else if (t == SQLITE_FLOAT) n = qint64(sqlite3_value_double(v));  // the server truncates
        else {
            bool ok = false;
            const QString s = argText(v).trimmed();
            n = s.toLongLong(&ok);
            if (!ok) return fail(ctx, "CONVERT", "conversion failed when converting a value to int");
        }
        if (type == u"BIT") n = n != 0;
        const qint64 top = type == u"SMALLINT" ? 32767 : type == u"TINYINT" ? 255 : 2147483647LL;
        const qint64 bottom = type == u"SMALLINT" ? -32768 : type == u"TINYINT" ? 0 : -2147483648LL;
        if (type != u"BIGINT" && (n > top || n < bottom))
            return fail(ctx, "CONVERT", "Arithmetic overflow error converting expression to data type int.");
        return sqlite3_result_int64(ctx, n);
    }
    if (isExactType(type)) return convertExact(ctx, argText(argv[0]), v, false);
    if (type == u"FLOAT" || type == u"REAL") {
        const int t = sqlite3_value_type(v);
        if (t == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(v));
        if (t == SQLITE_FLOAT) return sqlite3_result_double(ctx, sqlite3_value_double(v));
        bool ok = false;
        const double x = argText(v).trimmed().toDouble(&ok);
        if (!ok) return fail(ctx, "CONVERT", "error converting data type varchar to float");
        return sqlite3_result_double(ctx, x);
    }
    sqlite3_result_value(ctx, v);
}

void fnTranCount(sqlite3_context* ctx, int, sqlite3_value**) {
    sqlite3* db = sqlite3_context_db_handle(ctx);
    sqlite3_result_int(ctx, sqlite3_get_autocommit(db) ? 0 : 1);
}

}  // namespace
}  // namespace functions

void RegisterSqliteExtensions(sqlite3* db) {
    using namespace functions;
    registerTextCollation(db);
    registerTextFunctions(db);
    registerNumberFunctions(db);
    registerDateFunctions(db);
    reg(db, "SRV_CONVERT", 2, fnConvert);
    reg(db, "SRV_CONVERT", 3, fnConvert);
    reg(db, "SRV_TRANCOUNT", 0, fnTranCount, false);
    keepTextIndexesInOrder(db);
}

}  // namespace ado
