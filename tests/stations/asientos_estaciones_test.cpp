// Two to five stations, each a process of its own on one database file,
// store stock vouchers with their seats in a transaction each, in either
// mode of the stock writer, and now and then roll a voucher back as a
// refused save. The program runs itself as each station:
//   test_stations --asientos <folder> <vouchers> <seed>
// which prints "intentos=N grabados=G rechazados=R errores=E cajas=B".
// The vouchers are adjustments of two types, AJN under the sub-journal ST
// and AJP under none. Every stored voucher has one seat; the seat numbers of
// the month run from 1 without a gap within each sub-journal, each given once.
#include "core/cargaconfiguracion.h"
#include "core/modglobal.h"
#include "db/db_dll.h"
#include "numbering/ast.h"
#include "numbering/stock.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/program.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/msflexgrid.h"
#include "platform/ui/scripted.h"
#include "support/conexion_principal.h"
#include "support/testdb.h"
#include "support/testutil.h"
#include "voucher/clscmncptes.h"
#include "voucher/grids/frmmvventas.h"
#include "voucher/stock/reglas_asientos.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

namespace {

const QString kTipoAsiento = QStringLiteral("AJN ");  // of ST; AJP has no sub-journal
const QString kArticuloAsiento = kapores2::Funciones::RellenaCodigo(QStringLiteral("EST2"), 25);

// Every box is counted and left with its default button.
class Cajas : public ui::Dialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        ++cajas;
        std::fprintf(stderr, "caja [%s] %s\n", qPrintable(title), qPrintable(QString(prompt).simplified()));
        return (style & 0xF) == ui::vbAbortRetryIgnore ? int(ui::vbAbort) : ui::msgBoxDefaultAnswer(style);
    }
    QString inputBox(const QString& prompt, const QString& title, const QString&) override
    {
        msgBox(prompt, ui::vbOKOnly, title);
        return {};
    }
    QString openFile(const ui::OpenFileRequest& r) override
    {
        msgBox(r.title, ui::vbOKOnly, {});
        return {};
    }
    void showModal(QWidget* w) override { msgBox(w->objectName(), ui::vbOKOnly, {}); }
    void doEvents() override {}
    void wait(int) override {}
    void sendTab(QWidget*) override {}
    int cajas = 0;
};

}  // namespace

int EstacionAsientos(const QString& carpeta, int vueltas, int semilla)
{
    testutil::testApp();
    legacy::ProgramInfo info = legacy::App();
    info.path = carpeta;
    info.exeName = QStringLiteral("vordane");
    legacy::setApp(info);
    Cajas cajas;
    ui::DialogsGuard guarda(&cajas);
    DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
    if (!db.gOpenFlag)
        return 2;
    ModGlobal::gUsuarioLogeado = QStringLiteral("DEMO");
    ModGlobal::gUNegocio = QStringLiteral("   1");
    ModGlobal::Periodo = 2026;

    ClsCmnCptes cls;
    FrmMvVentas ventana;
    QLineEdit cajasGrilla[3];
    cls.InicializaGrids(ventana.MSFlexGrid1, ventana.MSFlexGrid2, ventana.MSFlexGrid3, &cajasGrilla[0],
                        &cajasGrilla[1], &cajasGrilla[2], &ventana, kTipoAsiento);
    ui::MSFlexGrid& grilla = *ventana.MSFlexGrid2;
    grilla.setRows(3);
    grilla.setTextMatrix(1, 0, kArticuloAsiento);
    grilla.setTextMatrix(1, 8, QStringLiteral("2"));
    grilla.setTextMatrix(1, 41, QStringLiteral("3"));

    std::mt19937 azar{unsigned(semilla)};
    int grabados = 0, rechazados = 0, errores = 0;
    for (int i = 0; i < vueltas; ++i) {
        const bool colecta = azar() % 2 == 0, rechaza = azar() % 4 == 0;
        const QString tipo = azar() % 2 == 0 ? kTipoAsiento : QStringLiteral("AJP ");
        try {
            db.gCnn->BeginTrans();
            QString sucursal, letra;
            const QString id = Stock::AsignarNumeroComprobante(tipo, sucursal, letra).toString();
            QString fecha = QStringLiteral("05/11/2026"), deposito = QStringLiteral("1"), destino, motivo, tcOrigen,
                    origen, cuenta, sql, tecnico = QStringLiteral("NULL"), loteFijo, aduana, loteOrigen, vendedor,
                    moneda = QStringLiteral("1");
            bool hayError = false;
            cls.ActualizaStock(grilla, tipo, id, QStringLiteral("0"), fecha, deposito, destino, motivo,
                               tcOrigen, origen, false, cuenta, colecta, sql, hayError, tecnico, loteFijo, aduana,
                               loteOrigen, 0, false, vendedor, 0, moneda, legacy::Currency(1));
            if (hayError)
                throw legacy::VbError(1, QStringLiteral("stock"));
            if (colecta)
                db.gCnn->Execute(sql);
            QString letraLibro = id.mid(12, 1), libro;
            ast::ActualizaNumeracionComprobante(tipo, QStringLiteral("STOCK"), id.mid(0, 4),
                                                QStringLiteral(" ") + QString::number(id.mid(4, 8).toLongLong() + 1),
                                                letraLibro, true, libro, false, false);
            if (!libro.trimmed().isEmpty())
                db.gCnn->Execute(libro);
            if (rechaza) {
                // The save refused: nothing of the voucher stays.
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
    std::printf("intentos=%d grabados=%d rechazados=%d errores=%d cajas=%d\n", vueltas, grabados, rechazados, errores,
                cajas.cajas);
    return 0;
}

namespace {

class EstacionesAsientos : public ::testing::Test {
protected:
    void SetUp() override
    {
        testutil::testApp();
        guardado_ = legacy::App();
    }
    void TearDown() override
    {
        ModGlobal::ResetDatabaseObjects();
        legacy::setApp(guardado_);
    }

    // A fresh database in `carpeta` with the voucher type, its article on an
    // account and seats from stock on.
    void Prepara(const QString& carpeta)
    {
        ModGlobal::ResetDatabaseObjects();
        legacy::ProgramInfo info = guardado_;
        info.path = carpeta;
        legacy::setApp(info);
        testdb::createDatabase(carpeta, QStringLiteral("DEMO"), true);
        DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
        const auto ejecuta = [&](const QString& sql) { db.gCnn->Execute(sql); };
        ejecuta(QStringLiteral("DELETE FROM V_MV_STOCK"));
        ejecuta(QStringLiteral("DELETE FROM MV_ASIENTOS"));
        ejecuta(QStringLiteral("DELETE FROM MA_SUBDIARIOSCOMPROBANTES"));
        ejecuta(QStringLiteral("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('AJN ', 'ST  ')"));
        ejecuta(QStringLiteral("DELETE FROM V_TA_MOTIVOSTOCK"));
        ejecuta(QStringLiteral("INSERT INTO V_TA_MOTIVOSTOCK (IDMOTIVOSTOCK, Descripcion, CUENTACONTABLE) VALUES "
                               "('   1', 'Ajustes', '5.1.01')"));
        ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(kArticuloAsiento));
        ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, Costo, cuentacontableC) "
                               "VALUES ('%1', 'Estaciones', 'UN  ', 3, '1.3.01')")
                    .arg(kArticuloAsiento));
        for (const auto& [clave, valor] :
             {std::pair{"DescargaInsumosProduccion", "NO"}, std::pair{"ConfirmaUDEquiv", "NO"},
              std::pair{"MotivoStockDefault", "   1"}, std::pair{"AsientosXStock", "SI"}}) {
            ejecuta(QStringLiteral("DELETE FROM TA_CONFIGURACION WHERE Clave = '%1'").arg(clave));
            ejecuta(QStringLiteral("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('%1', 'DATOS', '%2')")
                        .arg(clave, valor));
        }
        ModGlobal::ResetDatabaseObjects();
    }

    QStringList Filas(const QString& sql)
    {
        DB_Dll& db = testdb::openMain(QStringLiteral("DEMO"));
        QStringList filas;
        auto rs = db.gCnn->Execute(sql);
        for (; !rs->Eof(); rs->MoveNext()) {
            QStringList campos;
            for (int i = 0; i < rs->Fields().Count(); ++i)
                campos << (rs->Fields(i).Value().IsNull() ? QStringLiteral("<null>") : rs->Fields(i).Value().toString());
            filas << campos.join(u'|');
        }
        return filas;
    }

    legacy::ProgramInfo guardado_;
};

TEST_F(EstacionesAsientos, SeatNumbersRunOnWithoutGapsAfterRefusedSaves)
{
    const int vueltas = qEnvironmentVariableIntValue("VORDANE_ESTACIONES_VUELTAS") > 0
                            ? qEnvironmentVariableIntValue("VORDANE_ESTACIONES_VUELTAS")
                            : 24;
    for (int estaciones = 2; estaciones <= 5; ++estaciones) {
        SCOPED_TRACE(estaciones);
        testdb::TempFolder carpeta;
        Prepara(carpeta.path());
        std::vector<std::unique_ptr<QProcess>> procesos;
        for (int e = 0; e < estaciones; ++e) {
            auto p = std::make_unique<QProcess>();
            p->setProgram(QCoreApplication::applicationFilePath());
            p->setArguments({QStringLiteral("--asientos"), carpeta.path(), QString::number(vueltas),
                             QString::number(51 * estaciones + e)});
            p->start();
            ASSERT_TRUE(p->waitForStarted());
            procesos.push_back(std::move(p));
        }
        int grabados = 0, rechazados = 0;
        for (auto& p : procesos) {
            ASSERT_TRUE(p->waitForFinished(600000));
            const QString salida = QString::fromLocal8Bit(p->readAllStandardOutput());
            const QString avisos = QString::fromLocal8Bit(p->readAllStandardError());
            const auto m = QRegularExpression(
                               QStringLiteral("intentos=(\\d+) grabados=(\\d+) rechazados=(\\d+) errores=(\\d+) cajas=(\\d+)"))
                               .match(salida);
            ASSERT_TRUE(m.hasMatch()) << salida.toStdString() << avisos.toStdString();
            grabados += m.captured(2).toInt();
            rechazados += m.captured(3).toInt();
            EXPECT_EQ(m.captured(4).toInt() + m.captured(5).toInt(), 0) << avisos.left(2000).toStdString();
        }
        EXPECT_GT(rechazados, 0);
        // Every stored voucher with its row and its seat; the seats of each
        // type numbered 1 to the number of its vouchers, each once.
        EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(*), SUM(n) FROM (SELECT COUNT(*) AS n FROM V_MV_STOCK GROUP BY TC, "
                                       "IdComprobante) d")),
                  QStringList{QStringLiteral("%1|%1").arg(grabados)});
        int asientos = 0;
        for (const char* tc : {"AJN", "AJP"}) {
            SCOPED_TRACE(tc);
            const int n = Filas(QStringLiteral("SELECT COUNT(DISTINCT IdComprobante) FROM V_MV_STOCK WHERE TC = '%1'")
                                    .arg(QLatin1String(tc)))
                              .value(0)
                              .toInt();
            EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(DISTINCT NUMERO), COUNT(DISTINCT [Numero Asiento]), "
                                           "MIN([Numero Asiento]), MAX([Numero Asiento]) FROM MV_ASIENTOS WHERE TC = '%1'")
                                .arg(QLatin1String(tc))),
                      QStringList{QStringLiteral("%1|%1|1|%1").arg(n)});
            asientos += n;
        }
        EXPECT_EQ(asientos, grabados);
        const reglas::Consulta filas = [this](const QString& sql) { return Filas(sql); };
        EXPECT_EQ(reglas::Incumplidas(filas), QStringList{});
        ModGlobal::ResetDatabaseObjects();
    }
}

}  // namespace
