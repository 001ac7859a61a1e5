// Recording a used number: the statement texts, the recordset write, the
// fallback books, and two stations recording numbers of one book.
#include "numbering/entorno_numeracion.h"

#include "platform/ado/connection.h"

using numtest::EntornoNumeracion;

namespace {

const QString kUpdate = QStringLiteral(" UPDATE V_TA_CPTE SET A_ULTIMO_NRO = %1 WHERE CODIGO = '%2' AND TALONARIO=5 AND "
                                       "(A_ULTIMO_NRO IS NULL OR A_ULTIMO_NRO + 1 <= %1)");
const QString kControl =
    QStringLiteral("\r\n INSERT INTO V_MV_CTROL_CPTE (TC,SUCURSAL,NUMERO,LETRA) VALUES ('%1','0001','%2','%3')\r\n");

class Registro : public EntornoNumeracion {
protected:
    QString Sentencia(const QString& tc, const QString& numero, QString letra = "A", QString previa = "previa",
                      bool esContable = false, bool sinActualizar = false, const QString& sucursal = "0001")
    {
        ast::ActualizaNumeracionComprobante(tc, "STOCK", sucursal, numero, letra, true, previa, esContable,
                                            sinActualizar);
        letra_ = letra;
        return previa;
    }
    void Graba(const QString& tc, const QString& numero, bool esContable = false)
    {
        QString letra = "A", sql = "previa";
        ast::ActualizaNumeracionComprobante(tc, "STOCK", "1", numero, letra, false, sql, esContable);
        EXPECT_EQ(sql, "previa");
    }
    // A second station: its own connection to the same database file.
    DB_Dll& OtraEstacion()
    {
        DB_Dll& db = ModGlobal::gDB2();
        db.gServidor = QStringLiteral("(sqlite)");
        db.gDBName = db.gUsuario = db.gUserPassWord = QStringLiteral("DEMO");
        db.OpenServerADODB(false, 3, QString(), false, false);
        EXPECT_TRUE(db.gOpenFlag);
        return db;
    }
    QString letra_;
};

TEST_F(Registro, StatementTextsByteForByte)
{
    struct Caso {
        const char *tc, *ultimo, *numero, *sistema;
        bool esContable, sinActualizar;
        const char* previa;
        QString esperado;
    };
    const Caso casos[] = {
        {"ZK", "12", "12", "Ventas", false, false, "previa", "previa"},
        {"ZK", "12", "13", "Ventas", false, false, "previa", kUpdate.arg("13", "ZK  ")},
        {"ZK", "NULL", "5", "Ventas", false, false, "previa", kUpdate.arg("5", "ZK  ")},
        {"ZK", "12", "13", "CONTABLE", false, false, "", kUpdate.arg("13", "ZK  ") + kControl.arg("ZK  ", "00000012", "A")},
        {"ZK", "12", "13", "Ventas", true, false, "", kUpdate.arg("13", "ZK  ") + kControl.arg("ZK  ", "00000012", "A")},
        // A leading blank: the number read as a number, written as passed.
        {"ZK", "12", " 13", "Ventas", true, false, "", kUpdate.arg(" 13", "ZK  ") + kControl.arg("ZK  ", "00000012", "A")},
        {"OC", "12", "13", "Compras", false, true, "", kControl.arg("OC  ", "00000012", "A")},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.tc) + " " + c.ultimo + " " + c.numero);
        Libro(c.tc, 5, "A", "1", "1", "100", c.ultimo, QStringLiteral("Sistema = '%1'").arg(c.sistema));
        EXPECT_EQ(Sentencia(c.tc, c.numero, "A", c.previa, c.esContable, c.sinActualizar), c.esperado);
        EXPECT_EQ(Ultimo(c.tc, 5), c.ultimo == QString("NULL") ? "<null>" : c.ultimo) << "nothing written";
    }
    // A book of another branch is left alone.
    Libro("ZK", 5, "A", "2", "1", "100", "12", "Sistema = 'Contable'");
    EXPECT_EQ(Sentencia("ZK", "13"), "previa");
    // An empty letter is X, and comes back so.
    Libro("ZK", 5, "X", "1", "1", "100", "12", "X_SUC_DEFAULT = 1, X_NRO_DESDE = 1, X_NRO_HASTA = 50, X_ULTIMO_NRO = 3");
    EXPECT_EQ(Sentencia("ZK", "4", ""),
              " UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 4 WHERE CODIGO = 'ZK  ' AND TALONARIO=5 AND (X_ULTIMO_NRO IS NULL "
              "OR X_ULTIMO_NRO + 1 <= 4)");
    EXPECT_EQ(letra_, "X");
    // The alias: the book of the type named by NUM_ is the one written.
    Libro("ZK", 5, "A", "1", "1", "100", "12", "Sistema = 'Contable'");
    Ejecuta("INSERT INTO TA_CONFIGURACION (Clave, Grupo, Valor) VALUES ('NUM_ZQ', 'DATOS', ' ZK ')");
    const QString tc = "ZQ";
    EXPECT_EQ(Sentencia(tc, "13", "A", ""), kUpdate.arg("13", "ZK  ") + kControl.arg("ZK  ", "00000012", "A"));
    EXPECT_EQ(tc, "ZQ");

    // The statement runs as built on the engine, and only ever moves the
    // book forward.
    Ejecuta(Sentencia("ZK", "30", "A", ""));
    EXPECT_EQ(Ultimo("ZK", 5), "30");
    EXPECT_EQ(Filas("SELECT TC, SUCURSAL, NUMERO, LETRA FROM V_MV_CTROL_CPTE WHERE TC = 'ZK'"),
              QStringList({"ZK  |0001|00000029|A"}));
    Ejecuta(kUpdate.arg("20", "ZK  "));
    EXPECT_EQ(Ultimo("ZK", 5), "30");
}

TEST_F(Registro, FallbackBooksExternalTypesAndMissingBooks)
{
    // TA_Comprobantes holds the book when V_TA_CPTE has none; it never moves
    // backwards either.
    Ejecuta("DELETE FROM V_TA_CPTE WHERE CODIGO = 'AJP '");
    Ejecuta("INSERT INTO TA_Comprobantes (CODIGO, TALONARIO, SISTEMA, Letras, A_SUC_DEFAULT, A_NRO_DESDE, A_NRO_HASTA, "
            "A_ULTIMO_NRO) VALUES ('AJP ', 2, 'STOCK', 'A', 1, 1, 999, 20)");
    ast::gTalonario = 2;
    EXPECT_EQ(Sentencia("AJP", "15"), "previa");
    EXPECT_EQ(Sentencia("AJP", "21", "A", ""),
              " UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 21 WHERE CODIGO = 'AJP ' AND TALONARIO =2 AND (A_ULTIMO_NRO IS NULL "
              "OR A_ULTIMO_NRO + 1 <= 21)");
    Graba("AJP", "15");
    EXPECT_EQ(Filas("SELECT A_ULTIMO_NRO FROM TA_Comprobantes WHERE CODIGO = 'AJP'"), QStringList({"20"}));
    Graba("AJP", "21");
    EXPECT_EQ(Filas("SELECT A_ULTIMO_NRO FROM TA_Comprobantes WHERE CODIGO = 'AJP'"), QStringList({"21"}));

    // A book number the type lacks: an external type records nothing (its
    // flag read as a word: "SI" is true), another keeps the caller's text.
    Libro("ZX", 1, "A", "1", "1", "9", "1", "Externo = 'SI'");
    ast::gTalonario = 7;
    EXPECT_EQ(Sentencia("ZX", "5"), "");
    Ejecuta("UPDATE V_TA_CPTE SET Externo = 'NO' WHERE CODIGO = 'ZX'");
    ast::gTalonario = 7;
    EXPECT_EQ(Sentencia("ZX", "50"), "previa");

    // No book at all.
    dlg().expectMsgBox("Error en grabacion del Comprobante, no se ha encontrado el comprobante configurado")
        .title("ATENCION")
        .style(ui::vbCritical);
    EXPECT_EQ(Sentencia("ZN", "5"), "previa");

    // A failing step goes to the database error box under the routine's
    // name: here a letter that is no voucher letter never reaches a column
    // name or the statement.
    Libro("ZK", 5, "A", "1", "1", "100", "12");
    ast::gTalonario = 5;
    dlg().expectMsgBox("Ha ocurrido el Siguiente Error (5)", ui::vbAbort).title("ConsultaComprobante");
    EXPECT_EQ(Sentencia("ZK", "13", "A=1,B"), "previa");
    EXPECT_EQ(Ultimo("ZK", 5), "12");
}

TEST_F(Registro, RecordsetModeMovesTheStoredRowAndWritesNoControlRow)
{
    Libro("ZK", 5, "A", "1", "1", "100", "12", "Sistema = 'Contable'");
    const QStringList controles = Filas("SELECT COUNT(*) FROM V_MV_CTROL_CPTE");
    Graba("ZK", "20", true);
    EXPECT_EQ(Ultimo("ZK", 5), "20");
    EXPECT_FALSE(Filas("SELECT fechahora_modificacion FROM V_TA_CPTE WHERE CODIGO = 'ZK'").value(0).startsWith("<null"));
    Graba("ZK", "20");
    Graba("ZK", "10");
    EXPECT_EQ(Ultimo("ZK", 5), "20");
    EXPECT_EQ(Filas("SELECT COUNT(*) FROM V_MV_CTROL_CPTE"), controles);
}

// Recording a number inside a transaction the caller has begun: the write
// is part of that transaction, and a failed write undoes only itself.
TEST_F(Registro, RecordsetModeInsideTheCallersTransaction)
{
    Libro("ZK", 5, "A", "1", "1", "100", "12");
    auto cnn = ModGlobal::gDB().gCnn;
    cnn->BeginTrans();
    Graba("ZK", "20");
    cnn->CommitTrans();
    EXPECT_EQ(Ultimo("ZK", 5), "20");
    cnn->BeginTrans();
    Graba("ZK", "25");
    EXPECT_EQ(Ultimo("ZK", 5), "25");
    cnn->RollbackTrans();
    EXPECT_EQ(Ultimo("ZK", 5), "20") << "undone with the caller's transaction";

    // The book changes between its read and the write: the write fails and
    // is reported; the caller's own work and its transaction go on.
    ui::ScriptedSession& estacion = dlg();
    const int antes = estacion.doEventsCount();
    cnn->BeginTrans();
    Graba("ZK", "21");
    cnn->RollbackTrans();
    const int cedidas = estacion.doEventsCount() - antes;
    ASSERT_GT(cedidas, 0);
    struct Cede : ui::ScriptedSession {
        int cuando = 0;
        void doEvents() override
        {
            ScriptedSession::doEvents();
            if (doEventsCount() == cuando)
                ModGlobal::gDB().gCnn->Execute("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 30 WHERE CODIGO = 'ZK'");
        }
    } cede;
    cede.cuando = cede.doEventsCount() + cedidas;
    cede.expectMsgBox("otra estacion", ui::vbIgnore).title("ConsultaComprobante");
    cnn->BeginTrans();
    Ejecuta("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('ZK  ', '0001', '00000040', 'A')");
    Graba("ZK", "40");
    cnn->CommitTrans();
    EXPECT_EQ(Ultimo("ZK", 5), "30");
    EXPECT_EQ(Filas("SELECT NUMERO FROM V_MV_CTROL_CPTE WHERE TC = 'ZK'"), QStringList({"00000040"}));
    EXPECT_EQ(cede.remaining(), QStringList());
    EXPECT_EQ(cede.failures(), QStringList());
}

// A station whose yields to the message loop let another station act.
class EstacionQueCede : public ui::ScriptedSession {
public:
    int cuando = -1;
    std::function<void()> otra;
    void doEvents() override
    {
        ScriptedSession::doEvents();
        if (doEventsCount() == cuando && otra)
            otra();
    }
};

TEST_F(Registro, TwoStationsNeverMoveTheBookBackwards)
{
    Libro("ZK", 5, "A", "1", "1", "100", "10");
    DB_Dll& otra = OtraEstacion();

    // Statement mode: both read 10; whatever the order the batches run in,
    // the book ends at the highest number.
    for (bool altaPrimero : {true, false}) {
        Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 10 WHERE CODIGO = 'ZK'");
        const QString alta = Sentencia("ZK", "20", "A", ""), baja = Sentencia("ZK", "15", "A", "");
        Ejecuta(altaPrimero ? alta : baja);
        Ejecuta(altaPrimero ? baja : alta, otra);
        EXPECT_EQ(Ultimo("ZK", 5), "20");
    }

    // Recordset mode: the other station records 15 after this one has read
    // 10 and before it writes 12; this station's write fails and is
    // reported, and the book keeps 15.
    EstacionQueCede estacion;
    Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 10 WHERE CODIGO = 'ZK'");
    const int antes = estacion.doEventsCount();
    Graba("ZK", "11");
    const int cedidas = estacion.doEventsCount() - antes;
    ASSERT_GT(cedidas, 0);
    Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 10 WHERE CODIGO = 'ZK'");
    const QString deLaOtra = Sentencia("ZK", "15", "A", "");
    estacion.cuando = estacion.doEventsCount() + cedidas;
    estacion.otra = [&] { Ejecuta(deLaOtra, otra); };
    estacion.expectMsgBox("otra estacion", ui::vbIgnore).title("ConsultaComprobante");
    Graba("ZK", "12");
    EXPECT_EQ(Ultimo("ZK", 5), "15");
    EXPECT_EQ(estacion.remaining(), QStringList());
    EXPECT_EQ(estacion.failures(), QStringList());
}

}  // namespace
