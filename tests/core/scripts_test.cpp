// Statement batches in one transaction, and the AUX_ERR row of a failed one.
#include "core/support/entorno_core.h"

#include "platform/ui/scripted.h"

using namespace ModGlobal;
using coretest::EntornoCore;

namespace {

class Scripts : public EntornoCore {
protected:
    void SetUp() override
    {
        EntornoCore::SetUp();
        CreaBases(true, false);
        Conecta();
        gUsuarioLogeado = QStringLiteral("OPERADOR");
    }

    QString Alta(const QString& maquina)
    {
        return QStringLiteral("INSERT INTO Control_Acceso (Maquina, Usuario) VALUES ('%1', 'ANA')").arg(maquina);
    }

    int CuentaAccesos() { return Filas(QStringLiteral("SELECT COUNT(*) FROM Control_Acceso")).value(0).toInt(); }
};

TEST_F(Scripts, LoteCorrectoSeConfirma)
{
    ui::ScriptedSession dlg;
    const int antes = CuentaAccesos();
    bool hayError = true;
    long nro = 99;
    QString sentencia, error;
    GActualizarDatoScript({Alta(QStringLiteral("A")), QStringLiteral("   "), QString(), Alta(QStringLiteral("B"))},
                          hayError, nro, false, false, sentencia, error, true);
    EXPECT_FALSE(hayError);
    EXPECT_EQ(nro, 0);
    EXPECT_EQ(error, QString());
    EXPECT_EQ(sentencia, QStringLiteral("BEGIN TRANSACTION \r\r\r") + Alta(QStringLiteral("A")) +
                             QStringLiteral("\r") + Alta(QStringLiteral("B")) + QStringLiteral("\r"));
    EXPECT_EQ(CuentaAccesos(), antes + 2);
    EXPECT_TRUE(dlg.shown().isEmpty());
    // The transaction was closed: a later statement is not left pending.
    Ejecuta(QStringLiteral("DELETE FROM Control_Acceso"));
    EXPECT_EQ(CuentaAccesos(), 0);
}

TEST_F(Scripts, LoteQueFallaSeDeshaceYQuedaEnAuxErr)
{
    struct {
        bool muestra;
        bool ignora;
    } casos[] = {{true, false}, {false, false}};
    for (const auto& c : casos) {
        Ejecuta(QStringLiteral("DELETE FROM AUX_ERR"));
        const int antes = CuentaAccesos();
        ui::ScriptedSession dlg;
        if (c.muestra)
            dlg.expectMsgBox(QString(), ui::vbOK).title(QStringLiteral("Aviso al Operador!")).style(ui::vbCritical);

        bool hayError = false;
        long nro = 0;
        QString sentencia, error;
        GActualizarDatoScript({Alta(QStringLiteral("X")), QStringLiteral("INSERT INTO TABLA_QUE_NO_EXISTE (a) VALUES (1)")},
                              hayError, nro, false, false, sentencia, error, c.muestra);
        EXPECT_TRUE(hayError);
        EXPECT_FALSE(error.isEmpty());
        EXPECT_TRUE(error.endsWith(QStringLiteral("\r\n"))) << error.toStdString();
        EXPECT_EQ(CuentaAccesos(), antes);  // the first insert was undone
        dlg.verifyDone();

        const QStringList filas =
            Filas(QStringLiteral("SELECT Proceso, Error, Descripcion, sql, PC, Usuario, fecha FROM AUX_ERR"));
        ASSERT_EQ(filas.size(), 1);
        const QStringList f = filas[0].split(u'|');
        EXPECT_EQ(f[0], QStringLiteral("vordane"));
        EXPECT_EQ(f[1].toLong(), nro);
        EXPECT_EQ(f[2], error.left(250));
        EXPECT_TRUE(f[3].startsWith(QStringLiteral("BEGIN TRANSACTION"))) << f[3].toStdString();
        EXPECT_TRUE(f[3].contains(QStringLiteral("TABLA_QUE_NO_EXISTE")));
        EXPECT_EQ(f[4], QStringLiteral("PC1"));
        EXPECT_EQ(f[5], QStringLiteral("OPERADOR"));
        EXPECT_NE(f[6], QStringLiteral("<null>"));
    }
}

TEST_F(Scripts, ClaveDuplicadaIgnoradaNoMuestraNadaPeroSeAnota)
{
    Ejecuta(QStringLiteral("CREATE TABLE UNICOS (id INT PRIMARY KEY)"));
    Ejecuta(QStringLiteral("INSERT INTO UNICOS (id) VALUES (1)"));
    ui::ScriptedSession dlg;
    bool hayError = false;
    long nro = 0;
    QString sentencia, error;
    GActualizarDatoScript({QStringLiteral("INSERT INTO UNICOS (id) VALUES (2)"),
                           QStringLiteral("INSERT INTO UNICOS (id) VALUES (1)")},
                          hayError, nro, true, false, sentencia, error, true);
    ASSERT_TRUE(hayError);
    EXPECT_EQ(nro, 2627);
    // Only the provider's description, no box, and an AUX_ERR row with an empty text.
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(error.endsWith(QStringLiteral("\r\n")));
    EXPECT_TRUE(dlg.shown().isEmpty());
    EXPECT_EQ(Filas(QStringLiteral("SELECT Error, Descripcion FROM AUX_ERR")), QStringList{QStringLiteral("2627|")});
    EXPECT_EQ(Filas(QStringLiteral("SELECT id FROM UNICOS")), QStringList{QStringLiteral("1")});
}

TEST_F(Scripts, ListaEnBlancoNoHaceNada)
{
    ui::ScriptedSession dlg;
    bool hayError = true;
    long nro = 77;
    QString sentencia = QStringLiteral("igual"), error;
    GActualizarDatoScript({QString(), QStringLiteral("  ")}, hayError, nro, false, false, sentencia, error, true);
    EXPECT_FALSE(hayError);
    EXPECT_EQ(nro, 77);
    EXPECT_EQ(sentencia, QStringLiteral("igual"));
    EXPECT_EQ(Filas(QStringLiteral("SELECT COUNT(*) FROM AUX_ERR")), QStringList{QStringLiteral("0")});
}

TEST_F(Scripts, GrabaErrorAuxConProcesoEnBlanco)
{
    QString proceso = QStringLiteral("  ");
    GrabaErrorAux(QStringLiteral("select 1"), proceso, 8152, QString(300, u'x'));
    EXPECT_EQ(proceso, QStringLiteral("vordane"));
    const QStringList filas = Filas(QStringLiteral("SELECT Proceso, Error, LEN(Descripcion), sql FROM AUX_ERR"));
    EXPECT_EQ(filas, QStringList{QStringLiteral("vordane|8152|250|select 1")});
}

}  // namespace
