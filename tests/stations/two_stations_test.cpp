// Two stations, each a process of its own, write stock vouchers on one copy
// of the demo database at the same time, as the suite's voucher windows do:
// in one transaction, the next number of the book, the stock rows, and the
// book moved on. The program runs itself as each station:
//   test_stations --estacion <folder> <name> <vouchers>
// A station prints one line "intentos=N errores=E cajas=B" and every box it
// was shown on its error output. VORDANE_ESTACIONES_VUELTAS sets the number
// of vouchers per station for a longer run, VORDANE_ESTACIONES the number of
// stations (two by default).
//   test_stations --estacion <folder> <name> <vouchers> <seed>
// stores, with the seed, vouchers of two types (AJN, AJP) in either mode of
// the stock writer and rolls one in four back as a refused save; it adds
// "grabados=G rechazados=R" to its line.
//
// A station under faults meets other stations, each a process:
//   test_stations --lector <folder> <ms>
// holds a read of the database file for <ms>, as another program reading;
// it prints "leyendo" once it holds it.
//   test_stations --consulta <folder> <sql> <ms>
// opens the query three times on its own connection (time-out 1 s: as
// written, then through its prepared shape), prints the last outcome
// ("valor=<first value>" or "error <number> <description>") and keeps its
// connection <ms> more, as a station whose operator looks at the result.
//
// Two windows of two programs also rewrite the column widths file of one
// program folder at the same time, each for its own table:
//   test_stations --anchos <folder> <table> <rewrites>
// prints "reescrituras=N errores=E"; VORDANE_ANCHOS_VUELTAS sets the number
// of rewrites for a longer run.
#include "core/modglobal.h"
#include "core/scripts.h"
#include "lookup/anchos.h"
#include "db/db_dll.h"
#include "numbering/ast.h"
#include "numbering/stock.h"
#include "platform/ado/constants.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sqlite_support.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/errortrap.h"
#include "platform/legacy/program.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/scripted.h"
#include "support/conexion_principal.h"
#include "support/testdb.h"
#include "support/testutil.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/frmmvventas.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <thread>

namespace {

const QString kTipo = QStringLiteral("AJP ");
const QString kArticulo = kapores2::Funciones::RellenaCodigo(QStringLiteral("EST1"), 25);

// Every box a station is shown is counted and left at once (the error
// dialog's Abort, any other box's default button).
class CajasContadas : public ui::Dialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override {
        ++cajas;
        std::fprintf(stderr, "caja [%s] %s\n", qPrintable(title), qPrintable(QString(prompt).simplified()));
        return (style & 0xF) == ui::vbAbortRetryIgnore ? int(ui::vbAbort) : ui::msgBoxDefaultAnswer(style);
    }
    QString inputBox(const QString& prompt, const QString& title, const QString&) override {
        msgBox(prompt, ui::vbOKOnly, title);
        return {};
    }
    QString openFile(const ui::OpenFileRequest& r) override {
        msgBox(r.title, ui::vbOKOnly, {});
        return {};
    }
    void showModal(QWidget* w) override { msgBox(w->objectName(), ui::vbOKOnly, {}); }
    void doEvents() override {}
    void wait(int) override {}
    void sendTab(QWidget*) override {}
    int cajas = 0;
};

// One station: `vueltas` stock vouchers of the type, one grid line each;
// with a seed, of either type in either mode, some refused.
int Estacion(const QString& carpeta, int vueltas, int semilla = 0) {
    testutil::testApp();
    legacy::ProgramInfo info = legacy::App();
    info.path = carpeta;
    info.exeName = QStringLiteral("vordane");
    legacy::setApp(info);
    CajasContadas cajas;
    ui::DialogsGuard guarda(&cajas);
    DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
    if (!db.gOpenFlag) {
        for (int i = 0; i < db.gCnn->Errors().Count(); ++i)
            std::fprintf(stderr, "apertura %s\n", qPrintable(db.gCnn->Errors()(i).Description));
        return 2;
    }
    ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");
    ModGlobal::gUNegocio = QStringLiteral("   1");
    ModGlobal::Periodo = 2026;

    ClsCmnCptes cls;
    FrmMvVentas ventana;
    QLineEdit cajasGrilla[3];
    cls.InicializaGrids(ventana.MSFlexGrid1, ventana.MSFlexGrid2, ventana.MSFlexGrid3, &cajasGrilla[0],
                        &cajasGrilla[1], &cajasGrilla[2], &ventana, kTipo);
    ui::MSFlexGrid& grilla = *ventana.MSFlexGrid2;
    grilla.setRows(3);
    grilla.setTextMatrix(1, 0, kArticulo);
    grilla.setTextMatrix(1, 8, QStringLiteral("1"));
    grilla.setTextMatrix(1, 41, QStringLiteral("3"));

    std::mt19937 azar{unsigned(semilla)};
    int errores = 0, grabados = 0, rechazados = 0;
    for (int i = 0; i < vueltas; ++i) {
        const bool colecta = semilla && azar() % 2 == 0, rechaza = semilla && azar() % 4 == 0;
        const QString tipo = semilla && azar() % 2 == 0 ? QStringLiteral("AJN ") : kTipo;
        try {
            db.gCnn->BeginTrans();
            QString sucursal, letra;
            const QString id = Stock::AsignarNumeroComprobante(tipo, sucursal, letra).toString();
            QString fecha = QStringLiteral("05/11/2026"), deposito = QStringLiteral("1"), destino, motivo, tcOrigen,
                    origen, cuenta, sql, tecnico = QStringLiteral("NULL"), loteFijo, aduana, loteOrigen, vendedor,
                    moneda = QStringLiteral("1");
            bool hayError = false;
            cls.ActualizaStock(grilla, tipo, id, QStringLiteral("0"), fecha, deposito, destino, motivo, tcOrigen,
                               origen, false, cuenta, colecta, sql, hayError, tecnico, loteFijo, aduana, loteOrigen, 0,
                               false, vendedor, 0, moneda, legacy::Currency(1));
            if (colecta && !hayError) db.gCnn->Execute(sql);
            QString letraLibro = id.mid(12, 1), libro;
            ast::ActualizaNumeracionComprobante(tipo, QStringLiteral("STOCK"), id.mid(0, 4),
                                                QStringLiteral(" ") + QString::number(id.mid(4, 8).toLongLong() + 1),
                                                letraLibro, true, libro, false, false);
            if (!libro.trimmed().isEmpty()) db.gCnn->Execute(libro);
            if (hayError) throw legacy::VbError(1, QStringLiteral("stock"));
            if (rechaza) {
                // the save refused: nothing of the voucher stays
                db.gCnn->RollbackTrans();
                ++rechazados;
                continue;
            }
            db.gCnn->CommitTrans();
            ++grabados;
        } catch (const legacy::VbError& e) {
            ++errores;
            std::fprintf(stderr, "error %ld %s\n", long(e.Number), qPrintable(e.Description));
            try {
                db.gCnn->RollbackTrans();
            } catch (const legacy::VbError&) {
            }
        }
    }
    std::printf("intentos=%d errores=%d cajas=%d grabados=%d rechazados=%d\n", vueltas, errores, cajas.cajas, grabados,
                rechazados);
    return 0;
}

// One window's rewrites of the widths of `tabla`, the i-th writing i and i + 1.
int Anchos(const QString& carpeta, const QString& tabla, int vueltas) {
    testutil::testApp();
    int errores = 0;
    for (int i = 1; i <= vueltas; ++i) {
        try {
            lookup::GrabaAnchos(carpeta, tabla, {double(i), double(i + 1)});
        } catch (const legacy::VbError& e) {
            ++errores;
            std::fprintf(stderr, "error %ld %s\n", long(e.Number), qPrintable(e.Description));
        }
    }
    std::printf("reescrituras=%d errores=%d\n", vueltas, errores);
    return 0;
}

// Another program reading the file for `ms`.
int Lector(const QString& carpeta, int ms) {
    sqlite3* db = nullptr;
    if (sqlite3_open(QFile::encodeName(carpeta + QStringLiteral("/DEMO.sqlite")).constData(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN; SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr, nullptr) != SQLITE_OK)
        return 2;
    std::printf("leyendo\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

// A station that runs one statement and keeps its connection `ms` more.
int Consulta(const QString& carpeta, const QString& sql, int ms) {
    testutil::testApp();
    legacy::ProgramInfo info = legacy::App();
    info.path = carpeta;
    legacy::setApp(info);
    DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
    if (!db.gOpenFlag) return 2;
    db.gCnn->setCommandTimeout(1);
    QString linea;
    for (int vez = 0; vez < 3; ++vez) {
        try {
            auto rs = std::make_shared<ado::Recordset>();
            rs->Open(sql, db.gCnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
            linea = QStringLiteral("valor=") + rs->Fields(0).Value().toString();
        } catch (const legacy::VbError& e) {
            linea = QStringLiteral("error %1 %2").arg(e.Number).arg(e.Description);
        }
    }
    std::printf("%s\n", qPrintable(linea));
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    return 0;
}

class DosEstaciones : public ::testing::Test {
protected:
    void SetUp() override {
        testutil::testApp();
        guardado_ = legacy::App();
        legacy::ProgramInfo info = guardado_;
        info.path = carpeta_.path();
        legacy::setApp(info);
        testdb::createDatabase(carpeta_.path(), QStringLiteral("DEMO"), true);
        DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
        const auto ejecuta = [&](const QString& sql) { db.gCnn->Execute(sql); };
        ejecuta(QStringLiteral("DELETE FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(kTipo));
        ejecuta(QStringLiteral("INSERT INTO V_TA_CPTE (CODIGO, Talonario, Letras, Sistema, ES, X_SUC_DEFAULT, "
                               "X_NRO_DESDE, X_NRO_HASTA, X_ULTIMO_NRO) VALUES ('%1', 1, 'X', 'STOCK', 'E', 1, 1, "
                               "99999999, 1)")
                    .arg(kTipo));
        ejecuta(QStringLiteral("DELETE FROM V_MV_STOCK WHERE TC = '%1'").arg(kTipo));
        ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(kArticulo));
        ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, Costo) VALUES ('%1', "
                               "'Estaciones', 'UN  ', 1)")
                    .arg(kArticulo));
        for (const auto& [clave, valor] : {std::pair{"DescargaInsumosProduccion", "NO"}, std::pair{"ConfirmaUDEquiv", "NO"},
                                           std::pair{"MotivoStockDefault", "   1"}, std::pair{"AsientosXStock", "NO"}}) {
            ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
            ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                        .arg(clave, valor));
        }
        ModGlobal::ResetDatabaseObjects();
    }
    void TearDown() override {
        ModGlobal::ResetDatabaseObjects();
        legacy::setApp(guardado_);
    }

    QStringList Filas(const QString& sql) {
        DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
        QStringList filas;
        auto rs = db.gCnn->Execute(sql);
        for (; !rs->Eof(); rs->MoveNext()) filas << rs->Fields(0).Value().toString();
        ModGlobal::ResetDatabaseObjects();
        return filas;
    }

    // Another station of this test program, started.
    std::unique_ptr<QProcess> Arranca(const QStringList& argumentos) {
        auto p = std::make_unique<QProcess>();
        p->setProgram(QCoreApplication::applicationFilePath());
        p->setArguments(argumentos);
        p->start();
        EXPECT_TRUE(p->waitForStarted());
        return p;
    }
    // The next line the station prints.
    static QString Linea(QProcess& p) {
        while (!p.canReadLine() && p.waitForReadyRead(10000)) {
        }
        return QString::fromLocal8Bit(p.readLine()).trimmed();
    }

    testdb::TempFolder carpeta_;
    legacy::ProgramInfo guardado_;
};

TEST_F(DosEstaciones, StockVouchersInATransactionNeverCollide) {
    const int vueltas = qEnvironmentVariableIntValue("VORDANE_ESTACIONES_VUELTAS") > 0
                            ? qEnvironmentVariableIntValue("VORDANE_ESTACIONES_VUELTAS")
                            : 300;
    const int estaciones = qEnvironmentVariableIntValue("VORDANE_ESTACIONES") > 0
                               ? qEnvironmentVariableIntValue("VORDANE_ESTACIONES")
                               : 2;
    std::vector<std::unique_ptr<QProcess>> procesos;
    for (int e = 0; e < estaciones; ++e) {
        auto p = std::make_unique<QProcess>();
        p->setProgram(QCoreApplication::applicationFilePath());
        p->setArguments({QStringLiteral("--estacion"), carpeta_.path(), QString::number(vueltas)});
        p->start();
        ASSERT_TRUE(p->waitForStarted());
        procesos.push_back(std::move(p));
    }
    int intentos = 0, errores = 0, cajas = 0;
    for (auto& p : procesos) {
        ASSERT_TRUE(p->waitForFinished(600000));
        const QString salida = QString::fromLocal8Bit(p->readAllStandardOutput());
        const QString avisos = QString::fromLocal8Bit(p->readAllStandardError());
        const auto m = QRegularExpression(QStringLiteral("intentos=(\\d+) errores=(\\d+) cajas=(\\d+)")).match(salida);
        ASSERT_TRUE(m.hasMatch()) << salida.toStdString() << avisos.toStdString();
        intentos += m.captured(1).toInt();
        errores += m.captured(2).toInt();
        cajas += m.captured(3).toInt();
        EXPECT_EQ(m.captured(2).toInt() + m.captured(3).toInt(), 0) << avisos.left(2000).toStdString();
    }
    const int filas = Filas(QStringLiteral("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = '%1'").arg(kTipo)).value(0).toInt();
    const int repetidos = Filas(QStringLiteral("SELECT COUNT(*) FROM (SELECT IdComprobante FROM V_MV_STOCK WHERE TC = '%1' "
                                               "GROUP BY IdComprobante HAVING COUNT(*) > 1) d")
                                    .arg(kTipo))
                              .value(0)
                              .toInt();
    const QString mayor = Filas(QStringLiteral("SELECT MAX(IdComprobante) FROM V_MV_STOCK WHERE TC = '%1'").arg(kTipo)).value(0);
    const QString libro = Filas(QStringLiteral("SELECT X_ULTIMO_NRO FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(kTipo)).value(0);
    std::printf("intentos=%d duplicados=%d errores=%d cajas=%d lineas perdidas=%d\n", intentos, repetidos, errores,
                cajas, intentos - errores - filas);
    EXPECT_EQ(intentos, estaciones * vueltas);
    EXPECT_EQ(filas, intentos) << "one stock row per voucher, none lost";
    EXPECT_EQ(repetidos, 0);
    // the numbers run from 1 without a gap, and the book stands after the highest
    EXPECT_EQ(mayor, QStringLiteral("0001%1X").arg(intentos, 8, 10, QLatin1Char('0')));
    EXPECT_EQ(libro.toLongLong(), intentos + 1);
}

// Two to five stations store seats with their vouchers, of AJN (sub-journal
// ST) and AJP (none), refusing some saves: every stored voucher has its row
// and one seat, and each type's seat numbers run from 1 without a gap.
TEST_F(DosEstaciones, SeatNumbersRunOnWithoutGapsAfterRefusedSaves) {
    {
        DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
        for (const char* sql :
             {"UPDATE TA_CONFIGURACION SET Valor = 'SI' WHERE Clave = 'AsientosXStock'", "DELETE FROM MV_ASIENTOS",
              "DELETE FROM MA_SUBDIARIOSCOMPROBANTES", "DELETE FROM V_MV_STOCK",
              "INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('AJN ', 'ST  ')",
              "DELETE FROM V_TA_MOTIVOSTOCK WHERE IDMOTIVOSTOCK = '   1'",
              "INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES ('   1', 'Ajustes', "
              "'5.1.01')"})
            db.gCnn->Execute(QString::fromLatin1(sql));
        db.gCnn->Execute(
            QStringLiteral("UPDATE V_MA_ARTICULOS SET cuentacontableC = '1.3.01' WHERE IDARTICULO = '%1'").arg(kArticulo));
        ModGlobal::ResetDatabaseObjects();
    }
    const auto numero = [&](const QString& sql) { return Filas(sql).value(0).toInt(); };
    int grabados = 0, rechazados = 0;
    for (int estaciones = 2; estaciones <= 5; ++estaciones) {
        SCOPED_TRACE(estaciones);
        std::vector<std::unique_ptr<QProcess>> procesos;
        for (int e = 0; e < estaciones; ++e)
            procesos.push_back(Arranca({QStringLiteral("--estacion"), carpeta_.path(), QStringLiteral("24"),
                                        QString::number(51 * estaciones + e)}));
        for (auto& p : procesos) {
            ASSERT_TRUE(p->waitForFinished(600000));
            const QString salida = QString::fromLocal8Bit(p->readAllStandardOutput());
            const auto m = QRegularExpression(QStringLiteral("errores=(\\d+) cajas=(\\d+) grabados=(\\d+) rechazados=(\\d+)"))
                               .match(salida);
            ASSERT_TRUE(m.hasMatch()) << salida.toStdString() << p->readAllStandardError().toStdString();
            EXPECT_EQ(m.captured(1).toInt() + m.captured(2).toInt(), 0) << p->readAllStandardError().left(2000).toStdString();
            grabados += m.captured(3).toInt();
            rechazados += m.captured(4).toInt();
        }
        EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM V_MV_STOCK")), grabados);
        int asientos = 0;
        for (const char* tc : {"AJN", "AJP"}) {
            SCOPED_TRACE(tc);
            const QString donde = QStringLiteral(" FROM MV_ASIENTOS WHERE TC = '%1'").arg(QLatin1String(tc));
            const int n = numero(QStringLiteral("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = '%1'").arg(QLatin1String(tc)));
            EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(DISTINCT NUMERO)") + donde), n) << "one seat per voucher";
            EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(DISTINCT [Numero Asiento])") + donde), n);
            EXPECT_EQ(numero(QStringLiteral("SELECT MAX([Numero Asiento])") + donde), n) << "no gap";
            EXPECT_EQ(numero(QStringLiteral("SELECT COUNT(*) FROM (SELECT [Numero Asiento]") + donde +
                             QStringLiteral(" GROUP BY [Numero Asiento] HAVING COUNT(DISTINCT NUMERO) > 1) d")),
                      0);
            asientos += n;
        }
        EXPECT_EQ(asientos, grabados);
    }
    EXPECT_GT(rechazados, 0);
}

// A script's commit meets another program reading past the time-out: the
// script fails (flag, number, box), nothing of it is stored and nothing stays
// open; the next script, once the reader is gone, commits its own.
TEST_F(DosEstaciones, AScriptWhoseCommitIsRefusedFailsAndTheNextCommitsItsOwn) {
    auto lector = Arranca({QStringLiteral("--lector"), carpeta_.path(), QStringLiteral("2500")});
    ASSERT_EQ(Linea(*lector), QStringLiteral("leyendo"));
    DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
    db.gCnn->setCommandTimeout(1);
    const auto alta = [](const char* maquina) {
        return QStringList{QStringLiteral("INSERT INTO Control_Acceso (Maquina, Usuario) VALUES ('%1', 'ANA')")
                               .arg(QString::fromLatin1(maquina))};
    };
    struct Caso {
        const char* maquina;
        bool falla;
        long numero;
    };
    for (const Caso c : {Caso{"A", true, ado::kErrTimeout}, Caso{"B", false, 0}}) {
        SCOPED_TRACE(c.maquina);
        if (!c.falla) {
            ASSERT_TRUE(lector->waitForFinished(10000));
        }
        ui::ScriptedSession dlg;
        if (c.falla) dlg.expectMsgBox(QStringLiteral("No se grabó"), ui::vbOK).title(QStringLiteral("Aviso al Operador!"));
        bool hayError = !c.falla;
        long nro = -1;
        QString sentencia, error;
        ModGlobal::GActualizarDatoScript(alta(c.maquina), hayError, nro, false, false, sentencia, error, true);
        EXPECT_EQ(hayError, c.falla);
        EXPECT_EQ(nro, c.numero);
        EXPECT_NO_THROW(dlg.verifyDone());
        EXPECT_EQ(db.gCnn->Execute(QStringLiteral("SELECT @@TRANCOUNT"))->Fields(0).Value().toString(),
                  QStringLiteral("0"));
    }
    ModGlobal::ResetDatabaseObjects();
    EXPECT_EQ(Filas(QStringLiteral("SELECT Maquina FROM Control_Acceso WHERE Usuario = 'ANA'")),
              QStringList{QStringLiteral("B")});
}

// A station's commit is refused while another program reads: while its
// operator looks at the error box, a third station reads within its
// time-out; Retry, once the reader is gone, stores the row.
TEST_F(DosEstaciones, ABoxOverARefusedCommitKeepsNoStationFromReading) {
    auto lector = Arranca({QStringLiteral("--lector"), carpeta_.path(), QStringLiteral("2000")});
    ASSERT_EQ(Linea(*lector), QStringLiteral("leyendo"));
    DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
    db.gCnn->setCommandTimeout(1);
    db.gCnn->BeginTrans();
    db.gCnn->Execute(QStringLiteral("INSERT INTO Control_Acceso (Maquina, Usuario) VALUES ('C', 'ANA')"));
    QString leido;
    int preguntas = 0;
    legacy::ErrorTrap trap(QStringLiteral("Graba"), [&](const legacy::VbError&, const QString&) {
        ++preguntas;
        auto otra = Arranca({QStringLiteral("--consulta"), carpeta_.path(),
                             QStringLiteral("SELECT COUNT(*) FROM Control_Acceso WHERE Usuario = 'ANA'"),
                             QStringLiteral("0")});
        leido = Linea(*otra);
        otra->waitForFinished(10000);
        lector->waitForFinished(10000);
        return preguntas == 1 ? 4 : 3;
    });
    trap([&] { db.gCnn->CommitTrans(); });
    EXPECT_EQ(preguntas, 1);
    EXPECT_EQ(leido, QStringLiteral("valor=0"));
    ModGlobal::ResetDatabaseObjects();
    EXPECT_EQ(Filas(QStringLiteral("SELECT Maquina FROM Control_Acceso WHERE Usuario = 'ANA'")),
              QStringList{QStringLiteral("C")});
}

// A station reads an amount beyond the currency's range (another program
// wrote it): it gets error 6 each time and, while it stays open, another
// station stores a row within its time-out.
TEST_F(DosEstaciones, AValueThatCannotBeReadLocksNoOtherStationOut) {
    {
        // straight through the library: a station refuses to store it
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(QFile::encodeName(carpeta_.path() + QStringLiteral("/DEMO.sqlite")).constData(), &db), SQLITE_OK);
        ado::RegisterSqliteExtensions(db);
        const QByteArray sql = QStringLiteral("UPDATE V_MA_ARTICULOS SET Costo = 1000000000000000 WHERE IDARTICULO = '%1'")
                                   .arg(kArticulo)
                                   .toUtf8();
        EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    auto otra = Arranca({QStringLiteral("--consulta"), carpeta_.path(),
                         QStringLiteral("SELECT Costo FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(kArticulo),
                         QStringLiteral("1500")});
    EXPECT_TRUE(Linea(*otra).startsWith(QStringLiteral("error 6 ")));
    DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
    db.gCnn->setCommandTimeout(1);
    const auto e = testutil::errorOf([&] {
        db.gCnn->BeginTrans();
        db.gCnn->Execute(QStringLiteral("INSERT INTO Control_Acceso (Maquina, Usuario) VALUES ('D', 'ANA')"));
        db.gCnn->CommitTrans();
    });
    EXPECT_EQ(e, 0);
    EXPECT_TRUE(otra->waitForFinished(10000));
}

// Two programs rewrite the widths of their own tables in one widths file
// while it is read: every read finds the file whole, each table ends with its
// last widths, and a third table's line is never lost.
TEST(DosVentanas, WidthsRewrittenByTwoProgramsKeepEveryLine) {
    testutil::testApp();
    // On a memory file system where there is one: each rewrite is flushed
    // to disk before it replaces the file.
    QTemporaryDir memoria(QStringLiteral("/dev/shm/vordane-anchos-XXXXXX"));
    testdb::TempFolder disco;
    const QString carpeta = memoria.isValid() ? memoria.path() : disco.path();
    const QString archivo = lookup::ArchivoAnchos(carpeta);
    const auto lee = [&] {
        QFile f(archivo);
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
    };
    {
        QFile f(archivo);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\"OTRA\",\"1|2|\"\r\n");
    }
    const int vueltas = qEnvironmentVariableIntValue("VORDANE_ANCHOS_VUELTAS") > 0
                            ? qEnvironmentVariableIntValue("VORDANE_ANCHOS_VUELTAS")
                            : 2000;
    std::vector<std::unique_ptr<QProcess>> procesos;
    for (const char* tabla : {"UNO", "DOS"}) {
        auto p = std::make_unique<QProcess>();
        p->setProgram(QCoreApplication::applicationFilePath());
        p->setArguments({QStringLiteral("--anchos"), carpeta, QString::fromLatin1(tabla), QString::number(vueltas)});
        p->start();
        ASSERT_TRUE(p->waitForStarted());
        procesos.push_back(std::move(p));
    }
    int lecturas = 0, rotas = 0;
    const auto corriendo = [&] {
        for (auto& p : procesos)
            if (p->state() != QProcess::NotRunning) return true;
        return false;
    };
    while (corriendo()) {
        const QString t = lee();
        ++lecturas;
        if (!t.startsWith(u'"') || !t.endsWith(QStringLiteral("\r\n")) || !t.contains(QStringLiteral("\"OTRA\",\"1|2|\"\r\n")))
            ++rotas;
        for (auto& p : procesos) p->waitForFinished(0);
    }
    int errores = 0;
    for (auto& p : procesos) {
        const QString salida = QString::fromLocal8Bit(p->readAllStandardOutput());
        const auto m = QRegularExpression(QStringLiteral("reescrituras=(\\d+) errores=(\\d+)")).match(salida);
        ASSERT_TRUE(m.hasMatch()) << salida.toStdString() << p->readAllStandardError().toStdString();
        errores += m.captured(2).toInt();
    }
    const QString fin = lee();
    const auto linea = [&](const char* tabla, int a, int b) {
        return QStringLiteral("\"%1\",\"%2|%3|\"\r\n").arg(QString::fromLatin1(tabla)).arg(a).arg(b);
    };
    int perdidas = 0;
    for (const QString& l : {linea("UNO", vueltas, vueltas + 1), linea("DOS", vueltas, vueltas + 1), linea("OTRA", 1, 2)})
        if (!fin.contains(l)) ++perdidas;
    std::printf("reescrituras=%d errores=%d lecturas=%d rotas=%d lineas perdidas=%d\n", 2 * vueltas, errores, lecturas,
                rotas, perdidas);
    EXPECT_EQ(errores, 0);
    EXPECT_EQ(rotas, 0) << "of " << lecturas << " reads";
    EXPECT_EQ(perdidas, 0) << fin.toStdString();
    EXPECT_EQ(QDir(carpeta).entryList({QStringLiteral("*.AUX")}, QDir::Files), QStringList());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--anchos")
        return Anchos(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    if (argc == 4 && std::string(argv[1]) == "--lector") return Lector(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    if (argc == 5 && std::string(argv[1]) == "--consulta")
        return Consulta(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]), std::atoi(argv[4]));
    if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--estacion") {
        QCoreApplication::setApplicationName(QStringLiteral("vordane-estacion"));
        return Estacion(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]), argc == 5 ? std::atoi(argv[4]) : 0);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
