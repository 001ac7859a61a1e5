// The embedded schema, the demo databases and the tool that builds them.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

#include "mkdb/mkdb.h"
#include "mkdb/produccion.h"
#include "platform/ado/sqlite_support.h"
#include "platform/kapores2/funciones.h"
#include "support/testdb.h"

namespace {

// A database file opened the way the program opens it: with the server
// collation and functions.
class Db {
public:
    explicit Db(const QString& path) {
        const QByteArray p = QFile::encodeName(path);
        if (sqlite3_open_v2(p.constData(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << p.constData();
        ado::RegisterSqliteExtensions(db_);
    }
    ~Db() { sqlite3_close(db_); }
    sqlite3* handle() const { return db_; }

    // The rows of a query, each as a list of texts (NULL as a null QString).
    QList<QStringList> rows(const QString& sql) const {
        QList<QStringList> out;
        sqlite3_stmt* st = nullptr;
        const QByteArray text = sql.toUtf8();
        if (sqlite3_prepare_v2(db_, text.constData(), -1, &st, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db_) << " in " << text.constData();
            return out;
        }
        while (sqlite3_step(st) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                const auto* v = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
                row << (v ? QString::fromUtf8(v) : QString());
            }
            out << row;
        }
        sqlite3_finalize(st);
        return out;
    }
    QString value(const QString& sql) const {
        const auto r = rows(sql);
        return r.isEmpty() || r.first().isEmpty() ? QString() : r.first().first();
    }
    int count(const QString& sql) const { return value(sql).toInt(); }

    QStringList tables() const {
        QStringList names;
        for (const auto& r : rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
            names << r.first();
        return names;
    }
    // (column, declared type) of a table.
    QList<QPair<QString, QString>> columns(const QString& table) const {
        QList<QPair<QString, QString>> cols;
        for (const auto& r : rows(QStringLiteral("PRAGMA table_info([%1])").arg(table)))
            cols.append({r.at(1), r.at(2)});
        return cols;
    }

private:
    sqlite3* db_ = nullptr;
};

class DemoDatabase : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new testdb::TempFolder;
        demo_ = new QString(testdb::createDatabase(folder_->path(), "DEMO", true));
    }
    static void TearDownTestSuite() {
        delete demo_;
        delete folder_;
    }
    static testdb::TempFolder* folder_;
    static QString* demo_;
};
testdb::TempFolder* DemoDatabase::folder_ = nullptr;
QString* DemoDatabase::demo_ = nullptr;

TEST(Schema, CreatesEveryTableTheProgramReads) {
    testdb::TempFolder folder;
    const Db db(testdb::createDatabase(folder.path(), "EMPTY", false));
    const QStringList expected = {
        "TA_CONFIGURACION", "TA_USUARIOS", "TA_TAREAS", "TA_MENU", "Control_Acceso", "AUX_ERR",
        "V_MV_CPTEACCIONES", "V_MV_CPTE", "V_MV_CPTEINSUMOS", "V_MV_CPTETAREAS", "V_MV_CPTE_OBSERV",
        "C_MV_CPTE", "C_MV_CPTEINSUMOS", "C_MV_CPTETAREAS", "C_MV_CPTE_OBSERV", "V_MV_STOCK",
        "MV_APLICACION", "MV_ASIENTOS", "V_MV_CTROL_CPTE", "V_MV_RESERVAS", "V_MV_BONOS_DETALLE",
        "V_MV_MUTUALES", "V_TA_CPTE", "TA_Comprobantes", "V_MA_ARTICULOS", "V_TA_DEPOSITO",
        "V_TA_UNIDAD", "S_TA_EQUIV", "STK_SERIES_Y_LOTES", "V_TA_UNIDADNEGOCIO", "MA_CUENTAS",
        "SS_MV_ASIENTOS", "SS_MA_CUENTAS", "SS_V_TA_DEPOSITO", "VT_MA_ARTICULOS",
        "VT_V_MV_INSUMOS_APLICACION"};
    for (const QString& t : expected)
        EXPECT_EQ(db.count(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = '%1' "
                                          "COLLATE NOCASE AND type IN ('table', 'view')").arg(t)), 1)
            << t.toStdString();
    // Every view compiles against the tables.
    for (const auto& r : db.rows("SELECT name FROM sqlite_master WHERE type = 'view'"))
        EXPECT_GE(db.count(QStringLiteral("SELECT COUNT(*) FROM [%1]").arg(r.first())), 0);
}

// The data layer maps declared types to field types, and texts compare as
// the server compares them only with the collation: both must hold for
// every column of every table.
TEST(Schema, EveryColumnHasAServerTypeAndEveryTextColumnTheCollation) {
    testdb::TempFolder folder;
    const Db db(testdb::createDatabase(folder.path(), "EMPTY", false));
    static const QRegularExpression serverType(
        "^(CHAR\\(\\d+\\)|VARCHAR\\(\\d+\\)|TEXT|INT|INTEGER|SMALLINT|TINYINT|BIGINT|"
        "DECIMAL\\(\\d+,\\d+\\)|NUMERIC\\(\\d+,\\d+\\)|MONEY|FLOAT|DATETIME|SMALLDATETIME|BIT)$");
    int textColumns = 0;
    for (const QString& table : db.tables()) {
        for (const auto& [column, type] : db.columns(table)) {
            const std::string where = (table + "." + column).toStdString();
            EXPECT_TRUE(serverType.match(type).hasMatch()) << where << " " << type.toStdString();
            if (!type.contains("CHAR") && type != "TEXT") continue;
            ++textColumns;
            const char* collation = nullptr;
            ASSERT_EQ(sqlite3_table_column_metadata(db.handle(), nullptr, table.toUtf8().constData(),
                                                    column.toUtf8().constData(), nullptr,
                                                    &collation, nullptr, nullptr, nullptr),
                      SQLITE_OK)
                << where;
            EXPECT_STREQ(collation, ado::kTextCollation) << where;
        }
    }
    EXPECT_GT(textColumns, 300);
}

TEST(Schema, StatisticsDatabaseHoldsOnlyTheConfigurationTable) {
    testdb::TempFolder folder;
    const Db db(testdb::createDatabase(folder.path(), "KD_REGISTROSVAR", true));
    EXPECT_EQ(db.tables(), QStringList{"TA_CONFIGURACION"});
    // The time-out row that the start-up reads by key alone.
    EXPECT_EQ(db.value("SELECT Valor FROM TA_CONFIGURACION WHERE CLAVE = 'TimeOut'"), "30");
    EXPECT_EQ(db.value("SELECT Grupo FROM TA_CONFIGURACION WHERE CLAVE = 'TimeOut'"), "BaseDeDatos");
}

// What each demo voucher holds, counted with the conditions of the deletion
// batch: by type, id and complement; by type and split key; as application
// origin; by type and id for reservations; the bonus and mutual-aid rows by
// id alone.
struct VoucherRows {
    const char* tc;  // as typed: the collation must find the padded "FP  "
    const char* suc;
    const char* nro;
    const char* letra;
    int header, lines, tasks, otherConcepts, stock, applied, appliedFrom, seats, control,
        reservations, bonus, mutual, purchaseHeader;
};

const VoucherRows kVouchers[] = {
    {"FP", "0001", "00000100", "A", 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 0, 0, 0},
    {"FP", "0001", "00000101", "A", 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 0, 0, 0},
    {"FCC", "0002", "00004567", "A", 0, 0, 0, 0, 2, 1, 1, 2, 1, 1, 0, 0, 1},
    {"AJP", "0001", "00000050", "X", 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 0, 0, 0},
    {"NC", "0001", "00000200", "B", 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 1, 0, 0},
    {"fc", "0001", "00000300", "B", 1, 2, 1, 1, 2, 1, 1, 2, 1, 1, 0, 1, 0},
};

TEST_F(DemoDatabase, EachVoucherHasItsRowsUnderTheDeletionConditions) {
    const Db db(*demo_);
    for (const auto& v : kVouchers) {
        const QString tc = v.tc, id = QString(v.suc) + v.nro + v.letra;
        const QString byId = QStringLiteral(" WHERE TC = '%1' AND IDCOMPROBANTE = '%2' AND IdComplemento = 0").arg(tc, id);
        const QString bySplit = QStringLiteral(" WHERE TC = '%1' AND SUCURSAL = '%2' AND NUMERO = '%3' AND LETRA = '%4'")
                                    .arg(tc, v.suc, v.nro, v.letra);
        auto n = [&](const QString& sql) { return db.count("SELECT COUNT(*) FROM " + sql); };
        SCOPED_TRACE((tc + " " + id).toStdString());
        EXPECT_EQ(n("V_MV_CPTE" + byId), v.header);
        EXPECT_EQ(n("V_MV_CPTEINSUMOS" + byId), v.lines);
        EXPECT_EQ(n("V_MV_CPTETAREAS" + byId), v.tasks);
        EXPECT_EQ(n("V_MV_CPTE_OBSERV" + byId + " AND TIPO_OBS = 'OC'"), v.otherConcepts);
        EXPECT_EQ(n("V_MV_STOCK" + byId), v.stock);
        EXPECT_EQ(n("MV_APLICACION" + bySplit), v.applied);
        EXPECT_EQ(n(QStringLiteral("MV_APLICACION WHERE TCO_ORIGEN = '%1' AND SUCURSAL_ORIGEN = '%2' "
                                   "AND NUMERO_ORIGEN = '%3' AND LETRA_ORIGEN = '%4'")
                        .arg(tc, v.suc, v.nro, v.letra)),
                  v.appliedFrom);
        EXPECT_EQ(n("MV_ASIENTOS" + bySplit), v.seats);
        EXPECT_EQ(n("V_MV_CTROL_CPTE" + bySplit), v.control);
        EXPECT_EQ(n(QStringLiteral("V_MV_RESERVAS WHERE TC = '%1' AND IDCOMPROBANTE='%2'").arg(tc, id)), v.reservations);
        EXPECT_EQ(n(QStringLiteral("V_MV_BONOS_DETALLE WHERE IDNC = '%1'").arg(id)), v.bonus);
        EXPECT_EQ(n(QStringLiteral("V_MV_MUTUALES WHERE FACTURA= '%1'").arg(id)), v.mutual);
        EXPECT_EQ(n(QStringLiteral("C_MV_CPTE WHERE TC = '%1' AND IDCOMPROBANTE = '%2'").arg(tc, id)), v.purchaseHeader);
    }
}

// No row answers to two vouchers, and every row of the tables the deletion
// empties belongs to one of them: a test that deletes one voucher can count
// the others' rows as untouched.
TEST_F(DemoDatabase, VoucherRowsDoNotOverlap) {
    const Db db(*demo_);
    // The deletion's vouchers are those of branches 0001 and 0002; the demo
    // rows of the other modules use branches of their own.
    struct Total { const char* table; const char* branch; int rows; } totals[] = {
        {"V_MV_STOCK", "SUBSTR(IdComprobante, 1, 4)", 12}, {"MV_ASIENTOS", "SUCURSAL", 12},
        {"V_MV_CTROL_CPTE", "SUCURSAL", 6}, {"V_MV_RESERVAS", "SUBSTR(IdComprobante, 1, 4)", 6},
        {"MV_APLICACION", "SUCURSAL", 12}, {"V_MV_CPTE", "SUBSTR(IdComprobante, 1, 4)", 5},
        {"V_MV_CPTEINSUMOS", "SUBSTR(IdComprobante, 1, 4)", 10},
        {"V_MV_CPTE_OBSERV", "SUBSTR(IdComprobante, 1, 4)", 10},
    };
    for (const auto& t : totals)
        EXPECT_EQ(db.count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IN ('0001', '0002')").arg(t.table, t.branch)),
                  t.rows)
            << t.table;
    // Applications: each row is matched once as destination and once as
    // origin over all the vouchers (2 per voucher either way).
    int asDestination = 0, asOrigin = 0;
    for (const auto& v : kVouchers) {
        asDestination += db.count(QStringLiteral("SELECT COUNT(*) FROM MV_APLICACION WHERE TC = '%1' AND SUCURSAL = '%2' "
                                                 "AND NUMERO = '%3' AND LETRA = '%4'").arg(v.tc, v.suc, v.nro, v.letra));
        asOrigin += db.count(QStringLiteral("SELECT COUNT(*) FROM MV_APLICACION WHERE TCO_ORIGEN = '%1' AND "
                                            "SUCURSAL_ORIGEN = '%2' AND NUMERO_ORIGEN = '%3' AND LETRA_ORIGEN = '%4'")
                                 .arg(v.tc, v.suc, v.nro, v.letra));
    }
    EXPECT_EQ(asDestination + asOrigin, 12);
    // The bonus and mutual-aid rows of other vouchers stay.
    EXPECT_EQ(db.count("SELECT COUNT(*) FROM V_MV_BONOS_DETALLE"), 2);
    EXPECT_EQ(db.count("SELECT COUNT(*) FROM V_MV_MUTUALES"), 2);
}

TEST_F(DemoDatabase, AnnulledFlagsGiveEachDeletionPath) {
    const Db db(*demo_);
    const QList<QStringList> expected = {
        {"AJP ", "000100000050X", "0"}, {"FC  ", "000100000300B", "1"}, {"FP  ", "000100000100A", "1"},
        {"FP  ", "000100000101A", "0"}, {"NC  ", "000100000200B", "1"}};
    EXPECT_EQ(db.rows("SELECT TC, IDCOMPROBANTE, ANULADA FROM V_MV_CPTE WHERE SUBSTR(IDCOMPROBANTE, 1, 4) IN ('0001', "
                      "'0002') ORDER BY TC, IDCOMPROBANTE"),
              expected);
}

// Keys as the server's CHAR columns store them: every value of a CHAR(n)
// column is n characters long, and dates are ISO texts that sort as dates.
TEST_F(DemoDatabase, KeysArePaddedAndDatesAreIso) {
    const Db db(*demo_);
    static const QRegularExpression width("^CHAR\\((\\d+)\\)$");
    static const QRegularExpression iso("^\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}$");
    for (const QString& table : db.tables()) {
        for (const auto& [column, type] : db.columns(table)) {
            const auto values = db.rows(QStringLiteral("SELECT [%1] FROM [%2] WHERE [%1] IS NOT NULL").arg(column, table));
            const std::string where = (table + "." + column).toStdString();
            if (const auto m = width.match(type); m.hasMatch()) {
                for (const auto& r : values)
                    EXPECT_EQ(r.first().size(), m.captured(1).toInt()) << where << " '" << r.first().toStdString() << "'";
            } else if (type == "DATETIME") {
                for (const auto& r : values)
                    EXPECT_TRUE(iso.match(r.first()).hasMatch()) << where << " " << r.first().toStdString();
            }
        }
    }
    EXPECT_EQ(db.value("SELECT codigo FROM V_TA_UNIDADNEGOCIO"), "   1");
}

TEST_F(DemoDatabase, LoginAndStartUpRows) {
    const Db db(*demo_);
    // The user named like the database, and a user of another system.
    EXPECT_EQ(db.rows("SELECT SISTEMA, Administrador FROM TA_USUARIOS WHERE NOMBRE = 'demo '"),
              (QList<QStringList>{{"qm410tx", "1"}}));
    EXPECT_EQ(db.value("SELECT SISTEMA FROM TA_USUARIOS WHERE NOMBRE = 'CONTADOR'"), "TORLEX");
    // Passwords are kept in the stored form that the login check decodes.
    const QList<QPair<QString, QString>> passwords = {
        {"DEMO", "DEMO"}, {"SUPERVISOR", "SUPER"}, {"OPERADOR", "CLAVE1"}, {"CONTADOR", "CONTA"}};
    for (const auto& [user, password] : passwords) {
        const QString stored = db.value("SELECT PassWord FROM TA_USUARIOS WHERE NOMBRE = '" + user + "'");
        EXPECT_NE(stored, password) << user.toStdString();
        EXPECT_EQ(kapores2::Funciones::DecodificaClave(stored), password) << user.toStdString();
    }
    // The configuration keys are found by name whatever the letter case.
    EXPECT_EQ(db.value("SELECT Valor FROM TA_CONFIGURACION WHERE CLAVE = 'CFondo'"), "16774118");
    EXPECT_EQ(db.value("SELECT Valor FROM TA_CONFIGURACION WHERE CLAVE = 'UNIDADDEMEDIDA_KG'"), "KG");
    EXPECT_EQ(db.count("SELECT COUNT(*) FROM TA_CONFIGURACION WHERE Grupo <> 'DATOS'"), 0);
    EXPECT_EQ(db.count("SELECT COUNT(*) FROM TA_CONFIGURACION GROUP BY CLAVE HAVING COUNT(*) > 1"), 0);
}

// The query of the README: the file read as the program reads it, texts
// compared and sorted without regard to case or trailing blanks.
TEST_F(DemoDatabase, QueryRunsWithTheProgramsCollationAndPrintsRows) {
    QString out, error;
    EXPECT_TRUE(mkdb::runQuery(*demo_,
                               "SELECT TC, IDCOMPROBANTE, ANULADA FROM V_MV_CPTE WHERE TC = 'fp' AND IDCOMPROBANTE LIKE '0001%' "
                               "ORDER BY IDCOMPROBANTE;"
                               "SELECT COUNT(*) AS N FROM V_MV_CPTE WHERE TC = 'ajp'",
                               &out, &error))
        << error.toStdString();
    EXPECT_EQ(out.toStdString(), "TC|IDCOMPROBANTE|ANULADA\nFP  |000100000100A|1\nFP  |000100000101A|0\nN\n1\n");

    const std::pair<QString, const char*> failures[] = {
        {*demo_ + ".nope", "cannot open"},  // no file is created
        {*demo_, "no such table: NOPE in: SELECT * FROM NOPE"},
    };
    for (const auto& [file, message] : failures) {
        out.clear();
        EXPECT_FALSE(mkdb::runQuery(file, "SELECT 1 AS A; SELECT * FROM NOPE", &out, &error));
        EXPECT_TRUE(error.contains(message)) << error.toStdString();
    }
    EXPECT_EQ(out.toStdString(), "A\n1\n") << "the rows before the failing statement are printed";
    EXPECT_FALSE(QFileInfo::exists(*demo_ + ".nope"));
}

TEST(Mkdb, RefusesToOverwriteUnlessTold) {
    testdb::TempFolder folder;
    const QString out = folder.file("X.sqlite");
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("old");
    f.close();
    const QStringList files = mkdb::databaseFiles(VORDANE_SOURCE_DIR "/data", "KD_REGISTROSVAR", true);
    QString error;
    EXPECT_FALSE(mkdb::createDatabase(out, files, false, &error));
    EXPECT_TRUE(error.contains("exists")) << error.toStdString();
    EXPECT_EQ(QFileInfo(out).size(), 3);
    EXPECT_TRUE(mkdb::createDatabase(out, files, true, &error)) << error.toStdString();
    EXPECT_EQ(Db(out).value("SELECT Valor FROM TA_CONFIGURACION"), "30");
}

TEST(Mkdb, AFailingStatementNamesItsPlaceAndLeavesTheOldFile) {
    testdb::TempFolder folder;
    const QString good = folder.file("good.sql"), bad = folder.file("bad.sql");
    QFile g(good), b(bad);
    ASSERT_TRUE(g.open(QIODevice::WriteOnly) && b.open(QIODevice::WriteOnly));
    g.write("CREATE TABLE T (A VARCHAR(5) COLLATE SRVTEXT);\nINSERT INTO T VALUES ('x');\n");
    b.write("-- comment\nINSERT INTO T VALUES ('y');\n\nINSERT INTO NOPE VALUES (1);\n");
    g.close();
    b.close();
    const QString out = folder.file("T.sqlite");
    QString error;
    ASSERT_TRUE(mkdb::createDatabase(out, {good}, false, &error)) << error.toStdString();
    EXPECT_FALSE(mkdb::createDatabase(out, {good, bad}, true, &error));
    EXPECT_TRUE(error.startsWith("bad.sql:4:")) << error.toStdString();
    EXPECT_TRUE(error.contains("NOPE")) << error.toStdString();
    // The earlier file is intact, and nothing half-made is left behind.
    EXPECT_EQ(Db(out).count("SELECT COUNT(*) FROM T"), 1);
    EXPECT_EQ(QDir(folder.path()).entryList({"*.part"}, QDir::Files).size(), 0);
}

TEST(Mkdb, DatabaseFilesFollowTheDataFolders) {
    const QString data = VORDANE_SOURCE_DIR "/data";
    const QStringList kd = mkdb::databaseFiles(data, "KD_REGISTROSVAR", true);
    ASSERT_EQ(kd.size(), 2);
    EXPECT_TRUE(kd[0].endsWith("schema/10_config.sql"));
    EXPECT_TRUE(kd[1].endsWith("demo/KD_REGISTROSVAR/10_timeout.sql"));
    // A name without a data folder of its own takes the whole schema and,
    // when asked, the demo rows.
    const QStringList plain = mkdb::databaseFiles(data, "PRUEBA", false);
    const QStringList withDemo = mkdb::databaseFiles(data, "PRUEBA", true);
    EXPECT_GT(plain.size(), 1);
    EXPECT_TRUE(withDemo.last().contains("demo/DEMO/"));
    QString error;
    EXPECT_TRUE(mkdb::databaseFiles("/nonexistent", "DEMO", true, &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(TestDb, ReplacesAnOldDatabase) {
    testdb::TempFolder folder;
    const QString path = testdb::createDatabase(folder.path(), "DEMO", true);
    const int stock = Db(path).count("SELECT COUNT(*) FROM V_MV_STOCK");
    ASSERT_GT(stock, 0);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
        ado::RegisterSqliteExtensions(db);
        sqlite3_exec(db, "DELETE FROM V_MV_STOCK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    EXPECT_EQ(testdb::createDatabase(folder.path(), "DEMO", true), path);
    EXPECT_EQ(Db(path).count("SELECT COUNT(*) FROM V_MV_STOCK"), stock);
    EXPECT_EQ(path, folder.file("DEMO.sqlite"));
}

}  // namespace

// The production-size generator at tiny volumes: the same seed makes the same
// file, keys never repeat, and every line, stock row and seat belongs to a
// generated voucher whose article and customer exist.
class Produccion : public ::testing::Test {
protected:
    static mkdb::Volumenes Pequenos() {
        mkdb::Volumenes v;
        v.articulos = 120;
        v.clientes = 40;
        v.comprobantes = 250;
        v.lineasPorComprobante = 3;
        v.movimientosPorLinea = 2;
        v.lotes = 90;
        v.despachos = 60;
        v.asientosPorComprobante = 4;
        v.comprobantesCompra = 15;
        return v;
    }
    static QString Crea(const testdb::TempFolder& folder, const QString& nombre, quint64 semilla) {
        QString error;
        const QString out = folder.file(nombre);
        const QStringList files = mkdb::databaseFiles(VORDANE_SOURCE_DIR "/data", "DEMO", true, &error);
        EXPECT_TRUE(mkdb::creaProduccion(out, files, semilla, Pequenos(), &error)) << error.toStdString();
        return out;
    }
    static QByteArray Contenido(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};

TEST_F(Produccion, SameSeedSameFileOtherSeedOtherRows) {
    testdb::TempFolder folder;
    // What generations left: one interrupted (no process has the largest
    // number), its journal, and one still running (process 1).
    for (const char* resto : {"V.sqlite.gen2147483647", "V.sqlite.gen2147483647-journal", "W.sqlite.gen1"}) {
        QFile f(folder.file(resto));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    const QString a = Crea(folder, "A.sqlite", 7), b = Crea(folder, "B.sqlite", 7), c = Crea(folder, "C.sqlite", 8);
    const QByteArray contenidoA = Contenido(a);
    ASSERT_FALSE(contenidoA.isEmpty());
    EXPECT_EQ(contenidoA, Contenido(b));
    EXPECT_NE(contenidoA, Contenido(c));
    // Only the finished file is left: no partial one of this process, nor
    // of the interrupted one.
    EXPECT_EQ(QDir(folder.path()).entryList({"*.gen*"}, QDir::Files), QStringList{"W.sqlite.gen1"});
}

TEST_F(Produccion, VolumesKeysAndOwnership) {
    testdb::TempFolder folder;
    const QString demo = testdb::createDatabase(folder.path(), "DEMO", true);
    const Db base(demo);
    const Db prod(Crea(folder, "P.sqlite", 3));
    const mkdb::Volumenes v = Pequenos();
    const long long lineas = (long long)v.comprobantes * v.lineasPorComprobante;
    struct Volumen {
        const char* tabla;
        long long filas;
    } const volumenes[] = {
        {"V_MA_ARTICULOS", v.articulos},
        {"VT_CLIENTES", v.clientes},
        {"V_MV_CPTE", v.comprobantes},
        {"V_MV_CPTEINSUMOS", lineas},
        {"V_MV_STOCK", lineas * v.movimientosPorLinea},
        {"STK_SERIES_Y_LOTES", v.lotes},
        {"STK_DESPACHOS", v.despachos},
        {"MV_ASIENTOS", (long long)(v.comprobantes / 2) * v.asientosPorComprobante},
        {"C_MV_CPTE", v.comprobantesCompra},
    };
    for (const Volumen& x : volumenes) {
        const QString cuenta = QStringLiteral("SELECT COUNT(*) FROM %1").arg(x.tabla);
        EXPECT_EQ(prod.count(cuenta) - base.count(cuenta), x.filas) << x.tabla;
    }

    // Keys: each query counts rows whose key another row shares (0 expected).
    const char* const comprobaciones[] = {
        "SELECT COUNT(*) FROM (SELECT IDARTICULO FROM V_MA_ARTICULOS GROUP BY IDARTICULO HAVING COUNT(*) > 1)",
        "SELECT COUNT(*) FROM (SELECT CODIGO FROM VT_CLIENTES GROUP BY CODIGO HAVING COUNT(*) > 1)",
        "SELECT COUNT(*) FROM (SELECT 1 FROM V_MV_CPTE GROUP BY TC, IDCOMPROBANTE, IDCOMPLEMENTO HAVING COUNT(*) > 1)",
        "SELECT COUNT(*) FROM (SELECT 1 FROM V_MV_CPTEINSUMOS GROUP BY TC, IDCOMPROBANTE, IDCOMPLEMENTO, Secuencia "
        "HAVING COUNT(*) > 1)",
        "SELECT COUNT(*) FROM (SELECT 1 FROM STK_SERIES_Y_LOTES GROUP BY IdArticulo, IdDeposito, NroLote, NroSerie "
        "HAVING COUNT(*) > 1)",
        "SELECT COUNT(*) FROM (SELECT 1 FROM C_MV_CPTE GROUP BY TC, IDCOMPROBANTE HAVING COUNT(*) > 1)",
        // Ownership: rows without their voucher, article or customer.
        "SELECT COUNT(*) FROM V_MV_CPTEINSUMOS l WHERE l.IDCOMPROBANTE >= '0100' AND NOT EXISTS (SELECT 1 FROM "
        "V_MV_CPTE c WHERE c.TC = l.TC AND c.IDCOMPROBANTE = l.IDCOMPROBANTE AND c.IDCOMPLEMENTO = l.IDCOMPLEMENTO)",
        "SELECT COUNT(*) FROM V_MV_STOCK s WHERE NOT EXISTS (SELECT 1 FROM V_MV_CPTE c WHERE c.TC = s.TC AND "
        "c.IDCOMPROBANTE = s.IdComprobante AND c.IDCOMPLEMENTO = s.IdComplemento) AND s.IdComprobante >= '0100'",
        // Every generated voucher has its lines.
        "SELECT COUNT(*) FROM V_MV_CPTE c WHERE c.IDCOMPROBANTE >= '0100' AND NOT EXISTS (SELECT 1 FROM "
        "V_MV_CPTEINSUMOS l WHERE l.TC = c.TC AND l.IDCOMPROBANTE = c.IDCOMPROBANTE)",
        "SELECT COUNT(*) FROM MV_ASIENTOS a WHERE a.SUCURSAL >= '0100' AND NOT EXISTS (SELECT 1 FROM V_MV_CPTE c "
        "WHERE c.TC = a.TC AND c.IDCOMPROBANTE = a.SUCURSAL || a.NUMERO || a.LETRA)",
        "SELECT COUNT(*) FROM V_MV_CPTEINSUMOS l WHERE l.IDCOMPROBANTE >= '0100' AND NOT EXISTS (SELECT 1 FROM "
        "V_MA_ARTICULOS a WHERE a.IDARTICULO = l.IdArticulo)",
        "SELECT COUNT(*) FROM V_MV_CPTE c WHERE c.IDCOMPROBANTE >= '0100' AND NOT EXISTS (SELECT 1 FROM VT_CLIENTES "
        "k WHERE k.CODIGO = c.CUENTA)",
        // Codes padded as the program writes them.
        "SELECT COUNT(*) FROM V_MV_STOCK WHERE IdComprobante >= '0100' AND (length(IdArticulo) <> 25 OR "
        "length(TC) <> 4 OR length(IdComprobante) <> 13)",
    };
    for (const char* sql : comprobaciones)
        EXPECT_EQ(prod.count(sql), 0) << sql;
}
