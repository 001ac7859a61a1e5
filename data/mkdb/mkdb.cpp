#include "mkdb/mkdb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cstring>
#include <string>

#include "platform/ado/sqlite_support.h"

namespace mkdb {
namespace {

void setError(QString* error, const QString& text) {
    if (error) *error = text;
}

QStringList sqlFilesIn(const QDir& dir) {
    QStringList files;
    const auto names = dir.entryList({"*.sql"}, QDir::Files, QDir::Name);
    for (const QString& n : names) files << dir.absoluteFilePath(n);
    return files;
}

// Reads "schema.txt": one schema file name a line; blank lines and text
// after "#" are ignored.
bool readSchemaList(const QString& path, QStringList* names, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        setError(error, QStringLiteral("cannot read %1").arg(path));
        return false;
    }
    const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'));
    for (QString line : lines) {
        const int hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0) line.truncate(hash);
        line = line.trimmed();
        if (!line.isEmpty()) names->append(line);
    }
    return true;
}

// Where the statement starting at `at` ends: after the ";" that completes
// it, or at the end of the text.
const char* statementEnd(const char* at) {
    for (const char* p = at; *p; ++p) {
        if (*p != ';') continue;
        const std::string head(at, p + 1);
        if (sqlite3_complete(head.c_str())) return p + 1;
    }
    return at + std::strlen(at);
}

int lineOf(const char* start, const char* at) {
    int line = 1;
    for (const char* p = start; p < at; ++p)
        if (*p == '\n') ++line;
    return line;
}

// Runs every statement of one file; on failure says where.
bool runFile(sqlite3* db, const QString& path, QString* error) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("cannot read %1").arg(path));
        return false;
    }
    const QByteArray text = f.readAll();
    const char* start = text.constData();
    const char* tail = start;
    while (*tail) {
        // Skip white space so that a failing statement is reported at its
        // first line, not at the blank line before it.
        while (*tail == ' ' || *tail == '\t' || *tail == '\r' || *tail == '\n') ++tail;
        if (!*tail) break;
        const char* stmtStart = tail;
        if (statementEngine(QByteArrayView(stmtStart, statementEnd(stmtStart) - stmtStart)) == Engine::Server) {
            tail = statementEnd(stmtStart);
            continue;
        }
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db, stmtStart, -1, &stmt, &tail);
        if (rc == SQLITE_OK && stmt) {
            do {
                rc = sqlite3_step(stmt);
            } while (rc == SQLITE_ROW);
            if (rc == SQLITE_DONE) rc = SQLITE_OK;
        }
        if (rc != SQLITE_OK) {
            setError(error, QStringLiteral("%1:%2: %3")
                                .arg(QFileInfo(path).fileName())
                                .arg(lineOf(start, stmtStart))
                                .arg(QString::fromUtf8(sqlite3_errmsg(db))));
            sqlite3_finalize(stmt);
            return false;
        }
        sqlite3_finalize(stmt);  // a comment-only tail gives no statement
    }
    return true;
}

bool exec(sqlite3* db, const char* sql, QString* error) {
    char* msg = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &msg) == SQLITE_OK) return true;
    setError(error, QString::fromUtf8(msg ? msg : sqlite3_errmsg(db)));
    sqlite3_free(msg);
    return false;
}

}  // namespace

Engine statementEngine(QByteArrayView text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto blank = [&](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    for (;;) {
        while (i < n && blank(text[i])) ++i;
        if (i + 1 < n && text[i] == '/' && text[i + 1] == '*') {
            const qsizetype close = text.indexOf(QByteArrayView("*/"), i + 2);
            if (close < 0) return Engine::Both;
            i = close + 2;
            continue;
        }
        if (!(i + 1 < n && text[i] == '-' && text[i + 1] == '-')) return Engine::Both;
        qsizetype end = text.indexOf('\n', i);
        if (end < 0) end = n;
        QByteArray line;
        for (qsizetype k = i + 2; k < end; ++k)
            if (!blank(text[k])) line += char(text[k] >= 'A' && text[k] <= 'Z' ? text[k] + ('a' - 'A') : text[k]);
        if (line == "engine:embedded") return Engine::Embedded;
        if (line == "engine:server") return Engine::Server;
        i = end;
    }
}

QStringList databaseFiles(const QString& dataDir, const QString& name, bool withData,
                          QString* error) {
    const QDir root(dataDir);
    const QDir schemaDir(root.filePath(QStringLiteral("schema")));
    if (!schemaDir.exists()) {
        setError(error, QStringLiteral("no schema folder %1").arg(schemaDir.path()));
        return {};
    }
    QDir dbDir(root.filePath(QStringLiteral("demo/") + name));
    if (name.isEmpty() || !dbDir.exists()) dbDir.setPath(root.filePath(QStringLiteral("demo/DEMO")));

    QStringList files;
    const QString listPath = dbDir.filePath(QStringLiteral("schema.txt"));
    if (QFileInfo::exists(listPath)) {
        QStringList names;
        if (!readSchemaList(listPath, &names, error)) return {};
        for (const QString& n : names) {
            const QString p = schemaDir.absoluteFilePath(n);
            if (!QFileInfo::exists(p)) {
                setError(error, QStringLiteral("%1 names a missing schema file: %2").arg(listPath, n));
                return {};
            }
            files << p;
        }
    } else {
        files = sqlFilesIn(schemaDir);
    }
    if (files.isEmpty()) {
        setError(error, QStringLiteral("no schema files in %1").arg(schemaDir.path()));
        return {};
    }
    if (withData) {
        if (!dbDir.exists()) {
            setError(error, QStringLiteral("no data folder %1").arg(dbDir.path()));
            return {};
        }
        files << sqlFilesIn(dbDir);
    }
    return files;
}

bool createDatabase(const QString& output, const QStringList& sqlFiles, bool overwrite,
                    QString* error) {
    const QFileInfo out(output);
    if (out.exists() && !overwrite) {
        setError(error, QStringLiteral("%1 exists (use --force to replace it)").arg(output));
        return false;
    }
    if (!QDir().mkpath(out.absolutePath())) {
        setError(error, QStringLiteral("cannot create folder %1").arg(out.absolutePath()));
        return false;
    }
    const QString temp = out.absoluteFilePath() + QStringLiteral(".part");
    QFile::remove(temp);

    sqlite3* db = nullptr;
    const QByteArray tempPath = QFile::encodeName(temp);
    if (sqlite3_open_v2(tempPath.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK) {
        setError(error, QStringLiteral("cannot create %1: %2")
                            .arg(temp, QString::fromUtf8(sqlite3_errmsg(db))));
        sqlite3_close(db);
        return false;
    }
    ado::RegisterSqliteExtensions(db);

    // One transaction for everything: fast, and all or nothing.
    bool ok = exec(db, "BEGIN", error);
    for (const QString& f : sqlFiles) {
        if (!ok) break;
        ok = runFile(db, f, error);
    }
    ok = ok && exec(db, "COMMIT", error);
    sqlite3_close(db);

    if (!ok) {
        QFile::remove(temp);
        return false;
    }
    if (out.exists() && !QFile::remove(out.absoluteFilePath())) {
        QFile::remove(temp);
        setError(error, QStringLiteral("cannot replace %1").arg(output));
        return false;
    }
    if (!QFile::rename(temp, out.absoluteFilePath())) {
        QFile::remove(temp);
        setError(error, QStringLiteral("cannot write %1").arg(output));
        return false;
    }
    return true;
}

bool runQuery(const QString& path, const QString& sql, QString* out, QString* error) {
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        setError(error, QStringLiteral("cannot open %1: %2").arg(path, QString::fromUtf8(sqlite3_errmsg(db))));
        sqlite3_close(db);
        return false;
    }
    ado::RegisterSqliteExtensions(db);
    const QByteArray text = sql.toUtf8();
    const char* tail = text.constData();
    bool ok = true;
    while (ok && *tail) {
        const char* start = tail;
        sqlite3_stmt* stmt = nullptr;
        int rc = sqlite3_prepare_v2(db, start, -1, &stmt, &tail);
        if (rc == SQLITE_OK && stmt) {
            const int columns = sqlite3_column_count(stmt);
            QStringList line;
            for (int i = 0; i < columns; ++i) line << QString::fromUtf8(sqlite3_column_name(stmt, i));
            if (columns > 0 && out) *out += line.join(QLatin1Char('|')) + QLatin1Char('\n');
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                line.clear();
                for (int i = 0; i < columns; ++i)
                    line << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, i)));
                if (out) *out += line.join(QLatin1Char('|')) + QLatin1Char('\n');
            }
            if (rc == SQLITE_DONE) rc = SQLITE_OK;
        }
        if (rc != SQLITE_OK) {
            setError(error, QStringLiteral("%1 in: %2")
                                .arg(QString::fromUtf8(sqlite3_errmsg(db)),
                                     QString::fromUtf8(start, int(tail > start ? tail - start : std::strlen(start)))
                                         .trimmed()));
            ok = false;
        }
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return ok;
}

}  // namespace mkdb
