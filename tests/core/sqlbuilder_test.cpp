// Statement texts built from the shared field list, and the small helpers.
#include "core/sqlbuilder.h"
#include "core/tratamientoerrores.h"
#include "db/db_dll.h"
#include "db/modglobal_db.h"
#include "platform/legacy/program.h"
#include "platform/legacy/textfile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace ModGlobal;

namespace {

class SqlBuilder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetDatabaseObjects();
        gListaCampos.clear();
        gClavesTotalizador.clear();
    }
    void TearDown() override
    {
        ResetDatabaseObjects();
        gListaCampos.clear();
        gClavesTotalizador.clear();
    }
};

TEST_F(SqlBuilder, AgregaCampoQuitaApostrofesYCitaSegunTipo)
{
    QString valor = QStringLiteral("O'Brien");
    AgregaCampo(QStringLiteral("Nombre"), valor, QStringLiteral("'"), true);
    EXPECT_EQ(valor, QStringLiteral("OBrien"));
    QString nulo = QStringLiteral("nUlL");
    AgregaCampo(QStringLiteral("Baja"), nulo, QStringLiteral("'"), false);
    AgregaCampo(QStringLiteral("Importe"), QStringLiteral("12.5"), QStringLiteral("@"), false);
    AgregaCampo(QStringLiteral("Codigo"), QStringLiteral("7"), QString(), false);

    ASSERT_EQ(gListaCampos.size(), 4);
    EXPECT_EQ(gListaCampos[0].Valor, QStringLiteral("'OBrien'"));
    EXPECT_EQ(gListaCampos[1].Valor, QStringLiteral("Null"));
    EXPECT_EQ(gListaCampos[2].Campo, QStringLiteral("Importe"));
    EXPECT_EQ(gListaCampos[3].Valor, QStringLiteral("7"));

    // Nuevo starts the list afresh.
    AgregaCampo(QStringLiteral("X"), QStringLiteral("1"), QString(), true);
    EXPECT_EQ(gListaCampos.size(), 1);
}

TEST_F(SqlBuilder, InsertYUpdate)
{
    struct Caso {
        bool esUpdate;
        const char* condicion;
        const char* sentencia;
        const char* condicionDevuelta;
    } casos[] = {
        {false, "", "INSERT INTO Control_Acceso (Maquina,Usuario) VALUES ('PC1','ANA')", ""},
        {true, "IdArticulo = 5", "UPDATE Control_Acceso SET Maquina = 'PC1',Usuario = 'ANA'  WHERE IdArticulo = 5",
         " WHERE IdArticulo = 5"},
        {true, "where Id = 1", "UPDATE Control_Acceso SET Maquina = 'PC1',Usuario = 'ANA' where Id = 1",
         "where Id = 1"},
        {true, "", "UPDATE Control_Acceso SET Maquina = 'PC1',Usuario = 'ANA'  WHERE ", " WHERE "},
        // A WHERE inside a value is not the statement's.
        {true, "RAZON_SOCIAL = 'Casa Where SA'",
         "UPDATE Control_Acceso SET Maquina = 'PC1',Usuario = 'ANA'  WHERE RAZON_SOCIAL = 'Casa Where SA'",
         " WHERE RAZON_SOCIAL = 'Casa Where SA'"},
        {true, "RAZON_SOCIAL = 'Nowhere'",
         "UPDATE Control_Acceso SET Maquina = 'PC1',Usuario = 'ANA'  WHERE RAZON_SOCIAL = 'Nowhere'",
         " WHERE RAZON_SOCIAL = 'Nowhere'"},
    };
    for (const Caso& c : casos) {
        AgregaCampo(QStringLiteral("Maquina"), QStringLiteral("PC1"), QStringLiteral("'"), true);
        AgregaCampo(QStringLiteral("Usuario"), QStringLiteral("ANA"), QStringLiteral("'"), false);
        QStringList sentencias{QStringLiteral("previa")};
        QString condicion = QString::fromUtf8(c.condicion);
        ArmaSentenciaSQL(gListaCampos, sentencias, QStringLiteral("Control_Acceso"), c.esUpdate, condicion, false);
        ASSERT_EQ(sentencias.size(), 2);
        EXPECT_EQ(sentencias[0], QStringLiteral("previa"));
        EXPECT_EQ(sentencias[1], QString::fromUtf8(c.sentencia));
        EXPECT_EQ(condicion, QString::fromUtf8(c.condicionDevuelta));
        // Without Conservar the list is left with one empty pair.
        ASSERT_EQ(gListaCampos.size(), 1);
        EXPECT_TRUE(gListaCampos[0].Campo.isEmpty());
    }
}

TEST_F(SqlBuilder, ConservarMantieneLaLista)
{
    AgregaCampo(QStringLiteral("A"), QStringLiteral("1"), QString(), true);
    QStringList sentencias;
    ArmaSentenciaSQL(gListaCampos, sentencias, QStringLiteral("T"), false, QString(), true);
    EXPECT_EQ(sentencias, QStringList{QStringLiteral("INSERT INTO T (A) VALUES (1)")});
    EXPECT_EQ(gListaCampos.size(), 1);
    EXPECT_EQ(gListaCampos[0].Campo, QStringLiteral("A"));
}

TEST_F(SqlBuilder, ArmaInsertValoresAgregaAlaCabeceraYLimpia)
{
    AgregaCampo(QStringLiteral("TC"), QStringLiteral("FP"), QStringLiteral("'"), true);
    AgregaCampo(QStringLiteral("IdComplemento"), QStringLiteral("0"), QString(), false);
    QString sql = QStringLiteral(" INSERT INTO V_MV_CPTEACCIONES ");
    ArmaInsertValores(sql, gListaCampos, true);
    EXPECT_EQ(sql, QStringLiteral(" INSERT INTO V_MV_CPTEACCIONES (TC,IdComplemento) VALUES ('FP',0)"));
    EXPECT_TRUE(gListaCampos.isEmpty());
    // A list emptied this way takes new pairs again.
    AgregaCampo(QStringLiteral("B"), QStringLiteral("2"), QString(), false);
    EXPECT_EQ(gListaCampos.size(), 1);
}

TEST_F(SqlBuilder, ArmaCondicion)
{
    const QString campo = QStringLiteral(" idarticulo ");
    EXPECT_EQ(ArmaCondicion(campo, QStringLiteral("="), {QStringLiteral("A1"), QStringLiteral("B2")},
                            QStringLiteral(" OR "), QStringLiteral("'")),
              QStringLiteral(" idarticulo ='A1' OR  idarticulo ='B2'"));
    EXPECT_EQ(ArmaCondicion(campo, QStringLiteral("="), {QStringLiteral("A1")}, QStringLiteral(" OR "),
                            QStringLiteral("'")),
              QStringLiteral(" idarticulo ='A1'"));
    EXPECT_EQ(ArmaCondicion(QStringLiteral("c"), QStringLiteral("="),
                            {QStringLiteral(""), QStringLiteral(""), QStringLiteral(" ")}, QStringLiteral(" OR "),
                            QStringLiteral("'"), false, true),
              QStringLiteral("c=''"));
    EXPECT_EQ(ArmaCondicion(QStringLiteral("c"), QStringLiteral("="), {QStringLiteral("1"), QStringLiteral("2")},
                            QStringLiteral(" AND "), QString(), legacy::Variant(QStringLiteral("True"))),
              QStringLiteral("c=1 AND c=2 AND c is null "));
}

TEST_F(SqlBuilder, ArmaCondicionConErrorDaUnoIgualUnoYLoAnotaEnElLog)
{
    const QString log = RutaLogErrores();
    QFile::remove(log);
    EXPECT_EQ(ArmaCondicion(QStringLiteral("c"), QStringLiteral("="), {}, QStringLiteral(" OR ")),
              QStringLiteral("1=1"));
    // ConNull that is not a flag is an error too.
    EXPECT_EQ(ArmaCondicion(QStringLiteral("c"), QStringLiteral("="), {QStringLiteral("1")}, QStringLiteral(" OR "),
                            QString(), legacy::Variant(QStringLiteral("quizas"))),
              QStringLiteral("1=1"));
    const QStringList lineas = legacy::ReadLines(log);
    ASSERT_EQ(lineas.size(), 2);
    EXPECT_TRUE(lineas[0].contains(QStringLiteral("ArmaCondicion"))) << lineas[0].toStdString();
    QFile::remove(log);
}

TEST_F(SqlBuilder, AdaptaSQLOracle)
{
    const QString top = QStringLiteral("Select TOP 1 * from T");
    EXPECT_EQ(AdaptaSQLOracle(top), top);  // not an Oracle connection

    gDB().gConnString = QStringLiteral("Provider=OraOLEDB.Oracle.1;Data Source=X;");
    // The row limit of the database class's Oracle rewrite, for both.
    const char* casos[][2] = {
        {"Select TOP 1 * from T", "Select  * from T  WHERE ROWNUM <= 1  "},
        {"select top 5 a from T WHERE b = 1 ORDER BY a", "select  a from T WHERE b = 1    AND ROWNUM <= 5  ORDER BY a"},
        {"select a from T", "select a from T"},
        {"select a from DESKTOP t", "select a from DESKTOP t"},
    };
    for (const auto& [sql, oracle] : casos) {
        EXPECT_EQ(AdaptaSQLOracle(QString::fromLatin1(sql)), QString::fromLatin1(oracle));
        EXPECT_EQ(gDB().ORACLE_Dicc(QString::fromLatin1(sql)), QString::fromLatin1(oracle));
    }
    // One word: the database class's rule, only the word LEN itself.
    const char* palabras[][2] = {
        {"len", "LENGTH"}, {"CALENDARIO", "CALENDARIO"}, {"V_MA_LENTES", "V_MA_LENTES"}, {"len(x)", "len(x)"}};
    for (const auto& [sql, oracle] : palabras)
        EXPECT_EQ(AdaptaSQLOracle(QString::fromLatin1(sql)), QString::fromLatin1(oracle));
}

TEST_F(SqlBuilder, BusquedasEnListas)
{
    const QStringList lista{QStringLiteral("uno"), QStringLiteral("DOS"), QStringLiteral(" tres"),
                            QStringLiteral("dos")};
    EXPECT_EQ(BuscaEnArray(lista, QStringLiteral("dos")), 1);
    EXPECT_EQ(BuscaEnArray(lista, QStringLiteral("dos"), 2), 3);
    EXPECT_EQ(BuscaEnArray(lista, QStringLiteral("tres")), -1);  // untrimmed
    EXPECT_EQ(BuscaEnArray(lista, QStringLiteral("uno"), 9), -1);

    gClavesTotalizador = {{QStringLiteral("NETO") + QChar(0) + QChar(0), QString()},
                          {QStringLiteral(" IVA") + QChar(0xFF), QString()}};
    EXPECT_EQ(IndiceEnLista(QStringLiteral("iva ")), 1);
    EXPECT_EQ(IndiceEnLista(QStringLiteral("neto")), 0);
    EXPECT_EQ(IndiceEnLista(QStringLiteral("total")), -1);
    EXPECT_EQ(IndiceEnLista(QStringLiteral("IVA") + QChar(0xFF)), 1);  // sought key cleaned too

    EXPECT_EQ(LimpiaTexto(legacy::Variant(QStringLiteral("  a\nb") + QChar(0) + QChar(0xFF) + QStringLiteral(" "))),
              QStringLiteral("ab"));
    EXPECT_EQ(LimpiaTexto(legacy::Variant(12)), QStringLiteral("12"));
}

TEST(DuplicaApostrofes, DoblaCadaApostrofe)
{
    EXPECT_EQ(DuplicaApostrofes(QStringLiteral("D'Angelo")), QStringLiteral("D''Angelo"));
    EXPECT_EQ(DuplicaApostrofes(QStringLiteral("'; drop table x --")), QStringLiteral("''; drop table x --"));
    EXPECT_EQ(DuplicaApostrofes(QStringLiteral("ANA")), QStringLiteral("ANA"));
}

}  // namespace
