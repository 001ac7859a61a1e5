// The server's numbers on the embedded engine: exact numbers (DECIMAL,
// NUMERIC, MONEY) converted and written as text with their scale, STR,
// CEILING, FLOOR, ISNUMERIC, and '+' and '-' where the rewrite
// (sql_types.cpp) could not tell the operands' types: a text converted to
// the number the server makes of it, or texts joined.
#include "platform/ado/sqlite_functions_private.h"

#include "platform/ado/engine.h"

#include <cmath>

namespace ado::functions {

// ---------------------------------------------------------------------------
// Exact numbers: DECIMAL(p,s), NUMERIC, MONEY. The digits are worked on as
// text, so a value never passes through double on its way: the server reads
// '2.675' as DECIMAL(4,3) and rounds it to 2.68 where a double would give
// 2.67.

bool isExactType(const QString& base) {
    return base == u"DECIMAL" || base == u"NUMERIC" || base == u"DEC" || base == u"MONEY" || base == u"SMALLMONEY";
}

namespace {

enum class Exact { Ok, NotNumber, Overflow };

// `in` rounded half away from zero to `scale` decimals, written with exactly
// `scale` decimals ("12.50"); Overflow when the whole part has more digits
// than precision - scale.
Exact roundExact(QString in, int precision, int scale, QString& out) {
    in = in.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < in.size() && (in[i] == u'+' || in[i] == u'-')) negative = in[i++] == u'-';
    QString digits;
    qsizetype intDigits = 0;
    bool point = false;
    for (; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            if (!point) ++intDigits;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits.isEmpty()) return Exact::NotNumber;
    if (i < in.size() && (in[i] == u'e' || in[i] == u'E')) {
        bool ok = false;
        const int e = in.mid(i + 1).toInt(&ok);
        if (!ok) return Exact::NotNumber;
        const bool zero = digits.count(u'0') == digits.size();
        if (e > 100 && !zero) return Exact::Overflow;
        if (!zero) intDigits += qMax(-200, e);
        i = in.size();
    }
    if (i != in.size()) return Exact::NotNumber;
    // the decimal point sits after `intDigits` digits (maybe outside them)
    if (intDigits < 0) {
        digits.prepend(QString(-intDigits, u'0'));
        intDigits = 0;
    }
    if (intDigits > digits.size()) digits += QString(intDigits - digits.size(), u'0');
    QString whole = digits.left(intDigits);
    QString frac = digits.mid(intDigits);
    bool up = false;
    if (frac.size() > scale) {
        up = frac[scale] >= u'5';
        frac.truncate(scale);
    } else {
        frac += QString(scale - frac.size(), u'0');
    }
    QString all = whole + frac;
    if (up) {
        qsizetype k = all.size() - 1;
        while (k >= 0 && all[k] == u'9') all[k--] = u'0';
        if (k >= 0) all[k] = QChar(all[k].unicode() + 1);
        else all.prepend(u'1');
    }
    whole = all.left(all.size() - scale);
    frac = all.right(scale);
    qsizetype lead = 0;
    while (lead < whole.size() && whole[lead] == u'0') ++lead;
    whole.remove(0, lead);
    if (whole.size() > precision - scale) return Exact::Overflow;
    const bool zero = whole.isEmpty() && frac.count(u'0') == frac.size();
    out = (negative && !zero ? QStringLiteral("-") : QString()) + (whole.isEmpty() ? QStringLiteral("0") : whole) +
          (scale > 0 ? u'.' + frac : QString());
    return Exact::Ok;
}

}  // namespace

// CONVERT to an exact type. The result is the exact decimal text; where the
// rewrite found it compared or sorted (`asNumber`) it is the number itself,
// since the engine would compare a text with a number as text.
void convertExact(sqlite3_context* ctx, const QString& typeText, sqlite3_value* v, bool asNumber) {
    QString type = typeText.toUpper().remove(u' ');
    int precision = 18, scale = 0;
    if (const qsizetype p = type.indexOf(u'('); p > 0) {
        const QString inside = type.mid(p + 1, type.size() - p - 2);
        type.truncate(p);
        precision = inside.section(u',', 0, 0).toInt();
        scale = inside.contains(u',') ? inside.section(u',', 1, 1).toInt() : 0;
    }
    if (type == u"MONEY") { precision = 19; scale = 4; }
    if (type == u"SMALLMONEY") { precision = 10; scale = 4; }
    if (precision < 1 || precision > 38 || scale < 0 || scale > precision)
        return fail(ctx, "CONVERT", "invalid precision or scale for numeric");
    QString in;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: in = QString::number(sqlite3_value_int64(v)); break;
    case SQLITE_FLOAT: in = argText(v); break;  // the library's 15 significant digits
    default:
        in = argText(v);
        // the server reads an empty text as 0 for money only
        if (in.trimmed().isEmpty() && (type == u"MONEY" || type == u"SMALLMONEY")) in = QStringLiteral("0");
        break;
    }
    QString out;
    switch (roundExact(in, precision, scale, out)) {
    case Exact::NotNumber: return fail(ctx, "CONVERT", "error converting data type varchar to numeric");
    case Exact::Overflow: return fail(ctx, "CONVERT", "arithmetic overflow error converting to data type numeric");
    case Exact::Ok: break;
    }
    if (!asNumber) return resultText(ctx, out);
    bool ok = false;
    const qsizetype dot = out.indexOf(u'.');
    if (dot < 0 || out.mid(dot + 1).count(u'0') == out.size() - dot - 1) {
        const qint64 n = out.left(dot < 0 ? out.size() : dot).toLongLong(&ok);
        if (ok) return sqlite3_result_int64(ctx, n);
    }
    sqlite3_result_double(ctx, out.toDouble());
}

namespace {

void fnConvertNumber(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc < 2) return fail(ctx, "CONVERT", "missing arguments");
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    convertExact(ctx, argText(argv[0]), argv[1], true);
}

// ---------------------------------------------------------------------------
// '+' and '-' as the server reads them. The rewrite writes '||' or the
// engine's own operator where the types of both operands are known; these
// serve the rest (a date with days: fnDateArith in sqlite_dates.cpp).

// A text as the number the server converts it to for arithmetic: a whole
// number where the other operand is an int ("5.5" and "abc" fail), else any
// number. SQLITE_NULL when it is none.
int numberOfText(const QString& text, bool whole, qint64& i, double& d) {
    const QString s = text.trimmed();
    bool ok = false;
    i = s.toLongLong(&ok);
    if (ok) return SQLITE_INTEGER;
    if (whole || s.isEmpty()) return SQLITE_NULL;
    d = s.toDouble(&ok);
    return ok ? SQLITE_FLOAT : SQLITE_NULL;
}

void failConversion(sqlite3_context* ctx, const QString& text, bool whole) {
    const QByteArray m = (QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
                              .arg(text, whole ? QStringLiteral("int") : QStringLiteral("numeric")))
                             .toUtf8();
    sqlite3_result_error(ctx, m.constData(), -1);
}

// SRV_NUM(text, kind): a text operand of arithmetic with a number of that
// kind ('INT' or another), converted as the server converts it.
void fnNum(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT) return sqlite3_result_value(ctx, argv[0]);
    const QString text = argText(argv[0]);
    const bool whole = argText(argv[1]) == u"INT";
    qint64 i = 0;
    double d = 0;
    switch (numberOfText(text, whole, i, d)) {
    case SQLITE_INTEGER: return sqlite3_result_int64(ctx, i);
    case SQLITE_FLOAT: return sqlite3_result_double(ctx, d);
    default: return failConversion(ctx, text, whole);
    }
}

// SRV_ADD(a, b, sign) where the rewrite could not tell the operands' types:
// two texts join ('+') , a date text with a number moves by days, a text
// with a number becomes a number, numbers add up or subtract.
void fnAdd(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    const bool minus = sqlite3_value_int(argv[2]) < 0;
    const int ta = sqlite3_value_type(argv[0]), tb = sqlite3_value_type(argv[1]);
    const bool textA = ta == SQLITE_TEXT || ta == SQLITE_BLOB, textB = tb == SQLITE_TEXT || tb == SQLITE_BLOB;
    legacy::Date probe;
    const auto isDate = [&](sqlite3_value* v) { return isoToDate(argText(v).trimmed(), probe); };
    if (textA && textB) {
        if (!minus) {
            QByteArray joined(reinterpret_cast<const char*>(sqlite3_value_text(argv[0])), sqlite3_value_bytes(argv[0]));
            joined.append(reinterpret_cast<const char*>(sqlite3_value_text(argv[1])), sqlite3_value_bytes(argv[1]));
            return sqlite3_result_text(ctx, joined.constData(), int(joined.size()), SQLITE_TRANSIENT);
        }
        if (isDate(argv[0]) && isDate(argv[1])) return fnDateArith(ctx, 3, argv);
        return fail(ctx, "-", "operand data type varchar is invalid for subtract operator");
    }
    if ((textA && isDate(argv[0])) || (textB && isDate(argv[1]))) return fnDateArith(ctx, 3, argv);
    qint64 ia = 0, ib = 0;
    double da = 0, db = 0;
    int ka = ta, kb = tb;
    const bool wholeOther = (textA ? tb : ta) == SQLITE_INTEGER;
    if (textA && (ka = numberOfText(argText(argv[0]), wholeOther, ia, da)) == SQLITE_NULL)
        return failConversion(ctx, argText(argv[0]), wholeOther);
    if (textB && (kb = numberOfText(argText(argv[1]), wholeOther, ib, db)) == SQLITE_NULL)
        return failConversion(ctx, argText(argv[1]), wholeOther);
    if (!textA) { ia = sqlite3_value_int64(argv[0]); da = sqlite3_value_double(argv[0]); }
    if (!textB) { ib = sqlite3_value_int64(argv[1]); db = sqlite3_value_double(argv[1]); }
    if (ka == SQLITE_INTEGER && kb == SQLITE_INTEGER) return sqlite3_result_int64(ctx, minus ? ia - ib : ia + ib);
    if (ka == SQLITE_INTEGER) da = double(ia);
    if (kb == SQLITE_INTEGER) db = double(ib);
    sqlite3_result_double(ctx, minus ? da - db : da + db);
}

// ---------------------------------------------------------------------------
// An exact quotient, worked out on decimal digits: a double carries fifteen
// digits, where NUMERIC(30,15) of (Q + 5) / 3 has sixteen
// ('3.333333333333333').

// A value as an unsigned whole number of digits and the count of its
// decimals (12.50 is "1250", 2); false when it is no number.
bool decimalDigits(sqlite3_value* v, bool& negative, QString& digits, int& decimals) {
    QString in;
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: in = QString::number(sqlite3_value_int64(v)); break;
    default: in = argText(v).trimmed(); break;  // a double as the library's fifteen digits
    }
    qsizetype i = 0;
    negative = false;
    if (i < in.size() && (in[i] == u'+' || in[i] == u'-')) negative = in[i++] == u'-';
    digits.clear();
    decimals = 0;
    bool point = false;
    for (; i < in.size(); ++i) {
        const QChar c = in[i];
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
            if (point) ++decimals;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (digits.isEmpty()) return false;
    if (i < in.size() && (in[i] == u'e' || in[i] == u'E')) {
        bool ok = false;
        const int e = in.mid(i + 1).toInt(&ok);
        if (!ok || e > 100 || e < -100) return false;
        decimals -= e;
        i = in.size();
    }
    if (i != in.size()) return false;
    if (decimals < 0) {
        digits += QString(-decimals, u'0');
        decimals = 0;
    }
    qsizetype lead = 0;
    while (lead + 1 < digits.size() && digits[lead] == u'0') ++lead;
    digits.remove(0, lead);
    return true;
}

// Whole numbers as digit texts without leading zeros.
bool notLess(const QString& a, const QString& b) {
    if (a.size() != b.size()) return a.size() > b.size();
    return a >= b;
}

QString minus(const QString& a, const QString& b) {
    QString r = a;
    int borrow = 0;
    for (qsizetype k = 0; k < r.size(); ++k) {
        const qsizetype ia = r.size() - 1 - k, ib = b.size() - 1 - k;
        int d = r[ia].digitValue() - borrow - (ib >= 0 ? b[ib].digitValue() : 0);
        borrow = d < 0;
        if (d < 0) d += 10;
        r[ia] = QChar(u'0' + d);
    }
    qsizetype lead = 0;
    while (lead + 1 < r.size() && r[lead] == u'0') ++lead;
    return r.mid(lead);
}

// SRV_EXACT_DIV(a, b, scale, asNumber): a / b cut (toward zero) to `scale`
// decimals, as the server gives an exact quotient. The exact text where the
// engine would compare it as text with a number is the number instead
// (asNumber), and so is a quotient a double holds whole (fifteen digits or
// fewer); else the text, which the reader takes with the type's scale.
void fnExactDiv(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (anyNull(2, argv)) return sqlite3_result_null(ctx);
    const int scale = qBound(0, sqlite3_value_int(argv[2]), 38);
    bool na = false, nb = false;
    QString a, b;
    int da = 0, db = 0;
    if (!decimalDigits(argv[0], na, a, da) || !decimalDigits(argv[1], nb, b, db))
        return fail(ctx, "/", "error converting data type varchar to numeric");
    if (b == u"0") return sqlite3_result_error(ctx, "Divide by zero error encountered.", -1);
    // a / b * 10^scale = (a * 10^(db + scale)) / (b * 10^da), whole
    const QString n = a + QString(db + scale, u'0');
    const QString d = b + QString(da, u'0');
    QString q, r = QStringLiteral("0");
    for (const QChar c : n) {
        r = r == u"0" ? QString(c) : r + c;
        int count = 0;
        while (notLess(r, d)) {
            r = minus(r, d);
            ++count;
        }
        if (!(q.isEmpty() && count == 0)) q += QChar(u'0' + count);
    }
    if (q.size() <= scale) q.prepend(QString(scale + 1 - q.size(), u'0'));
    const bool zero = q.count(u'0') == q.size();
    QString out = (na != nb && !zero ? QStringLiteral("-") : QString()) + q.left(q.size() - scale) +
                  (scale > 0 ? u'.' + q.right(scale) : QString());
    qsizetype significant = q.size();
    for (qsizetype k = 0; k < q.size() && q[k] == u'0'; ++k) --significant;
    for (qsizetype k = q.size() - 1; k >= 0 && q[k] == u'0' && significant > 0; --k) --significant;
    if (sqlite3_value_int(argv[3]) != 0 || significant <= 15) return sqlite3_result_double(ctx, out.toDouble());
    resultText(ctx, out);
}

// SRV_DIVISOR(x): the right operand of '/' and '%', which the server
// refuses when it is zero (the engine would give Null).
void fnDivisor(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    const int t = sqlite3_value_type(v);
    const bool zero = t == SQLITE_INTEGER ? sqlite3_value_int64(v) == 0
                      : t == SQLITE_FLOAT ? sqlite3_value_double(v) == 0
                      : t == SQLITE_TEXT  ? sqlite3_value_numeric_type(v) != SQLITE_TEXT && sqlite3_value_double(v) == 0
                                          : false;
    if (zero) return sqlite3_result_error(ctx, "Divide by zero error encountered.", -1);
    sqlite3_result_value(ctx, v);
}

// SRV_INT(x): the result of '+', '-' or '*' of two ints, which the server
// refuses past the int's range (a bigint operand makes it a bigint, whose
// range is the engine's own).
void fnInt(sqlite3_context* ctx, int, sqlite3_value** argv) {
    sqlite3_value* v = argv[0];
    if (sqlite3_value_type(v) == SQLITE_INTEGER) {
        const qint64 n = sqlite3_value_int64(v);
        if (n > 2147483647LL || n < -2147483648LL)
            return sqlite3_result_error(ctx, "Arithmetic overflow error converting expression to data type int.", -1);
    }
    sqlite3_result_value(ctx, v);
}

// SRV_EXACT_TEXT(type, x[, style]): an exact number as the server writes it
// in a text: with the scale of its type ('5.0000' for NUMERIC(18,4)), money
// with two decimals ('12.50'), with style 1 also its thousands separated
// ('1,234.50'), with style 2 four decimals.
void fnExactText(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return sqlite3_result_null(ctx);
    QString type = argText(argv[0]).toUpper().remove(u' ');
    const int style = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    int scale = style == 2 ? 4 : 2;
    if (const qsizetype p = type.indexOf(u'('); p > 0)
        scale = type.contains(u',') ? type.mid(type.indexOf(u',') + 1).chopped(1).toInt() : 0;
    else if (type != u"MONEY" && type != u"SMALLMONEY")
        scale = 0;
    const QString in = sqlite3_value_type(argv[1]) == SQLITE_INTEGER ? QString::number(sqlite3_value_int64(argv[1]))
                                                                     : argText(argv[1]);
    QString out;
    if (roundExact(in, 38, scale, out) != Exact::Ok) return sqlite3_result_value(ctx, argv[1]);
    if (style == 1)
        for (qsizetype k = out.indexOf(u'.') - 3, sign = out.startsWith(u'-') ? 1 : 0; k > sign; k -= 3) out.insert(k, u',');
    // the text it goes into (fourth argument): an exact number that does not
    // fit is an overflow, never a cut number
    if (argc > 3) {
        const QString target = argText(argv[3]).toUpper().remove(u' ');
        const qsizetype p = target.indexOf(u'(');
        const int length = p < 0 ? 30 : target.mid(p + 1, target.size() - p - 2).toInt();
        if (length > 0 && out.size() > length)
            return fail(ctx, "CONVERT", "arithmetic overflow error converting numeric to data type varchar");
    }
    resultText(ctx, out);
}

void fnStr(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const double x = sqlite3_value_double(argv[0]);
    const int len = argc > 1 ? sqlite3_value_int(argv[1]) : 10;
    int dec = argc > 2 ? sqlite3_value_int(argv[2]) : 0;
    if (len <= 0) return sqlite3_result_null(ctx);
    dec = qBound(0, dec, 16);
    QString s = QString::number(x, 'f', dec);
    if (s.size() > len) {
        // fewer decimals first, then stars, as the server does
        QString t = QString::number(x, 'f', 0);
        if (t.size() > len) { resultText(ctx, QString(len, u'*')); return; }
        const int room = len - int(t.size()) - 1;
        s = room > 0 ? QString::number(x, 'f', qMin(room, dec)) : t;
    }
    resultText(ctx, s.rightJustified(len, u' '));
}

void fnCeiling(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    sqlite3_result_double(ctx, std::ceil(sqlite3_value_double(argv[0])));
}

void fnFloor(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    sqlite3_result_double(ctx, std::floor(sqlite3_value_double(argv[0])));
}

// ROUND(x, n[, f]): x rounded half away from zero to n decimals (n below 0:
// to tens, hundreds ...), or cut there when f is not 0; a whole x stays whole.
void fnRound(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_null(ctx);
    const int n = sqlite3_value_int(argv[1]);
    const bool cut = argc > 2 && sqlite3_value_int(argv[2]) != 0;
    const bool whole = sqlite3_value_type(argv[0]) == SQLITE_INTEGER;
    if (n < 0) {
        const double unit = std::pow(10.0, -n);
        const double q = sqlite3_value_double(argv[0]) / unit;
        const double r = (cut ? std::trunc(q) : std::round(q)) * unit;
        return whole ? sqlite3_result_int64(ctx, qint64(r)) : sqlite3_result_double(ctx, r);
    }
    if (whole) return sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
    // by the decimal digits of x, which a double would miss (2.675 is 2.68)
    QString in = sqlite3_value_type(argv[0]) == SQLITE_FLOAT ? QString::number(sqlite3_value_double(argv[0]), 'g', 15)
                                                              : argText(argv[0]);
    if (cut) {
        const qsizetype point = in.indexOf(u'.');
        if (point >= 0 && !in.contains(u'e', Qt::CaseInsensitive) && in.size() - point - 1 > n) in.truncate(point + 1 + n);
    }
    QString out;
    if (roundExact(in, 38, qMin(n, 38), out) != Exact::Ok) return sqlite3_result_value(ctx, argv[0]);
    sqlite3_result_double(ctx, out.toDouble());
}

void fnIsNumeric(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv)) return sqlite3_result_int(ctx, 0);
    const int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) return sqlite3_result_int(ctx, 1);
    bool ok = false;
    argText(argv[0]).trimmed().toDouble(&ok);
    sqlite3_result_int(ctx, ok ? 1 : 0);
}

}  // namespace

void registerNumberFunctions(sqlite3* db) {
    reg(db, "STR", 1, fnStr);
    reg(db, "STR", 2, fnStr);
    reg(db, "STR", 3, fnStr);
    reg(db, "SRV_CONVERT_NUM", 2, fnConvertNumber);
    reg(db, "SRV_ADD", 3, fnAdd);
    reg(db, "SRV_NUM", 2, fnNum);
    reg(db, "SRV_DIVISOR", 1, fnDivisor);
    reg(db, "SRV_EXACT_DIV", 4, fnExactDiv);
    reg(db, "SRV_INT", 1, fnInt);
    reg(db, "SRV_EXACT_TEXT", 2, fnExactText);
    reg(db, "SRV_EXACT_TEXT", 3, fnExactText);
    reg(db, "SRV_EXACT_TEXT", 4, fnExactText);
    reg(db, "CEILING", 1, fnCeiling);
    reg(db, "FLOOR", 1, fnFloor);
    reg(db, "ISNUMERIC", 1, fnIsNumeric);
    reg(db, "ROUND", 2, fnRound);
    reg(db, "ROUND", 3, fnRound);
}

}  // namespace ado::functions
