// The server's SQL as tokens, and where its statements begin and end: used
// by both engines (the ODBC engine sends statements of a batch one by one to
// sources other than SQL Server) and by the rewrite of the embedded engine.
#include "platform/ado/sql_lexer.h"

#include <array>
#include <cstring>
#include <functional>
#include <iterator>

namespace ado::sql {

bool Token::isWord(const char* upperWord) const {
    return kind == TokKind::Word && text.compare(QLatin1String(upperWord), Qt::CaseInsensitive) == 0;
}

namespace {

// What an ASCII character is to the lexer (the rest asks QChar).
enum : unsigned char { kSpace = 1, kDigit = 2, kWordStart = 4, kWordChar = 8 };
constexpr std::array<unsigned char, 128> kClasses = [] {
    std::array<unsigned char, 128> t{};
    for (int c = 9; c <= 13; ++c) t[size_t(c)] = kSpace;
    t[' '] = kSpace;
    for (int c = '0'; c <= '9'; ++c) t[size_t(c)] = kDigit | kWordChar;
    for (int c = 'A'; c <= 'Z'; ++c) t[size_t(c)] = t[size_t(c + 32)] = kWordStart | kWordChar;
    for (char c : {'_', '@', '#'}) t[size_t(c)] = kWordStart | kWordChar;
    t['$'] = kWordChar;
    return t;
}();
inline bool isSpaceChar(char16_t c) { return c < 128 ? (kClasses[c] & kSpace) != 0 : QChar(c).isSpace(); }
inline bool isDigitChar(char16_t c) { return c < 128 ? (kClasses[c] & kDigit) != 0 : QChar(c).isDigit(); }
inline bool isWordStart(char16_t c) { return c < 128 ? (kClasses[c] & kWordStart) != 0 : QChar(c).isLetter(); }
inline bool isWordChar(char16_t c) { return c < 128 ? (kClasses[c] & kWordChar) != 0 : QChar(c).isLetterOrNumber(); }

}  // namespace

bool Lexer::next(Lexeme& out) {
    const char16_t* s = text_.utf16();
    const qsizetype n = text_.size();
    qsizetype i = at_;
    if (i >= n) return false;
    const char16_t c = s[i];
    const qsizetype start = i;
    TokKind kind = TokKind::Punct;
    if (isSpaceChar(c)) {
        while (i < n && isSpaceChar(s[i])) ++i;
        kind = TokKind::Space;
    } else if (c == u'-' && i + 1 < n && s[i + 1] == u'-') {
        while (i < n && s[i] != u'\n' && s[i] != u'\r') ++i;
        kind = TokKind::Comment;
    } else if (c == u'/' && i + 1 < n && s[i + 1] == u'*') {
        i += 2;
        while (i < n && !(s[i] == u'*' && i + 1 < n && s[i + 1] == u'/')) ++i;
        i = qMin(n, i + 2);
        kind = TokKind::Comment;
    } else if (c == u'\'' || ((c == u'N' || c == u'n') && i + 1 < n && s[i + 1] == u'\'')) {
        if (c != u'\'') ++i;
        ++i;
        while (i < n) {
            if (s[i] == u'\'') {
                if (i + 1 < n && s[i + 1] == u'\'') { i += 2; continue; }
                ++i;
                break;
            }
            ++i;
        }
        kind = TokKind::String;
    } else if (c == u'[') {
        while (i < n && s[i] != u']') ++i;
        i = qMin(n, i + 1);
        kind = TokKind::Quoted;
    } else if (c == u'"') {
        ++i;
        while (i < n && s[i] != u'"') ++i;
        i = qMin(n, i + 1);
        kind = TokKind::Quoted;
    } else if (isDigitChar(c) || (c == u'.' && i + 1 < n && isDigitChar(s[i + 1]))) {
        while (i < n && (isDigitChar(s[i]) || s[i] == u'.')) ++i;
        if (i < n && (s[i] == u'e' || s[i] == u'E') && i + 1 < n &&
            (isDigitChar(s[i + 1]) || ((s[i + 1] == u'+' || s[i + 1] == u'-') && i + 2 < n && isDigitChar(s[i + 2])))) {
            i += 2;
            while (i < n && isDigitChar(s[i])) ++i;
        }
        kind = TokKind::Number;
    } else if (isWordStart(c)) {
        while (i < n && isWordChar(s[i])) ++i;
        kind = TokKind::Word;
    } else {
        const char16_t d = i + 1 < n ? s[i + 1] : u'\0';
        if ((c == u'<' && (d == u'=' || d == u'>')) || (c == u'>' && d == u'=') || (c == u'!' && d == u'=') ||
            (c == u'|' && d == u'|'))
            i += 2;
        else
            ++i;
    }
    at_ = i;
    out = {kind, start, i - start};
    return true;
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> out;
    Lexer lexer(s);
    for (Lexeme l; lexer.next(l);) out.push_back({l.kind, s.mid(l.pos, l.len)});
    return out;
}

QString join(const std::vector<Token>& tokens) {
    QString r;
    for (const auto& t : tokens) r += t.text;
    return r;
}

// ---------------------------------------------------------------------------
// Statement kinds and the batch splitter

namespace {

// The keywords the splitter looks at; the statement starters come first.
enum class Kw : unsigned char {
    None, NonWord, Other,
    SELECT, INSERT, UPDATE, DELETE, BEGIN, COMMIT, ROLLBACK, SET, IF, CREATE, DROP, ALTER, DECLARE, EXEC, EXECUTE,
    PRINT, TRUNCATE, USE, SAVE, GRANT,
    CASE, END, UNION, ALL, EXCEPT, INTERSECT, VALUES, DEFAULT, INTO, TRAN, TRANSACTION, VIEW, TRIGGER, PROCEDURE,
    PROC, FUNCTION, OR, UNIQUE, CLUSTERED, NONCLUSTERED, TEMP, TEMPORARY,
};
constexpr const char* kKeywords[] = {
    "SELECT", "INSERT", "UPDATE", "DELETE", "BEGIN", "COMMIT", "ROLLBACK", "SET", "IF", "CREATE", "DROP", "ALTER",
    "DECLARE", "EXEC", "EXECUTE", "PRINT", "TRUNCATE", "USE", "SAVE", "GRANT",
    "CASE", "END", "UNION", "ALL", "EXCEPT", "INTERSECT", "VALUES", "DEFAULT", "INTO", "TRAN", "TRANSACTION", "VIEW",
    "TRIGGER", "PROCEDURE", "PROC", "FUNCTION", "OR", "UNIQUE", "CLUSTERED", "NONCLUSTERED", "TEMP", "TEMPORARY",
};
constexpr int kFirstKeyword = int(Kw::SELECT);
bool startsStatement(Kw k) { return k >= Kw::SELECT && k <= Kw::GRANT; }

// The keyword a word is, compared in upper case as the server does.
Kw keywordOf(QStringView w) {
    constexpr qsizetype kLongest = 12;
    char up[kLongest + 1];
    qsizetype n = w.size();
    if (n > kLongest) return Kw::Other;
    bool ascii = true;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = w[i].unicode();
        if (c >= 128) { ascii = false; break; }
        up[i] = char(c >= 'a' && c <= 'z' ? c - 32 : c);
    }
    if (!ascii) {
        // letters beyond ASCII may become ASCII ones in upper case
        const QString u = w.toString().toUpper();
        if (u.size() > kLongest) return Kw::Other;
        n = u.size();
        for (qsizetype i = 0; i < n; ++i) {
            if (u[i].unicode() >= 128) return Kw::Other;
            up[i] = char(u[i].unicode());
        }
    }
    // the keywords by length, so a word is compared only with those of its own
    static const auto byLength = [] {
        std::array<std::vector<int>, kLongest + 1> t;
        for (int k = 0; k < int(std::size(kKeywords)); ++k) t[std::strlen(kKeywords[k])].push_back(k);
        return t;
    }();
    for (const int k : byLength[size_t(n)])
        if (std::memcmp(kKeywords[k], up, size_t(n)) == 0) return Kw(k + kFirstKeyword);
    return Kw::Other;
}

}  // namespace

StmtKind statementKind(QStringView statement) {
    Lexer lexer(statement);
    Lexeme l;
    bool more;
    while ((more = lexer.next(l)) && (l.kind == TokKind::Space || l.kind == TokKind::Comment)) {
    }
    if (!more) return StmtKind::Empty;
    switch (l.kind == TokKind::Word ? keywordOf(statement.mid(l.pos, l.len)) : Kw::NonWord) {
    case Kw::SELECT: return StmtKind::Select;
    case Kw::INSERT: return StmtKind::Insert;
    case Kw::UPDATE: return StmtKind::Update;
    case Kw::DELETE: return StmtKind::Delete;
    case Kw::BEGIN: return StmtKind::Begin;
    case Kw::COMMIT: return StmtKind::Commit;
    case Kw::ROLLBACK: return StmtKind::Rollback;
    default: return StmtKind::Other;
    }
}

QStringList splitBatch(const QString& batch) {
    QStringList out;
    splitBatch(batch, [&](Statement& s) {
        out << std::move(s.text);
        return true;
    });
    return out;
}

bool splitBatch(const QString& batch, const std::function<bool(Statement&)>& take) {
    Lexer lexer(batch);
    const auto text = [&](const Lexeme& t) { return QStringView(batch).mid(t.pos, t.len); };
    Statement st;
    bool going = true;
    // the significant tokens of the statement at hand, placed in the batch
    std::vector<Lexeme> tokens;
    tokens.reserve(256);
    const auto deliver = [&](qsizetype from, qsizetype end) {
        const QStringView whole = QStringView(batch).mid(from, end - from);
        const QStringView t = whole.trimmed();
        if (t.isEmpty() || !going) return;
        const qsizetype at = from + (t.data() - whole.data());
        st.text = t.toString();
        // the statement's tokens change hands (the flush empties what comes back)
        st.tokens.swap(tokens);
        for (Lexeme& l : st.tokens) {
            // (an unclosed quote or comment at the end loses the blanks trimmed off)
            l.len = qMin(l.len, at + t.size() - l.pos);
            l.pos -= at;
        }
        going = take(st);
    };
    qsizetype curStart = 0;  // the current statement is the text from here to the token at hand
    int depth = 0;
    Kw kind = Kw::None;      // first keyword of the current statement (of the IF body once it began)
    bool sawSet = false;     // UPDATE: its SET came
    bool sawValues = false;  // INSERT: VALUES or its SELECT came
    bool ifPending = false;  // IF: waiting for the body
    bool ifCondDone = false; // IF: the condition's parentheses closed
    bool newlineSinceLast = true;
    Kw prevWord = Kw::None;  // previous significant token (NonWord when not a word)
    Kw object = Kw::None;    // CREATE / ALTER: what is made (TABLE, VIEW, TRIGGER ...)
    int blocks = 0;          // IF ... BEGIN blocks open
    int cases = 0;           // CASE expressions open in the statement
    auto flush = [&](qsizetype end, qsizetype next) {
        deliver(curStart, end);
        tokens.clear();
        curStart = next;
        kind = Kw::None;
        sawSet = sawValues = ifPending = ifCondDone = false;
        prevWord = Kw::None;
        object = Kw::None;
        cases = 0;
    };
    // The BEGIN just read opens a block (it is not BEGIN TRAN[SACTION]).
    auto opensBlock = [&] {
        Lexer ahead = lexer;
        Lexeme l;
        bool more;
        while ((more = ahead.next(l)) && (l.kind == TokKind::Space || l.kind == TokKind::Comment)) {
        }
        if (!more || l.kind != TokKind::Word) return true;
        const Kw k = keywordOf(text(l));
        return k != Kw::TRAN && k != Kw::TRANSACTION;
    };
    Lexeme t;
    while (going && lexer.next(t)) {
        const QStringView tx = text(t);
        if (t.kind == TokKind::Space) {
            if (tx.contains(u'\n') || tx.contains(u'\r')) newlineSinceLast = true;
            continue;
        }
        if (t.kind == TokKind::Comment) {
            if (tx.startsWith(u"--")) newlineSinceLast = true;
            continue;
        }
        const bool punct1 = t.kind == TokKind::Punct && t.len == 1;
        if (punct1 && tx[0] == u';' && depth == 0) {
            flush(t.pos, t.pos + 1);
            newlineSinceLast = true;
            continue;
        }
        if (punct1 && tx[0] == u'(') ++depth;
        if (punct1 && tx[0] == u')') {
            depth = qMax(0, depth - 1);
            if (ifPending && depth == 0) ifCondDone = true;
        }
        const bool isWord = t.kind == TokKind::Word;
        const Kw w = isWord ? keywordOf(tx) : Kw::NonWord;
        if (depth == 0 && w == Kw::CASE) ++cases;
        if (depth == 0 && w == Kw::END) {
            if (cases > 0) {
                --cases;
            } else if (blocks > 0) {
                // the END of an IF block stands alone
                flush(t.pos, t.pos);
                tokens.push_back(t);
                flush(t.pos + t.len, t.pos + t.len);
                --blocks;
                newlineSinceLast = true;
                continue;
            }
        }
        if (depth == 0 && w == Kw::BEGIN && ifPending && ifCondDone && opensBlock()) {
            // IF [NOT] EXISTS (...) BEGIN: the head of a block, whose
            // statements follow one by one up to its END
            tokens.push_back(t);
            flush(t.pos + t.len, t.pos + t.len);
            ++blocks;
            newlineSinceLast = true;
            continue;
        }
        if (depth == 0 && isWord && startsStatement(w)) {
            bool starts = kind == Kw::None;
            if (!starts && ifPending && ifCondDone && w != Kw::SET) {
                // the body of IF [NOT] EXISTS (...), on its line or the next
                ifPending = false;
                kind = w;
                sawSet = sawValues = false;
                prevWord = w;
                newlineSinceLast = false;
                tokens.push_back(t);
                continue;
            }
            if (!starts && newlineSinceLast) {
                starts = true;
                if (ifPending) {
                    starts = false;
                } else if (w == Kw::SELECT && (kind == Kw::INSERT && !sawValues)) {
                    starts = false;
                } else if (w == Kw::SELECT && (prevWord == Kw::UNION || prevWord == Kw::ALL || prevWord == Kw::EXCEPT ||
                                               prevWord == Kw::INTERSECT)) {
                    starts = false;
                } else if (w == Kw::SET && kind == Kw::UPDATE && !sawSet) {
                    starts = false;
                } else if ((kind == Kw::BEGIN || kind == Kw::COMMIT || kind == Kw::ROLLBACK) &&
                           (prevWord == Kw::BEGIN || prevWord == Kw::COMMIT || prevWord == Kw::ROLLBACK)) {
                    starts = true;
                } else if ((kind == Kw::CREATE || kind == Kw::ALTER) &&
                           (object == Kw::VIEW || object == Kw::TRIGGER || object == Kw::PROCEDURE || object == Kw::PROC ||
                            object == Kw::FUNCTION)) {
                    // a view's SELECT, a trigger's body
                    starts = w != Kw::SELECT && w != Kw::INSERT && w != Kw::UPDATE && w != Kw::DELETE &&
                             w != Kw::BEGIN && w != Kw::SET && w != Kw::IF;
                }
            }
            if (starts && kind != Kw::None) flush(t.pos, t.pos);
            if (kind == Kw::None) {
                kind = w;
                if (w == Kw::IF) ifPending = true;
            }
        }
        if (depth == 0 && isWord) {
            if (w == Kw::SET && kind == Kw::UPDATE) sawSet = true;
            if ((w == Kw::VALUES || w == Kw::SELECT || w == Kw::DEFAULT) && kind == Kw::INSERT && prevWord != Kw::INSERT &&
                prevWord != Kw::INTO)
                sawValues = true;
        }
        if (isWord && object == Kw::None &&
            (prevWord == Kw::CREATE || prevWord == Kw::ALTER || prevWord == Kw::OR || prevWord == Kw::UNIQUE ||
             prevWord == Kw::CLUSTERED || prevWord == Kw::NONCLUSTERED || prevWord == Kw::TEMP ||
             prevWord == Kw::TEMPORARY) &&
            (kind == Kw::CREATE || kind == Kw::ALTER) && w != Kw::OR && w != Kw::ALTER && w != Kw::UNIQUE &&
            w != Kw::CLUSTERED && w != Kw::NONCLUSTERED && w != Kw::TEMP && w != Kw::TEMPORARY)
            object = w;
        prevWord = w;
        newlineSinceLast = false;
        tokens.push_back(t);
    }
    flush(batch.size(), batch.size());
    return going;
}


// Without a line end or ";" no statement after the first one begins, and
// one beginning with these keywords opens no IF block.
bool isSingleStatement(QStringView text) {
    for (const QChar c : text)
        if (c == u'\n' || c == u'\r' || c == u';') return false;
    const StmtKind k = statementKind(text);
    return k == StmtKind::Select || k == StmtKind::Insert || k == StmtKind::Update || k == StmtKind::Delete;
}

size_t nextSig(const std::vector<Token>& t, size_t i) {
    while (i < t.size() && !t[i].significant()) ++i;
    return i;
}

size_t prevSig(const std::vector<Token>& t, size_t i) {
    while (i > 0) {
        --i;
        if (t[i].significant()) return i;
    }
    return size_t(-1);
}

size_t matchParen(const std::vector<Token>& t, size_t i) {
    int depth = 0;
    for (size_t k = i; k < t.size(); ++k) {
        if (t[k].isPunct('(')) ++depth;
        else if (t[k].isPunct(')') && --depth == 0) return k;
    }
    return t.size();
}

// ---------------------------------------------------------------------------
// Single-table SELECTs

namespace {
using Toks = std::vector<Token>;
}  // namespace

QString singleTableOf(const QString& select) {
    const Toks t = tokenize(select);
    const size_t first = nextSig(t, 0);
    if (first >= t.size() || !t[first].isWord("SELECT")) return {};
    int d = 0;
    size_t from = t.size();
    for (size_t j = first + 1; j < t.size(); ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 0 && (t[j].isWord("DISTINCT") || t[j].isWord("UNION") || t[j].isWord("GROUP"))) return {};
        else if (d == 0 && t[j].isWord("FROM")) { from = j; break; }
    }
    if (from >= t.size()) return {};
    size_t name = nextSig(t, from + 1);
    if (name >= t.size() || !(t[name].kind == TokKind::Word || t[name].kind == TokKind::Quoted)) return {};
    QString table = t[name].text;
    size_t k = nextSig(t, name + 1);
    while (k < t.size() && t[k].isPunct('.')) {  // owner.table
        const size_t nn = nextSig(t, k + 1);
        if (nn >= t.size()) return {};
        table = t[nn].text;
        k = nextSig(t, nn + 1);
    }
    if (table.startsWith(u'[') || table.startsWith(u'"')) table = table.mid(1, table.size() - 2);
    // the rest may hold hints, an alias, WHERE and ORDER BY, but no second table
    d = 0;
    for (size_t j = k; j < t.size(); ++j) {
        if (t[j].isPunct('(')) ++d;
        else if (t[j].isPunct(')')) --d;
        else if (d == 0 && (t[j].isPunct(',') || t[j].isWord("JOIN") || t[j].isWord("UNION") ||
                            t[j].isWord("GROUP") || t[j].isWord("HAVING")))
            return {};
    }
    return table;
}

}  // namespace ado::sql
