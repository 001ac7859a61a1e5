// One-query lookups against a real table.
#include "dbfixture.h"

using namespace dbtest;
using legacy::Variant;

namespace {

class Lookups : public DbTest {
protected:
    void SetUp() override
    {
        DbTest::SetUp();
        DB_Dll& db = OpenMain();
        Run(db, QStringLiteral("CREATE TABLE CLIENTES (CODIGO VARCHAR(10) COLLATE SRVTEXT, NOMBRE VARCHAR(50) "
                               "COLLATE SRVTEXT, ALTA DATETIME, NUMERO INT, SALDO DECIMAL(10,2))"));
        Run(db, QStringLiteral("INSERT INTO CLIENTES VALUES ('  C1 ', 'Ana', '15/03/2024', 7, 0)"));
        Run(db, QStringLiteral("INSERT INTO CLIENTES VALUES ('C2', 'Luis', NULL, 8, -3.5)"));
        Run(db, QStringLiteral("INSERT INTO CLIENTES VALUES ('O''B', 'Bea', NULL, NULL, NULL)"));
    }
    DB_Dll& db() { return ModGlobal::gDB(); }
    const QString T = QStringLiteral("CLIENTES");
};

TEST_F(Lookups, ExistenceByKeyType)
{
    ui::ScriptedSession dlg;
    struct Case {
        const char* valor;
        const char* campo;
        Variant tipo;
        bool conTop;
        bool sinTop;
    } cases[] = {
        {"C1", "CODIGO", 8, true, false},      // the key column is trimmed, not in ST
        {"  C1", "CODIGO", 8, true, true},
        {"C3", "CODIGO", 8, false, false},
        {"7abc", "NUMERO", 3, true, true},     // the number read from the start
        {"8", "NUMERO", 5, true, true},
        {"9", "NUMERO", 4, false, false},
        {"-3.5", "SALDO", 5, true, true},      // written with "." whatever the regional comma
        {"-3,5", "SALDO", 5, true, true},      // a number in the regional form
        {"7", "NUMERO", 202, true, true},      // other codes compare bare
        {"15/03/2024", "ALTA", 7, true, true}, // dates go between apostrophes on a server
        {"16/03/2024", "ALTA", 7, false, false},
        {"O'B", "CODIGO", 8, true, true},      // an apostrophe in a text key is doubled
    };
    for (const Case& c : cases) {
        const QString valor = QString::fromUtf8(c.valor);
        const QString campo = QString::fromUtf8(c.campo);
        EXPECT_EQ(db().ExisteEnTabla(T, valor, campo, nullptr, c.tipo), c.conTop) << c.valor;
        EXPECT_EQ(db().ExisteEnTablaST(T, valor, campo, nullptr, c.tipo), c.sinTop) << c.valor;
    }
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Lookups, ExistenceByCondition)
{
    ui::ScriptedSession dlg;
    // The condition replaces the key; " WHERE " is added only when missing.
    EXPECT_TRUE(db().ExisteEnTabla(T, QStringLiteral("nada"), QStringLiteral("X"), nullptr, 8, QStringLiteral("NOMBRE = 'Luis'")));
    EXPECT_FALSE(db().ExisteEnTabla(T, QString(), QString(), nullptr, 8, QStringLiteral(" where NOMBRE = 'Nadie'")));
    EXPECT_TRUE(db().ExisteEnTablaST(T, QString(), QString(), nullptr, 8, QStringLiteral(" WHERE NUMERO = 8")));
    // A WHERE inside a quoted value is not the statement's.
    Run(db(), QStringLiteral("INSERT INTO CLIENTES VALUES ('C4', 'Casa Where SA', NULL, 9, 0)"));
    const QString casa = QStringLiteral("NOMBRE = 'Casa Where SA'");
    EXPECT_TRUE(db().ExisteEnTabla(T, QString(), QString(), nullptr, 8, casa));
    EXPECT_TRUE(db().ExisteEnTablaST(T, QString(), QString(), nullptr, 8, casa));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Lookups, ExistenceLeavesTheCallersRecordsetOnTheRow)
{
    ui::ScriptedSession dlg;
    std::shared_ptr<ado::Recordset> rs;
    ASSERT_TRUE(db().ExisteEnTabla(T, QStringLiteral("C2"), QStringLiteral("CODIGO"), &rs, 8, QString(), true));
    ASSERT_TRUE(rs);
    EXPECT_EQ(rs->Fields("NOMBRE").Value().toString(), QStringLiteral("Luis"));
    EXPECT_EQ(rs->LockType(), int(ado::adLockReadOnly));

    // Without SoloLectura the caller's cursor and lock stay in force.
    rs->Close();
    rs->setLockType(ado::adLockOptimistic);
    ASSERT_TRUE(db().ExisteEnTablaST(T, QStringLiteral("C2"), QStringLiteral("CODIGO"), &rs, 8));
    EXPECT_EQ(rs->LockType(), int(ado::adLockOptimistic));
    rs->Fields("NOMBRE").setValue(Variant(QStringLiteral("Luisa")));
    rs->Update();
    EXPECT_EQ(db().DatosTabla(T, QStringLiteral("C2"), QStringLiteral("NOMBRE"), QStringLiteral("CODIGO"), 8).toString(),
              QStringLiteral("Luisa"));
}

TEST_F(Lookups, OneFieldOfTheRow)
{
    ui::ScriptedSession dlg;
    Variant tipo(QStringLiteral("'"));
    EXPECT_EQ(db().DatosTabla(T, QStringLiteral("C1"), QStringLiteral("NOMBRE"), QStringLiteral("CODIGO"), tipo).toString(),
              QStringLiteral("Ana"));
    EXPECT_EQ(tipo.toLong(), 8) << "\"'\" counts as text and is written back as 8";

    struct Case {
        const char* valor;
        const char* campo;
        Variant tipo;
        const char* condicion;
        bool trim;
        const char* esperado;
    } cases[] = {
        {"C1", "CODIGO", 8, "", false, ""},  // without trimming the padded key is not found
        {"C2", "CODIGO", 8, "NUMERO = 8", true, "Luis"},
        {"C2", "CODIGO", 8, "NUMERO = 7", true, ""},
        {"C2", "CODIGO", 8, "   ", true, "Luis"},
        {"8", "NUMERO", 3, "", true, "Luis"},
        {"7", "NUMERO", 3, "CODIGO = 'C2'", true, ""},
        {"-3.5", "SALDO", 4, "", true, "Luis"},
        {"O'B", "CODIGO", 8, "", true, "Bea"},  // the apostrophe of a text key is doubled
        {"O'B", "CODIGO", 8, "", false, "Bea"},
        {" 15/03/2024 ", "ALTA", 7, "", true, "Ana"},
        {"15-03-2024", "ALTA", 7, "", true, "Ana"},
        {"15.03.2024", "ALTA", 7, "", true, "Ana"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(db().DatosTabla(T, QString::fromUtf8(c.valor), QStringLiteral("NOMBRE"), QString::fromUtf8(c.campo),
                                  c.tipo, QString::fromUtf8(c.condicion), c.trim)
                      .toString(),
                  QString::fromUtf8(c.esperado))
            << c.valor << " " << c.condicion;
    // A Null field reads as "" (text) or 0 (number).
    EXPECT_EQ(db().DatosTabla(T, QStringLiteral("C2"), QStringLiteral("ALTA"), QStringLiteral("CODIGO"), 8).toString(), QString());
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Lookups, OneFieldOfAFailingStatement)
{
    ui::ScriptedSession dlg;
    // Ignoring errors: "" and no box at all.
    const Variant ignorado = db().DatosTabla(QStringLiteral("NO_EXISTE"), QStringLiteral("1"), QStringLiteral("A"),
                                             QStringLiteral("B"), 3, QString(), true, true);
    EXPECT_TRUE(ignorado.IsString());
    EXPECT_EQ(ignorado.toString(), QString());
    EXPECT_TRUE(dlg.shown().isEmpty());

    // Otherwise the opening's box, then the lookup's own; Abort leaves Empty.
    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error"), ui::vbAbort).title(QStringLiteral("AbrirRecordset"));
    dlg.expectMsgBox(QString(), ui::vbAbort).title(QStringLiteral("Aviso al Operador")).style(ui::vbAbortRetryIgnore + ui::vbCritical);
    const Variant fallido = db().DatosTabla(QStringLiteral("NO_EXISTE"), QStringLiteral("1"), QStringLiteral("A"),
                                            QStringLiteral("B"), 3);
    EXPECT_TRUE(fallido.IsEmpty());
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Lookups, Aggregates)
{
    ui::ScriptedSession dlg;
    EXPECT_EQ(db().BuscaMaximo(T, QStringLiteral("NUMERO")).toDouble(), 8.0);
    EXPECT_EQ(db().BuscaMaximo(T, QStringLiteral("NUMERO"), Variant(), Variant(QStringLiteral("  NUMERO < 8 "))).toDouble(), 7.0);
    EXPECT_EQ(db().BuscaMaximo(T, QStringLiteral("NUMERO"), Variant(), Variant(QStringLiteral("   "))).toDouble(), 8.0);
    // Type 7 returns the stored value itself.
    const Variant fecha = db().BuscaMaximo(T, QStringLiteral("ALTA"), 7);
    EXPECT_EQ(fecha.VarType(), legacy::vbDate);
    EXPECT_EQ(legacy::CDate(fecha).date(), QDate(2024, 3, 15));

    EXPECT_EQ(db().BuscaMinimo(T, QStringLiteral("NUMERO")).toDouble(), 7.0);
    EXPECT_EQ(db().BuscaMinimo(T, QStringLiteral("NUMERO"), Variant(), Variant(QStringLiteral("NUMERO > 7"))).toDouble(), 8.0);
    EXPECT_EQ(db().BuscaUltimoCodigo(T, QStringLiteral("NUMERO")).toDouble(), 8.0);
    EXPECT_EQ(db().BuscaUltimoCodigo(T, QStringLiteral("NUMERO"), Variant(), QStringLiteral("NUMERO > 100")).toDouble(), 0.0);
    EXPECT_EQ(db().BuscaUltimoCodigo(T, QStringLiteral("NUMERO"), Variant(), QStringLiteral("  ")).toDouble(), 8.0);

    // Amounts keep their decimals and sign under the regional comma.
    Run(db(), QStringLiteral("CREATE TABLE IMPORTES (Importe MONEY)"));
    Run(db(), QStringLiteral("INSERT INTO IMPORTES VALUES (1234.5), (99.25), (-0.75)"));
    const QString I = QStringLiteral("IMPORTES"), imp = QStringLiteral("Importe");
    EXPECT_EQ(db().BuscaMaximo(I, imp).toDouble(), 1234.5);
    EXPECT_EQ(db().BuscaMinimo(I, imp).toDouble(), -0.75);
    EXPECT_EQ(db().BuscaMinimo(I, imp, Variant(), Variant(QStringLiteral("Importe > 0"))).toDouble(), 99.25);
    EXPECT_EQ(db().BuscaUltimoCodigo(I, imp, Variant(), QStringLiteral("Importe < 1000")).toDouble(), 99.25);

    // Errors go to the caller.
    EXPECT_THROW(db().BuscaMaximo(QStringLiteral("NO_EXISTE"), QStringLiteral("A")), legacy::VbError);
    EXPECT_THROW(db().BuscaMinimo(QStringLiteral("NO_EXISTE"), QStringLiteral("A")), legacy::VbError);
    EXPECT_THROW(db().BuscaUltimoCodigo(QStringLiteral("NO_EXISTE"), QStringLiteral("A")), legacy::VbError);
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Lookups, LargestArticleCodeSkipsCodesBeginningWithZero)
{
    Run(db(), QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO) VALUES ('   950')"));
    Run(db(), QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO) VALUES ('   120')"));
    Run(db(), QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO) VALUES ('0999')"));
    Variant condicion;
    EXPECT_EQ(db().BuscaMaximo(QStringLiteral("v_ma_articulos"), QStringLiteral("IDARTICULO"), Variant(), condicion).toDouble(), 950.0);
    EXPECT_EQ(condicion.toString(), QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'"));

    condicion = Variant(QStringLiteral("IDARTICULO <> '   950'"));
    EXPECT_EQ(db().BuscaMaximo(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("IDARTICULO"), Variant(), condicion).toDouble(), 120.0);
    EXPECT_EQ(condicion.toString(), QStringLiteral("IDARTICULO <> '   950' and substring(ltrim(idarticulo),1,1)<>'0'"));

    // A condition of blanks only counts as none.
    condicion = Variant(QStringLiteral("   "));
    EXPECT_EQ(db().BuscaMaximo(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("IDARTICULO"), Variant(), condicion).toDouble(), 950.0);
    EXPECT_EQ(condicion.toString(), QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'"));

    // Only codes beginning with "0": the condition is extended once and the
    // search ends.
    Run(db(), QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO <> '0999'"));
    condicion = Variant();
    EXPECT_EQ(db().BuscaMaximo(QStringLiteral("V_MA_ARTICULOS"), QStringLiteral("IDARTICULO"), Variant(), condicion).toDouble(), 0.0);
    EXPECT_EQ(condicion.toString(), QStringLiteral(" substring(ltrim(idarticulo),1,1)<>'0'"));
}

}  // namespace
