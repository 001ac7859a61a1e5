#include "json/json.h"

#include "json/cstringbuilder.h"
#include "platform/legacy/numeric.h"
#include "platform/legacy/vberror.h"

#include <algorithm>
#include <limits>
#include <optional>

using legacy::Collection;
using legacy::Decimal;
using legacy::Dictionary;
using legacy::Variant;
using legacy::VbError;

namespace JSON {

namespace {

__extension__ using Mantissa = unsigned __int128;

// The messages of the last reading; the readers append to it.
QString& errorText()
{
    static QString text;
    return text;
}

inline bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t' || c == u'(' || c == u')';
}

inline bool isKeyBlank(char16_t c)
{
    return c == u' ' || c == u'\n' || c == u'\r' || c == u'\t';
}

inline bool isNumberChar(char16_t c)
{
    return (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+' || c == u'e' || c == u'E';
}

inline int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// One reading over a text: the readers share the text, the index (0-based
// here; messages show it 1-based) and the message text.
class Reader {
public:
    Reader(const QString& text, qsizetype index)
        : text_(text), s_(reinterpret_cast<const char16_t*>(text.constData())), n_(text.size()), i_(index)
    {
    }

    qsizetype index() const { return i_; }

    void skipBlanks()
    {
        while (i_ < n_) {
            char16_t c = s_[i_];
            if (isBlank(c)) {
                ++i_;
            } else if (c == u'/' || c == u'*') {
                skipComment();
            } else {
                return;
            }
        }
    }

    Variant value()
    {
        skipBlanks();
        if (i_ >= n_)
            return number();
        switch (s_[i_]) {
        case u'{':
            enterContainer();
            return Variant(object());
        case u'[':
            enterContainer();
            return Variant(array());
        case u'"':
        case u'\'':
            return Variant(string());
        case u't':
        case u'f':
            return Variant(boolean());
        case u'n':
            return null();
        default:
            return number();
        }
    }

    std::shared_ptr<Dictionary> object()
    {
        auto dict = std::make_shared<Dictionary>();
        skipBlanks();
        if (i_ >= n_ || s_[i_] != u'{') {
            if (canReport())
                report(QStringLiteral("Invalid Object at position ") + pos() + QStringLiteral(" : ") + text_.mid(i_));
            return dict;
        }
        ++i_;
        members(u'}', [&] {
            QString key = this->key();
            try {
                Variant v = value();
                dict->Add(key, std::move(v));  // a shared copy: the key is kept for the message
            } catch (const VbError& e) {
                if (canReport())
                    report(e.Description + QStringLiteral(": ") + key);
                return false;
            }
            return true;
        });
        return dict;
    }

    std::shared_ptr<Collection> array()
    {
        auto list = std::make_shared<Collection>();
        skipBlanks();
        if (i_ >= n_ || s_[i_] != u'[') {
            if (canReport())
                report(QStringLiteral("Invalid Array at position ") + pos() + QStringLiteral(" : ") + text_.mid(i_, 20));
            return list;
        }
        ++i_;
        members(u']', [&] {
            qsizetype before = i_;
            try {
                list->Add(value());
            } catch (const VbError& e) {
                if (canReport())
                    report(e.Description + QStringLiteral(": ") + text_.mid(i_, 20));
                return false;
            }
            // A bad true, false or null leaves the position where it was;
            // its message is made, so go on from the next separator rather
            // than meeting the same characters again for ever.
            if (i_ == before) {
                while (i_ < n_ && s_[i_] != u',' && s_[i_] != u']')
                    ++i_;
            }
            return true;
        });
        return list;
    }

    // The walk shared by objects and arrays, from just past the opening
    // character: blanks, optional commas before each member, the closing
    // character, or "Missing" at the end of the text. `member` reads one
    // member and answers false to stop.
    template <class Member>
    void members(char16_t close, const Member& member)
    {
        Depth depth(*this);
        for (;;) {
            if (aborted_)
                return;
            skipBlanks();
            if (i_ < n_ && s_[i_] == close) {
                ++i_;
                return;
            }
            if (i_ < n_ && s_[i_] == u',') {
                // A comma may be repeated: each one is passed over.
                do {
                    ++i_;
                    skipBlanks();
                } while (i_ < n_ && s_[i_] == u',');
            } else if (i_ >= n_) {
                if (canReport())
                    report(QStringLiteral("Missing '") + QChar(close) + QStringLiteral("': ") + text_.right(20));
                return;
            }
            if (!member())
                return;
        }
    }

    QString string()
    {
        skipBlanks();
        if (i_ >= n_)
            return QString();
        const char16_t quote = s_[i_];
        ++i_;
        const qsizetype start = i_;
        // Most strings hold no escape: take them in one copy.
        while (i_ < n_) {
            char16_t c = s_[i_];
            if (c == quote) {
                QString result(reinterpret_cast<const QChar*>(s_ + start), i_ - start);
                ++i_;
                return result;
            }
            if (c == u'\\')
                break;
            ++i_;
        }
        if (i_ >= n_)  // no closing quote: the text up to the end
            return QString(reinterpret_cast<const QChar*>(s_ + start), n_ - start);

        scratch_.Remove(0, scratch_.Length());
        scratch_.Append(QStringView(s_ + start, i_ - start));
        while (i_ < n_) {
            char16_t c = s_[i_];
            if (c == quote) {
                ++i_;
                break;
            }
            if (c != u'\\') {
                qsizetype run = i_;
                while (i_ < n_ && s_[i_] != quote && s_[i_] != u'\\')
                    ++i_;
                scratch_.Append(QStringView(s_ + run, i_ - run));
                continue;
            }
            ++i_;
            if (i_ >= n_)
                break;
            switch (s_[i_]) {
            case u'"':
            case u'\\':
            case u'/':
            case u'\'':
                scratch_.Append(QChar(s_[i_]));
                ++i_;
                break;
            case u'b':
                scratch_.Append(QChar(8));
                ++i_;
                break;
            case u'f':
                scratch_.Append(QChar(12));
                ++i_;
                break;
            case u'n':
                scratch_.Append(QChar(10));
                ++i_;
                break;
            case u'r':
                scratch_.Append(QChar(13));
                ++i_;
                break;
            case u't':
                scratch_.Append(QChar(9));
                ++i_;
                break;
            case u'u': {
                ++i_;
                // Up to four hexadecimal digits, read up to the first that is
                // not one; four characters are passed over regardless.
                unsigned code = 0;
                for (qsizetype k = 0; k < 4 && i_ + k < n_; ++k) {
                    int h = hexValue(s_[i_ + k]);
                    if (h < 0)
                        break;
                    code = code * 16 + unsigned(h);
                }
                scratch_.Append(QChar(char16_t(code)));
                i_ = std::min(i_ + 4, n_);
                break;
            }
            default:
                // Unknown escape: the character is then read as it stands.
                break;
            }
        }
        return scratch_.toString();
    }

    Variant number()
    {
        skipBlanks();
        const qsizetype start = i_;
        while (i_ < n_ && isNumberChar(s_[i_]))
            ++i_;
        if (i_ >= n_)
            return Variant();  // cut off by the end of the text
        return Variant(toDecimal(QStringView(s_ + start, i_ - start)));
    }

    bool boolean()
    {
        skipBlanks();
        if (matches(u"true", 4)) {
            i_ += 4;
            return true;
        }
        if (matches(u"false", 5)) {
            i_ += 5;
            return false;
        }
        if (canReport())
            report(QStringLiteral("Invalid Boolean at position ") + pos() + QStringLiteral(" : ") + text_.mid(i_));
        return false;
    }

    Variant null()
    {
        skipBlanks();
        if (matches(u"null", 4)) {
            i_ += 4;
            return Variant::Null();
        }
        if (canReport())
            report(QStringLiteral("Invalid null value at position ") + pos() + QStringLiteral(" : ") + text_.mid(i_));
        return Variant();
    }

    QString key()
    {
        skipBlanks();
        if (i_ < n_ && (s_[i_] == u'"' || s_[i_] == u'\'')) {
            // The usual quoted key, without blanks inside.
            const char16_t quote = s_[i_];
            qsizetype j = i_ + 1;
            while (j < n_ && s_[j] != quote && !isKeyBlank(s_[j]))
                ++j;
            if (j < n_ && s_[j] == quote) {
                QString key(reinterpret_cast<const QChar*>(s_ + i_ + 1), j - i_ - 1);
                i_ = j + 1;
                skipBlanks();
                if (i_ < n_ && s_[i_] == u':') {
                    ++i_;
                    return key;
                }
                invalidKey(key);
                return key;
            }
        }
        // Anything else, one character at a time: quotes of either kind open
        // and close, ":" inside quotes belongs to the key, blanks are dropped.
        // Inside one kind of quotes the other kind is an ordinary character,
        // so that "it's" is a key like any other.
        QString key;
        bool doubleQuoted = false;
        bool singleQuoted = false;
        while (i_ < n_) {
            char16_t c = s_[i_];
            if ((c == u'"' && !singleQuoted) || (c == u'\'' && !doubleQuoted)) {
                ++i_;
                bool& open = c == u'"' ? doubleQuoted : singleQuoted;
                open = !open;
                if (!open) {
                    skipBlanks();
                    if (i_ >= n_ || s_[i_] != u':') {
                        invalidKey(key);
                        return key;
                    }
                }
                continue;
            }
            ++i_;
            if (c == u':') {
                if (doubleQuoted || singleQuoted) {
                    key += QChar(c);
                    continue;
                }
                return key;
            }
            if (!isKeyBlank(c))
                key += QChar(c);
        }
        return key;
    }

    bool aborted() const { return aborted_; }

private:
    // Counts the containers open; the reading stops past MaxNesting.
    class Depth {
    public:
        explicit Depth(Reader& r) : r_(r) { ++r_.depth_; }
        ~Depth() { --r_.depth_; }
        Depth(const Depth&) = delete;
        Depth& operator=(const Depth&) = delete;

    private:
        Reader& r_;
    };

    void enterContainer()
    {
        if (depth_ >= MaxNesting) {
            // The enclosing reader reports it; every reader then returns
            // what it holds without reading further.
            aborted_ = true;
            throw VbError(28, QStringLiteral("Espacio de pila insuficiente"));
        }
    }

    void skipComment()
    {
        const char16_t c = s_[i_];
        const char16_t next = i_ + 1 < n_ ? s_[i_ + 1] : 0;
        // A lone "/" or "*" leaves the next character pending: "/" or "*"
        // after "*" begins a comment as it would after "/".
        if ((c == u'/' || c == u'*') && next == u'/') {
            // Up to the end of the line; the line break is then a blank.
            i_ += 2;
            while (i_ < n_ && s_[i_] != u'\n' && s_[i_] != u'\r')
                ++i_;
        } else if ((c == u'/' || c == u'*') && next == u'*') {
            // Up to the first "*/", whatever stars come before it.
            i_ += 2;
            while (i_ < n_ && !(s_[i_] == u'*' && i_ + 1 < n_ && s_[i_ + 1] == u'/'))
                ++i_;
            i_ = std::min(i_ + 2, n_);
        } else {
            ++i_;  // a lone "/" or "*" is passed over
        }
    }

    bool matches(const char16_t* word, qsizetype length) const
    {
        if (n_ - i_ < length)
            return false;
        for (qsizetype k = 0; k < length; ++k) {
            if (s_[i_ + k] != word[k])
                return false;
        }
        return true;
    }

    Decimal toDecimal(QStringView digits)
    {
        // Plain forms (sign, digits, one point, at most 28 digits) are built
        // directly from the digits; the rest goes through the full reader.
        qsizetype p = 0;
        const qsizetype end = digits.size();
        bool negative = false;
        if (p < end && (digits[p] == u'-' || digits[p] == u'+')) {
            negative = digits[p] == u'-';
            ++p;
        }
        Mantissa mantissa = 0;
        int significant = 0;
        int scale = 0;
        bool point = false;
        bool anyDigit = false;
        bool plain = true;
        for (; p < end; ++p) {
            char16_t c = digits[p].unicode();
            if (c >= u'0' && c <= u'9') {
                anyDigit = true;
                if (point)
                    ++scale;
                if (mantissa == 0 && c == u'0')
                    continue;
                if (++significant > 28) {
                    plain = false;
                    break;
                }
                mantissa = mantissa * 10 + (c - u'0');
            } else if (c == u'.' && !point) {
                point = true;
            } else {
                plain = false;
                break;
            }
        }
        if (plain && anyDigit && scale <= 28)
            return Decimal::fromParts(mantissa, scale, negative);
        return parseAwkward(digits);
    }

    static Decimal parseAwkward(QStringView digits)
    {
        // Shape: [sign] digits [. digits] [e|E [sign] digits], one digit at least
        // before the exponent.
        qsizetype p = 0;
        const qsizetype end = digits.size();
        if (p < end && (digits[p] == u'-' || digits[p] == u'+'))
            ++p;
        bool anyDigit = false;
        bool nonZero = false;
        while (p < end && digits[p].isDigit()) {
            anyDigit = true;
            nonZero = nonZero || digits[p] != u'0';
            ++p;
        }
        if (p < end && digits[p] == u'.') {
            ++p;
            while (p < end && digits[p].isDigit()) {
                anyDigit = true;
                nonZero = nonZero || digits[p] != u'0';
                ++p;
            }
        }
        const qsizetype mantissaEnd = p;
        long long exponent = 0;
        if (anyDigit && p < end && (digits[p] == u'e' || digits[p] == u'E')) {
            ++p;
            bool negativeExponent = false;
            if (p < end && (digits[p] == u'-' || digits[p] == u'+')) {
                negativeExponent = digits[p] == u'-';
                ++p;
            }
            bool exponentDigit = false;
            while (p < end && digits[p].isDigit()) {
                exponentDigit = true;
                if (exponent < 1000000)
                    exponent = exponent * 10 + (digits[p].unicode() - u'0');
                ++p;
            }
            if (!exponentDigit)
                anyDigit = false;
            if (negativeExponent)
                exponent = -exponent;
        }
        if (!anyDigit || p != end)
            throw VbError(13, VbError::defaultDescription(13));
        // Far exponents are settled here, so that no reading works through
        // a million powers of ten: a far negative one rounds to nothing, a
        // far positive one of a number not zero cannot fit.
        if (!nonZero || exponent < -(mantissaEnd + 100))
            return Decimal();
        if (exponent > mantissaEnd + 100)
            throw VbError(6, VbError::defaultDescription(6));
        std::optional<Decimal> d = Decimal::parse(digits, u'.');
        if (!d)
            throw VbError(6, VbError::defaultDescription(6));
        return *d;
    }

    void invalidKey(const QString& key)
    {
        if (canReport())
            report(QStringLiteral("Invalid Key at position ") + pos() + QStringLiteral(" : ") + key);
    }

    QString pos() const { return QString::number(i_ + 1); }
    static bool canReport() { return errorText().size() < MaxErrorText; }
    static void report(const QString& message)
    {
        QString& e = errorText();
        e += message;
        e += QStringLiteral("\r\n");
    }

    const QString& text_;
    const char16_t* s_;
    qsizetype n_;
    qsizetype i_;
    int depth_ = 0;
    bool aborted_ = false;
    cStringBuilder scratch_;  // gathers strings that hold escapes
};

// Runs one reader over text from a 1-based position and hands the position back.
template <class F>
auto atPosition(const QString& text, int& position, F read)
{
    if (position < 1)
        throw VbError(5);
    Reader r(text, position - 1);  // past the end is the end for every reader
    struct Back {
        Reader& r;
        int& position;
        ~Back() { position = int(std::min<qsizetype>(r.index() + 1, std::numeric_limits<int>::max())); }
    } back{r, position};
    return read(r);
}

}  // namespace

legacy::ObjectRef ParseText(const QString& text)
{
    QString& errors = errorText();
    errors.clear();
    Reader r(text, 0);
    try {
        r.skipBlanks();
        qsizetype i = r.index();
        if (i < text.size() && text[i] == u'{')
            return r.object();
        if (i < text.size() && text[i] == u'[')
            return r.array();
    } catch (const VbError&) {
        // Passed over: the readers have said what went wrong.
        return nullptr;
    }
    errors = QStringLiteral("Invalid JSON");
    return nullptr;
}

QString LastErrors()
{
    return errorText();
}

std::shared_ptr<Dictionary> ReadObject(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.object(); });
}

std::shared_ptr<Collection> ReadArray(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.array(); });
}

Variant ReadValue(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.value(); });
}

QString ReadString(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.string(); });
}

Variant ReadNumber(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.number(); });
}

bool ReadBoolean(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.boolean(); });
}

Variant ReadNull(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.null(); });
}

QString ReadKey(const QString& text, int& position)
{
    return atPosition(text, position, [](Reader& r) { return r.key(); });
}

void SkipBlanks(const QString& text, int& position)
{
    atPosition(text, position, [](Reader& r) { r.skipBlanks(); });
}

}  // namespace JSON
