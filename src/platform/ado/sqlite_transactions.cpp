// The embedded engine's transactions: BEGIN, COMMIT, ROLLBACK and SAVE
// TRAN nested and named as on the server, the connection's work inside a
// transaction kept as its statements and their outcomes (journaled, in
// sqlite_engine_private.h), and a commit that other stations refused: its
// work parked, undone in the file, and stored again at the caller's next
// statement only when every statement gives what it gave the first time.
// The statements themselves run in sqlite_engine.cpp.
#include "platform/ado/sqlite_engine_private.h"

#include <atomic>

namespace ado::embedded {

bool SqliteEngine::begin(ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    if (!atItsPath(errors)) return false;
    if (parked_ && !resume(errors)) return false;
    return journaled({Step::Begin, {}}, [&] { return transaction(sql::StmtKind::Begin, errors); }, nullptr);
}

bool SqliteEngine::commit(ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    if (!atItsPath(errors)) return false;
    if (parked_ && !resume(errors)) return false;
    const bool ok = transaction(sql::StmtKind::Commit, errors);
    if (sqlite3_get_autocommit(db_) && !parked_) journal_.clear();
    return ok;
}

bool SqliteEngine::rollback(ErrorCollection& errors) {
    const BusyWait::Statement statement(*busy_);
    if (parked_) {
        dropParked();
        return true;
    }
    const bool ok = transaction(sql::StmtKind::Rollback, errors);
    journal_.clear();
    return ok;
}

// Transactions nest as on the server: an inner BEGIN and COMMIT only count,
// the outermost COMMIT commits, any ROLLBACK undoes everything.
//
// Several stations write to one file. A transaction takes the file's
// write lock when it begins (waiting for another station's transaction
// up to the command time-out): one that only took it at its first write,
// after reading, would be refused at once whenever another station
// writes, since the library cannot wait there without risking that both
// wait for each other. Reads outside a transaction take no write lock and
// go on while another station writes. The file keeps its rollback
// journal: a write-ahead log would let readers run during a commit too,
// but it needs memory shared by every connection of the file, which the
// stations that open it from a shared program folder do not have.
//
// Names as the server keeps them: BEGIN TRAN name names the outermost
// transaction only (a name given to an inner one is ignored); ROLLBACK
// TRAN with that name undoes everything, with a savepoint's name only
// the work after the savepoint, and with any other name fails (6401).
// SAVE TRAN needs an open transaction (628).
bool SqliteEngine::transaction(sql::StmtKind kind, ErrorCollection& errors, const QString& name) {
    if (sqlite3_get_autocommit(db_)) {
        level_ = 0;
        savepoints_.clear();
    }
    versionReadInTransaction_ = false;
    switch (kind) {
    case sql::StmtKind::Begin:
        if (level_ == 0 && !plain("BEGIN IMMEDIATE", errors)) return false;
        if (level_ == 0) outerName_ = name;
        ++level_;
        return true;
    case sql::StmtKind::Save: {
        if (level_ == 0) {
            errors.add(makeError(Failure::Generic,
                                 QStringLiteral("No se puede emitir SAVE TRANSACTION si no hay ninguna transacción activa."),
                                 kSource, 628, QStringLiteral("25000")));
            return false;
        }
        if (!plain(("SAVEPOINT " + quoteName(name)).toUtf8().constData(), errors)) return false;
        savepoints_.append(name);
        return true;
    }
    case sql::StmtKind::Commit:
        if (level_ == 0) {
            errors.add(makeError(Failure::Generic,
                                 QStringLiteral("La solicitud COMMIT TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."),
                                 kSource, 3902, QStringLiteral("25000")));
            return false;
        }
        if (level_ == 1 && !plain("COMMIT", errors)) {
            if (!sqlite3_get_autocommit(db_) && errors.Count() > 0 && errors(errors.Count() - 1).Number == kErrTimeout)
                park(errors);
            return false;
        }
        --level_;
        return true;
    default:
        if (level_ == 0) {
            errors.add(makeError(Failure::Generic,
                                 QStringLiteral("La solicitud ROLLBACK TRANSACTION no tiene la correspondiente BEGIN TRANSACTION."),
                                 kSource, 3903, QStringLiteral("25000")));
            return false;
        }
        if (!name.isEmpty() && name != outerName_) {
            if (!savepoints_.contains(name, Qt::CaseInsensitive)) {
                errors.add(makeError(Failure::Generic,
                                     QStringLiteral("No se puede revertir %1. No se encontró ninguna transacción ni "
                                                    "punto de almacenamiento con ese nombre.")
                                         .arg(name),
                                     kSource, 6401, QStringLiteral("25000")));
                return false;
            }
            // back to the savepoint: the savepoints made after it go
            while (savepoints_.last().compare(name, Qt::CaseInsensitive) != 0) savepoints_.removeLast();
            guarded_.clear();
            if (!plain(("ROLLBACK TO SAVEPOINT " + quoteName(name)).toUtf8().constData(), errors)) return false;
            checkSchema(true);
            return true;
        }
        level_ = 0;
        savepoints_.clear();
        guarded_.clear();
        if (!plain("ROLLBACK", errors)) return false;
        checkSchema();  // a CREATE or ALTER undone
        return true;
    }
}

// A commit refused because other stations still read the file after the
// whole wait. The library would keep the lock it took to commit, which
// lets no station begin a read, for as long as the caller takes to
// decide (an operator looking at the error box): so the attempt ends at
// once, undone, and the lock goes. The transaction stays open for the
// caller, parked: its work is kept as the statements that did it and
// their results. The caller's next statement, a commit again among
// them, first stores the same work again in a new transaction and goes
// on only when every statement gives the results it gave the first time
// (the rows read, the rows changed, the new row ids): work that another
// station made stale meanwhile is not stored at all, and the transaction
// then takes nothing but its rollback. A rollback just forgets the work.
// The file keeps its rollback journal (see transaction()).
void SqliteEngine::park(ErrorCollection& errors) {
    const Error refused = errors(errors.Count() - 1);
    plain("ROLLBACK", errors);
    guarded_.clear();
    checkSchema();
    parked_ = true;
    long long rows = 0;
    for (const Step& s : journal_) rows += s.outcome.affected;
    errors.Clear();
    errors.add(makeError(Failure::Timeout,
                         QStringLiteral("Tiempo de espera agotado: otra estación sigue leyendo la base de datos y la "
                                        "transacción no se confirmó. No se grabó ninguna de sus %1 filas; la "
                                        "transacción sigue abierta, para grabarla de nuevo o deshacerla (%2).")
                             .arg(rows)
                             .arg(refused.Description),
                         kSource));
}

void SqliteEngine::dropParked() {
    parked_ = stale_ = false;
    journal_.clear();
    level_ = 0;
}

bool SqliteEngine::endsParked(const QString& text) {
    if (sql::statementKind(text) != sql::StmtKind::Rollback && !text.contains(u"TRANCOUNT", Qt::CaseInsensitive))
        return false;
    const QString one = text.trimmed();
    if (one.contains(u'\r') || one.contains(u'\n') || one.contains(u';')) return false;
    const sql::Rewritten rw = rewrite(one);
    return rw.kind == sql::StmtKind::Rollback &&
           (rw.guard.isEmpty() || rw.guard.contains(u"TRANCOUNT", Qt::CaseInsensitive));
}

bool SqliteEngine::resume(ErrorCollection& errors) {
    const Error stale = makeError(Failure::Generic,
                                  QStringLiteral("La transacción no se grabó: otra estación cambió los datos que "
                                                 "leyó mientras esperaba confirmarse. No se grabó ninguna de sus "
                                                 "filas; debe deshacerse."),
                                  kSource, 3930, QStringLiteral("25000"));
    if (stale_) {
        errors.add(stale);
        return false;
    }
    std::vector<Step> steps = std::move(journal_);
    const int level = level_;
    journal_.clear();
    parked_ = false;
    level_ = 0;
    replaying_ = true;
    ErrorCollection replay;
    bool same = true;
    for (const Step& s : steps) {
        if (perform(s, replay) != s.outcome) {
            same = false;
            break;
        }
    }
    replaying_ = false;
    if (same && !sqlite3_get_autocommit(db_) && level_ == level) {
        journal_ = std::move(steps);
        return true;
    }
    const bool busy = replay.Count() > 0 && replay(replay.Count() - 1).Number == kErrTimeout;
    if (!sqlite3_get_autocommit(db_)) plain("ROLLBACK", replay);
    guarded_.clear();
    checkSchema();
    if (busy) {
        journal_ = std::move(steps);
        parked_ = true;
        level_ = level;
        errors.add(replay(replay.Count() - 1));
        return false;
    }
    parked_ = stale_ = true;
    level_ = level;
    errors.add(stale);
    return false;
}

// While the work is parked, only the caller's COMMIT again (or its next
// write in the transaction) stores it; a plain read, which the caller may
// make after leaving the refused commit without rolling back, must not keep
// the file's write lock while the caller does other things. It reads the
// work stored again (it sees the transaction's own rows, and fails as stale
// work does), and the work goes back to its parking at once.
SqliteEngine::ParkedRead::ParkedRead(SqliteEngine& e, const QString& text, bool batch)
    : e_(e), read_(e.parked_ && !e.stale_ && sql::statementKind(text) == sql::StmtKind::Select &&
                   !text.contains(u"INTO", Qt::CaseInsensitive) && (!batch || sql::isSingleStatement(text))) {}

SqliteEngine::ParkedRead::~ParkedRead() {
    if (!read_ || e_.parked_) return;
    ErrorCollection ignored;
    if (!sqlite3_get_autocommit(e_.db_)) e_.plain("ROLLBACK", ignored);
    e_.guarded_.clear();
    e_.checkSchema();
    e_.parked_ = true;
}

size_t SqliteEngine::hashOf(const legacy::Variant& v) {
    if (const QString* t = v.get<QString>()) return qHash(*t);
    if (const double* x = v.get<double>()) return qHash(*x);
    if (v.IsNull() || v.IsEmpty() || v.IsObject() || v.IsArray()) return size_t(v.VarType());
    return qHashMulti(size_t(v.VarType()), v.toDouble());  // whole numbers, money, exact numbers, dates
}

size_t SqliteEngine::digest(const RecordsetData* d, const std::vector<bool>& clockColumns) {
    if (!d) return 0;
    size_t h = qHashMulti(0, d->columns.size(), d->rows.size());
    for (const Row& r : d->rows)
        for (size_t c = 0; c < r.size(); ++c)
            if (c >= clockColumns.size() || !clockColumns[c]) h = qHashMulti(h, hashOf(r[c]));
    for (const qint64 id : d->rowids) h = qHashMulti(h, id);
    return h;
}

namespace {

bool namesClock(QStringView text) {
    for (const char* clock : {"GETDATE", "GETUTCDATE", "SYSDATETIME", "CURRENT_TIMESTAMP"})
        if (text.contains(QLatin1String(clock), Qt::CaseInsensitive)) return true;
    return false;
}

// The items of a SELECT's list that read the clock, by position; nullopt
// when they cannot be told (no plain list, "*", the clock elsewhere: in the
// conditions, in a subquery).
std::optional<std::vector<bool>> clockItems(const QString& text) {
    const auto toks = sql::tokenize(text);
    size_t i = 0;
    while (i < toks.size() && !toks[i].significant()) ++i;
    if (i >= toks.size() || !toks[i].isWord("SELECT")) return std::nullopt;
    std::vector<bool> items{false};
    int depth = 0;
    const sql::Token* before = &toks[i];
    for (++i; i < toks.size(); ++i) {
        const sql::Token& t = toks[i];
        if (!t.significant()) continue;
        // "*" as an item ("t.*" too), not as a product or in COUNT(*)
        const bool all = t.isPunct('*') && (before->isWord("SELECT") || before->isPunct(',') || before->isPunct('.'));
        before = &t;
        if (t.isPunct('(')) ++depth;
        else if (t.isPunct(')')) --depth;
        else if (depth == 0 && t.isPunct(',')) items.push_back(false);
        else if (depth == 0 && t.isWord("FROM")) break;
        else if (all || t.isWord("SELECT") || t.isWord("DISTINCT") || t.isWord("TOP")) return std::nullopt;
        else if (t.kind == sql::TokKind::Word && namesClock(t.text)) items.back() = true;
    }
    // the rest of the statement must not read the clock
    for (; i < toks.size(); ++i)
        if (toks[i].kind == sql::TokKind::Word && namesClock(toks[i].text)) return std::nullopt;
    return items;
}

}  // namespace

size_t SqliteEngine::rowsDigest(const QString& text, const RecordsetData* d) {
    if (!d || !namesClock(text)) return digest(d);  // no rows: a write that stores the clock
    // the clock's columns change by themselves and say nothing of what other
    // stations changed: the rows are compared without them. A read whose
    // clock cannot be told from its rows is taken as stale: its digest never
    // matches another.
    const std::optional<std::vector<bool>> clock = clockItems(text);
    if (!clock || clock->size() != d->columns.size()) {
        static std::atomic<size_t> unique{0};
        return ++unique | (size_t(1) << (sizeof(size_t) * 8 - 1));
    }
    return digest(d, *clock);
}

SqliteEngine::Outcome SqliteEngine::perform(const Step& s, ErrorCollection& errors) {
    Outcome o;
    Result r;
    int affected = 0;
    try {
        switch (s.kind) {
        case Step::Execute: o.ok = executeNow(s.text, r, errors); break;
        case Step::Query: o.ok = queryNow(s.text, s.updatable, r, errors); break;
        case Step::Run: o.ok = runNow(s.text, s.params, affected, &o.rowid, errors); break;
        case Step::Begin: o.ok = transaction(sql::StmtKind::Begin, errors); break;
        }
    } catch (const legacy::VbError&) {
        o.ok = false;
    }
    // the connection's last new row id means something after an INSERT only
    if (s.kind == Step::Run && sql::statementKind(s.text) != sql::StmtKind::Insert) o.rowid = 0;
    o.affected = s.kind == Step::Run ? affected : r.affected;
    o.rows = rowsDigest(s.text, r.rows.get());
    return o;
}

void SqliteEngine::tranCount(sqlite3_context* ctx, int, sqlite3_value**) {
    auto* self = static_cast<SqliteEngine*>(sqlite3_user_data(ctx));
    sqlite3_result_int(ctx, sqlite3_get_autocommit(self->db_) ? 0 : self->level_);
}

bool SqliteEngine::plain(const char* sqlText, ErrorCollection& errors) {
    char* msg = nullptr;
    if (const int rc = sqlite3_exec(db_, sqlText, nullptr, nullptr, &msg); rc != SQLITE_OK) {
        const QString m = QString::fromUtf8(msg ? msg : "");
        sqlite3_free(msg);
        // a file still held by another station after the wait is a time-out
        if ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED) addError(errors, rc);
        else errors.add(makeError(Failure::Generic, m, kSource, sqlite3_extended_errcode(db_)));
        return false;
    }
    return true;
}

}  // namespace ado::embedded
