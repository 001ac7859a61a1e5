// The rewrite of the server's dialect for the embedded engine. Everything
// works on the tokens of sql_lexer.h, so quotes, brackets and comments are
// never mistaken for keywords. rewriteForSqlite below runs the passes in
// their order (see sql_passes.h for the files):
//   1. the statements the engine takes otherwise (SET options, PRINT, the
//      transactions, the end of a block), here;
//   2. the IF shapes (sql_if.cpp), which run the rest on their parts;
//   3. the collation of the text columns a statement creates (sql_collation.cpp);
//   4. the types of the result columns a SELECT states (sql_types.cpp);
//   5. the token rewrite (sql_tokens.cpp), reading date literals
//      (sql_dates.cpp) by the column they meet (sql_columns.cpp) and the
//      operators by the types of expressions (sql_types.cpp);
//   6. the collation of expressions (sql_collation.cpp);
//   7. the Nulls of a column added with a default, here.
// The statements with their literals as parameters (sql_parameters.cpp) run
// the whole rewrite again on the statement with probes for its literals.
#include "platform/ado/sql_passes.h"

namespace ado::sql {

void rewriteTokens(Toks& t, SchemaInfo* schema, QString* refused) {
    t = rewriteConstructs(t, schema, refused);
    collateExpressions(t);
}

namespace {

const QSet<QString>& ignoredSetOptions() {
    static const QSet<QString> s = {
        QStringLiteral("NOCOUNT"),      QStringLiteral("XACT_ABORT"),
        QStringLiteral("ANSI_WARNINGS"), QStringLiteral("ANSI_NULLS"),  QStringLiteral("ANSI_PADDING"),
        QStringLiteral("QUOTED_IDENTIFIER"), QStringLiteral("ARITHABORT"), QStringLiteral("TRANSACTION"),
        QStringLiteral("LANGUAGE"),     QStringLiteral("LOCK_TIMEOUT"), QStringLiteral("DEADLOCK_PRIORITY"),
        QStringLiteral("CONCAT_NULL_YIELDS_NULL"), QStringLiteral("IMPLICIT_TRANSACTIONS"),
        QStringLiteral("DATEFIRST"),    QStringLiteral("ROWCOUNT"),
    };
    return s;
}

// ALTER TABLE t ADD c type ... DEFAULT (v): the server gives the default to
// rows made afterwards and leaves the rows already there Null, unless the
// column is NOT NULL or the statement says WITH VALUES; the engine fills
// them. The statement that empties them again, or "" when none is needed.
QString nullsForNewColumn(Toks& t) {
    size_t add = npos;
    bool hasDefault = false, notNull = false, withValues = false;
    int depth = 0;
    for (size_t k = 0; k < t.size(); ++k) {
        if (t[k].isPunct('(')) ++depth;
        else if (t[k].isPunct(')')) --depth;
        if (depth != 0 || t[k].kind != TokKind::Word) continue;
        if (add == npos && t[k].isWord("ADD")) add = k;
        else if (add != npos && t[k].isWord("DEFAULT")) hasDefault = true;
        else if (add != npos && t[k].isWord("NULL")) {
            const size_t p = prevSig(t, k);
            notNull = notNull || (p != npos && t[p].isWord("NOT"));
        } else if (t[k].isWord("VALUES")) {
            const size_t p = prevSig(t, k);
            if (p != npos && t[p].isWord("WITH")) {
                withValues = true;
                // the engine fills them by itself: the clause goes
                for (size_t j = p; j <= k; ++j) t[j].text.clear();
            }
        }
    }
    if (add == npos || !hasDefault || notNull || withValues) return {};
    size_t column = nextSig(t, add + 1);
    if (column < t.size() && t[column].isWord("COLUMN")) column = nextSig(t, column + 1);
    size_t table = nextSig(t, nextSig(t, 0) + 1);  // after TABLE
    table = nextSig(t, table + 1);
    if (column >= t.size() || table >= add || !isName(t[column])) return {};
    QString name;
    for (size_t k = table; k < add; ++k) name += t[k].text;
    return QStringLiteral("UPDATE ") + name.trimmed() + QStringLiteral(" SET ") + t[column].text + QStringLiteral(" = NULL");
}

// The statements the engine takes otherwise than by a rewrite of their
// tokens: nothing, the SET options and PRINT that change nothing here, the
// transactions and savepoints, and the END of a block. nullopt for the rest.
std::optional<Rewritten> statementOfItsOwn(const Toks& t) {
    Rewritten r;
    const size_t first = nextSig(t, 0);
    if (first >= t.size()) {
        r.kind = StmtKind::Empty;
        return r;
    }
    const QString w = t[first].kind == TokKind::Word ? t[first].text.toUpper() : QString();
    const size_t second = nextSig(t, first + 1);
    const QString w2 = second < t.size() && t[second].kind == TokKind::Word ? t[second].text.toUpper() : QString();
    if (w == u"SET" && w2 == u"DATEFORMAT") {
        // The engine reads dates as every connection of the program does
        // (SET DATEFORMAT dmy, sql_dates.cpp); another order would be read
        // otherwise than by the server, so it is refused by name.
        const size_t third = nextSig(t, second + 1);
        if (third >= t.size() || t[third].text.compare(u"dmy", Qt::CaseInsensitive) != 0)
            r.refused = QStringLiteral("SET DATEFORMAT ") + (third < t.size() ? t[third].text : QString());
        else
            r.kind = StmtKind::Empty;
        return r;
    }
    if (w == u"SET" && ignoredSetOptions().contains(w2)) {
        r.kind = StmtKind::Empty;
        return r;
    }
    if (w == u"PRINT") {
        r.kind = StmtKind::Empty;
        return r;
    }
    // the name of a transaction or savepoint after TRAN[SACTION]
    const auto nameAfter = [&](size_t k) {
        const size_t n = nextSig(t, k + 1);
        return n < t.size() && (t[n].kind == TokKind::Word || t[n].kind == TokKind::Quoted) ? bareName(t[n]) : QString();
    };
    if (w == u"BEGIN" && (w2 == u"TRAN" || w2 == u"TRANSACTION" || second >= t.size())) {
        r.kind = StmtKind::Begin;
        r.sql = QStringLiteral("BEGIN");
        if (second < t.size()) r.transactionName = nameAfter(second);
        return r;
    }
    if (w == u"COMMIT" && (w2.isEmpty() || w2 == u"TRAN" || w2 == u"TRANSACTION" || w2 == u"WORK")) {
        r.kind = StmtKind::Commit;
        r.sql = QStringLiteral("COMMIT");
        return r;
    }
    // A savepoint inside a transaction: SAVE TRAN[SACTION] name. The engine
    // decides when it runs whether ROLLBACK TRAN[SACTION] name goes back to a
    // savepoint (the transaction stays open) or names the outermost
    // transaction (everything is undone).
    if (w == u"SAVE" && (w2 == u"TRAN" || w2 == u"TRANSACTION")) {
        r.kind = StmtKind::Save;
        r.transactionName = nameAfter(second);
        r.sql = QStringLiteral("SAVEPOINT ") + r.transactionName;
        return r;
    }
    if (w == u"ROLLBACK" && (w2.isEmpty() || w2 == u"TRAN" || w2 == u"TRANSACTION" || w2 == u"WORK")) {
        r.kind = StmtKind::Rollback;
        r.sql = QStringLiteral("ROLLBACK");
        if (w2 == u"TRAN" || w2 == u"TRANSACTION") r.transactionName = nameAfter(second);
        return r;
    }
    if (w == u"END" && second >= t.size()) {
        r.kind = StmtKind::BlockEnd;
        return r;
    }
    return std::nullopt;
}

// The constructs the program never sends and the engine cannot run as the
// server does, named for the engine's message: @@ROWCOUNT (any @@ but
// @@TRANCOUNT and @@IDENTITY), IF ... ELSE, UPDATE or DELETE with a FROM of
// their own (a join), #temporary tables. Empty for any other statement.
QString unsupportedConstruct(const Toks& t, const QString& first) {
    int cases = 0;
    bool ifElse = false, from = false, temporary = false;
    QString variable;
    int depth = 0;
    size_t words = 0;
    for (const Token& tok : t) {
        if (!tok.significant()) continue;
        if (tok.isPunct('(')) ++depth;
        else if (tok.isPunct(')')) --depth;
        if (tok.kind == TokKind::String) continue;
        if (tok.text.startsWith(u'#')) temporary = true;
        if (tok.kind != TokKind::Word) continue;
        ++words;
        if (tok.text.startsWith(QLatin1String("@@")) && !tok.isWord("@@TRANCOUNT") && !tok.isWord("@@IDENTITY"))
            variable = tok.text.toUpper();
        else if (tok.isWord("CASE")) ++cases;
        else if (tok.isWord("END") && cases > 0) --cases;
        else if (tok.isWord("ELSE") && cases == 0 && first == u"IF") ifElse = true;
        // DELETE FROM t is the statement's own FROM; a second one, or one
        // after DELETE t, is a join
        else if (tok.isWord("FROM") && depth == 0 && ((first == u"UPDATE") || (first == u"DELETE" && words > 2)))
            from = true;
    }
    if (!variable.isEmpty()) return variable;
    if (ifElse) return QStringLiteral("IF ... ELSE");
    if (from) return first + QStringLiteral(" ... FROM");
    if (temporary) return QStringLiteral("tablas temporales (#)");
    return {};
}

}  // namespace

Rewritten rewriteForSqlite(const QString& statement) { return rewriteForSqlite(statement, nullptr); }

Rewritten rewriteForSqlite(const QString& statement, SchemaInfo* schema) {
    Toks t = tokenize(statement);
    if (auto own = statementOfItsOwn(t)) return *own;
    const size_t first = nextSig(t, 0);
    const QString w = t[first].kind == TokKind::Word ? t[first].text.toUpper() : QString();
    const size_t second = nextSig(t, first + 1);
    const QString w2 = second < t.size() && t[second].kind == TokKind::Word ? t[second].text.toUpper() : QString();
    Rewritten r;
    r.refused = unsupportedConstruct(t, w);
    if (!r.refused.isEmpty()) return r;
    if (w == u"IF") {
        if (auto f = rewriteIf(t, first, schema)) return *f;
    }
    if ((w == u"CREATE" || w == u"ALTER") && w2 == u"TABLE") collateTextColumns(t);
    if (w == u"SELECT") r.columnTypes = statedColumnTypes(t, schema);
    rewriteTokens(t, schema, &r.refused);  // the token rewrite, then the collation of expressions
    if (w == u"ALTER" && w2 == u"TABLE") r.followUp = nullsForNewColumn(t);
    r.sql = join(t).trimmed();
    if (w == u"SELECT") r.kind = StmtKind::Select;
    else if (w == u"INSERT") r.kind = StmtKind::Insert;
    else if (w == u"UPDATE") r.kind = StmtKind::Update;
    else if (w == u"DELETE") r.kind = StmtKind::Delete;
    else r.kind = StmtKind::Other;
    return r;
}

QString withRowid(const QString& select, const QString& alias) {
    Toks t = tokenize(select);
    const size_t first = nextSig(t, 0);
    if (first >= t.size()) return select;
    Toks out(t.begin(), t.begin() + long(first) + 1);
    out.push_back(space());
    out.push_back(word(QStringLiteral("rowid AS ") + alias + QStringLiteral(",")));
    out.insert(out.end(), t.begin() + long(first) + 1, t.end());
    return join(out);
}

}  // namespace ado::sql
