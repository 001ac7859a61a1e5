#include "support/servidor.h"

#include "support/testdb.h"
#include "mkdb/mkdb.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sql_lexer.h"
#include "platform/legacy/vberror.h"

#include <QFile>
#include <QRegularExpression>

#include <stdexcept>
#include <utility>

namespace testdb {

std::optional<Servidor> servidorDePrueba()
{
    const QString valor = qEnvironmentVariable("VORDANE_TEST_MSSQL").trimmed();
    if (valor.isEmpty())
        return std::nullopt;
    Servidor s;
    s.parametros = valor;
    for (const QString& parte : valor.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype igual = parte.indexOf(u'=');
        if (igual < 0)
            continue;
        const QString clave = parte.left(igual).trimmed().toLower();
        const QString dato = parte.mid(igual + 1).trimmed();
        if (clave == u"@server") s.servidor = dato;
        else if (clave == u"@dbname") s.base = dato;
        else if (clave == u"@usuario") s.usuario = dato;
        else if (clave == u"@password") s.clave = dato;
    }
    if (s.servidor.isEmpty() || s.base.isEmpty() || s.servidor.compare(u"(sqlite)", Qt::CaseInsensitive) == 0)
        throw std::runtime_error("VORDANE_TEST_MSSQL must name a server (@server=) and a database (@dbname=)");
    return s;
}

QString sinServidor()
{
    return QStringLiteral("VORDANE_TEST_MSSQL is not set: no SQL Server to run against (see README, \"Tests against "
                          "a SQL Server\")");
}

namespace {

// The filtered indexes and the indexes on computed columns of the schema
// refuse every write unless the session has these options as listed: the
// first connection says at once which one the server or its login has
// otherwise.
void compruebaOpciones(ado::Connection& cnn, const Servidor& s)
{
    static const std::pair<const char*, int> opciones[] = {
        {"ANSI_NULLS", 1}, {"ANSI_PADDING", 1},            {"ANSI_WARNINGS", 1},     {"ARITHABORT", 1},
        {"CONCAT_NULL_YIELDS_NULL", 1}, {"QUOTED_IDENTIFIER", 1}, {"NUMERIC_ROUNDABORT", 0},
    };
    QString sql = QStringLiteral("SELECT ");
    for (const auto& [nombre, valor] : opciones) {
        if (sql.size() > 7)
            sql += QStringLiteral(", ");
        sql += QStringLiteral("CONVERT(INT, SESSIONPROPERTY('%1')) AS [%1]").arg(QString::fromLatin1(nombre));
    }
    std::shared_ptr<ado::Recordset> rs;
    try {
        rs = cnn.Execute(sql);
    } catch (const legacy::VbError& e) {
        throw std::runtime_error(("VORDANE_TEST_MSSQL: cannot read the session options on " + s.servidor + ": " +
                                  e.Description)
                                     .toStdString());
    }
    if (!rs || rs->State() != ado::adStateOpen || rs->Eof())
        throw std::runtime_error(("VORDANE_TEST_MSSQL: " + s.servidor + " gave no session options").toStdString());
    for (const auto& [nombre, valor] : opciones) {
        const legacy::Variant v = rs->Fields(QString::fromLatin1(nombre)).Value();
        if (v.IsNull() || v.toLong() != valor)
            throw std::runtime_error(QStringLiteral("VORDANE_TEST_MSSQL: the session option %1 is %2 on %3; the schema's "
                                                    "indexes need it %4")
                                         .arg(QString::fromLatin1(nombre),
                                              v.IsNull() ? QStringLiteral("unknown") : (v.toLong() ? QStringLiteral("ON") : QStringLiteral("OFF")),
                                              s.servidor, valor ? QStringLiteral("ON") : QStringLiteral("OFF"))
                                         .toStdString());
    }
}

}  // namespace

QString cadenaConexion(const Servidor& s, const QString& base)
{
    return QStringLiteral("PROVIDER=SQLOLEDB;Server=%1;Database=%2;UId=%3;Pwd=%4;Connect Timeout=15;")
        .arg(s.servidor, base.isEmpty() ? s.base : base, s.usuario, s.clave);
}

std::shared_ptr<ado::Connection> conectaServidor(const Servidor& s, const QString& base)
{
    auto cnn = std::make_shared<ado::Connection>();
    try {
        cnn->Open(cadenaConexion(s, base));
    } catch (const legacy::VbError& e) {
        throw std::runtime_error(("VORDANE_TEST_MSSQL: cannot open " + (base.isEmpty() ? s.base : base) + " on " +
                                  s.servidor + ": " + e.Description)
                                     .toStdString());
    }
    compruebaOpciones(*cnn, s);
    return cnn;
}

namespace {

void ejecuta(ado::Connection& cnn, const QString& sql)
{
    try {
        cnn.Execute(sql);
    } catch (const legacy::VbError& e) {
        throw std::runtime_error(("server: " + e.Description + " in: " + sql.left(300)).toStdString());
    }
}

// A statement of the embedded schema as the server takes it.
QString ParaServidor(const QString& sentencia)
{
    const auto t = ado::sql::tokenize(sentencia);
    QString out;
    for (size_t i = 0; i < t.size(); ++i) {
        const size_t n = ado::sql::nextSig(t, i + 1);
        if (t[i].isWord("COLLATE") && n < t.size()) {
            i = n;  // the server's own collation
            continue;
        }
        if (t[i].isWord("INTEGER") && n < t.size() && t[n].isWord("PRIMARY")) {
            out += QStringLiteral("INT IDENTITY(1,1)");
            continue;
        }
        // A date as the embedded file keeps it ('yyyy-mm-dd[ hh:mm:ss]'): the
        // server reads that form by its date format (year, day, month under
        // the connection's dmy), so it goes in a form read one way only.
        static const QRegularExpression guardada(QStringLiteral(R"(^'(\d{4})-(\d\d)-(\d\d)(?: (\d\d:\d\d:\d\d(?:\.\d{1,3})?))?'$)"));
        if (const auto m = guardada.match(t[i].text); t[i].kind == ado::sql::TokKind::String && m.hasMatch()) {
            out += m.hasCaptured(4) ? QStringLiteral("'%1-%2-%3T%4'").arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4))
                                    : QStringLiteral("'%1%2%3'").arg(m.captured(1), m.captured(2), m.captured(3));
            continue;
        }
        out += t[i].text;
    }
    return out.trimmed();
}

}  // namespace

void creaEnServidor(ado::Connection& cnn, const QString& name, bool withDemoData)
{
    // views first, then tables
    for (const char* tipo : {"V", "U"}) {
        auto rs = cnn.Execute(QStringLiteral("SELECT name FROM sys.objects WHERE type = '%1' AND is_ms_shipped = 0")
                                  .arg(QString::fromLatin1(tipo)));
        QStringList nombres;
        for (; rs && rs->State() == ado::adStateOpen && !rs->Eof(); rs->MoveNext())
            nombres << rs->Fields(0).Value().toString();
        for (const QString& n : nombres)
            ejecuta(cnn, (tipo[0] == 'V' ? QStringLiteral("DROP VIEW [") : QStringLiteral("DROP TABLE [")) + n + u']');
    }
    const QStringList files = testdb::dataFiles(name, withDemoData);
    for (const QString& file : files) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("testdb: cannot read " + file.toStdString());
        // one statement at a time: the server wants CREATE VIEW alone; a
        // statement led by "-- engine: embedded" is not for the server
        QString sentencia, conComentarios;
        const auto termina = [&] {
            if (!sentencia.trimmed().isEmpty() &&
                mkdb::statementEngine(conComentarios.toUtf8()) != mkdb::Engine::Embedded)
                ejecuta(cnn, ParaServidor(sentencia));
            sentencia.clear();
            conComentarios.clear();
        };
        for (const auto& tok : ado::sql::tokenize(QString::fromUtf8(f.readAll()))) {
            if (!tok.isPunct(';')) {
                if (tok.kind != ado::sql::TokKind::Comment)
                    sentencia += tok.text;
                conComentarios += tok.text;
                continue;
            }
            termina();
        }
        termina();
    }
}

}  // namespace testdb
