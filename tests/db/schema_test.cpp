// Object names, and tests and changes of the schema.
#include "dbfixture.h"

using namespace dbtest;

namespace {

TEST(ObjectNames, Helpers)
{
    DB_Dll db;
    struct Case {
        const char* entrada;
        int parte;
        const char* resultado;
        const char* variable;  // the caller's variable afterwards
    } partes[] = {
        {"TABLA", 0, "TABLA", "TABLA"},
        {"dbo.TABLA", 0, "dbo", "dbo.TABLA"},
        {"dbo.TABLA", 1, "TABLA", "dbo.TABLA"},
        {"base.dbo.TABLA", 0, "dbo.TABLA", "dbo.TABLA"},
        {"base.dbo.TABLA", 1, "dbo.TABLA", "dbo.TABLA"},
    };
    for (const Case& c : partes) {
        QString nombre = QString::fromUtf8(c.entrada);
        EXPECT_EQ(db.stSTF(nombre, c.parte), QString::fromUtf8(c.resultado)) << c.entrada;
        EXPECT_EQ(nombre, QString::fromUtf8(c.variable)) << c.entrada;
    }

    EXPECT_EQ(db.AddBrackets(QStringLiteral("Mi Tabla")), QStringLiteral("[Mi Tabla]"));
    EXPECT_EQ(db.AddBrackets(QStringLiteral("[Mi Tabla]")), QStringLiteral("[Mi Tabla]"));
    EXPECT_EQ(db.AddBrackets(QStringLiteral("Tabla")), QStringLiteral("Tabla"));
    EXPECT_EQ(db.StripBrackets(QStringLiteral("[Mi Tabla]")), QStringLiteral("Mi Tabla"));
    EXPECT_EQ(db.StripBrackets(QStringLiteral("[Mi Tabla")), QStringLiteral("Mi Tabl"));
    EXPECT_EQ(db.StripBrackets(QStringLiteral("Tabla]")), QStringLiteral("Tabla]"));
    EXPECT_EQ(db.StripConnect(QStringLiteral("TABLA -> conexion")), QStringLiteral("TABLA"));
    EXPECT_EQ(db.StripConnect(QStringLiteral("TABLA")), QStringLiteral("TABLA"));
    EXPECT_THROW(db.StripConnect(QStringLiteral("->x")), legacy::VbError);

    QString sinDueno = QStringLiteral("TABLA");
    EXPECT_EQ(db.StripOwner(sinDueno), QStringLiteral("TABLA"));
    QString conDueno = QStringLiteral("dbo.TABLA");
    EXPECT_EQ(db.StripOwner(conDueno), QStringLiteral("TABLA"));
    EXPECT_EQ(conDueno, QStringLiteral("TABLA"));

    EXPECT_EQ(db.StripFileName(QStringLiteral("C:\\datos\\base.mdb")), QStringLiteral("C:\\datos"));
    EXPECT_EQ(db.StripFileName(QStringLiteral("/srv/datos/base.mdb")), QStringLiteral("/srv/datos"));
    EXPECT_EQ(db.StripFileName(QStringLiteral("\\base.mdb")), QString());
    EXPECT_EQ(db.StripFileName(QStringLiteral("base.mdb")), QString());
    EXPECT_EQ(db.StripFileName(QString()), QString());
}

TEST_F(DbTest, TablesAndColumns)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    EXPECT_TRUE(db.ExisteTablaDB(QStringLiteral("ta_usuarios")));
    EXPECT_TRUE(db.ExisteTablaDB(QStringLiteral(" TA_USUARIOS ")));
    EXPECT_FALSE(db.ExisteTablaDB(QStringLiteral("TA_USUARIO")));
    EXPECT_TRUE(db.ExisteCampoDB(QStringLiteral("TA_USUARIOS"), QStringLiteral(" nombre ")));
    EXPECT_FALSE(db.ExisteCampoDB(QStringLiteral("TA_USUARIOS"), QStringLiteral("APELLIDO")));
    EXPECT_FALSE(db.ExisteCampoDB(QStringLiteral("NO_EXISTE"), QStringLiteral("NOMBRE")));
    // On Oracle every column exists, so nothing is ever added there.
    db.gProveedor = QStringLiteral("OraOLEDB.Oracle.1");
    EXPECT_TRUE(db.ExisteCampoDB(QStringLiteral("TA_USUARIOS"), QStringLiteral("APELLIDO")));
    EXPECT_TRUE(db.VerCampoDB(QStringLiteral("TA_USUARIOS"), QStringLiteral("APELLIDO"), true, QStringLiteral("INT"), true));
    db.gProveedor = db.pSQLOLEDB();
    EXPECT_FALSE(db.ExisteCampoDB(QStringLiteral("TA_USUARIOS"), QStringLiteral("APELLIDO")));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(DbTest, ColumnsAreAddedWhenAsked)
{
    ui::ScriptedSession dlg;
    DB_Dll& db = OpenMain();
    const QString t = QStringLiteral("TA_USUARIOS");
    EXPECT_TRUE(db.VerCampoDB(t, QStringLiteral("ALIAS"), false, QStringLiteral("VARCHAR(20)"), true));
    EXPECT_FALSE(db.ExisteCampoDB(t, QStringLiteral("ALIAS"))) << "not asked to add";
    EXPECT_TRUE(db.VerCampoDB(t, QStringLiteral("ALIAS"), true, QStringLiteral("VARCHAR(20)"), true));
    EXPECT_TRUE(db.ExisteCampoDB(t, QStringLiteral("ALIAS")));

    // A default arrives already quoted; with it a column may refuse Nulls.
    db.AddField(t, QStringLiteral("NIVEL"), QStringLiteral("VARCHAR(5)"), false, legacy::Variant(QStringLiteral("'B'")));
    EXPECT_EQ(db.gCnn->Errors().Count(), 0);
    ASSERT_TRUE(db.ExisteCampoDB(t, QStringLiteral("NIVEL")));
    db.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('X')"));
    auto rs = db.gCnn->Execute(QStringLiteral("SELECT NIVEL FROM TA_USUARIOS"));
    EXPECT_EQ(rs->Fields("NIVEL").Value().toString(), QStringLiteral("B"));
    // a column that takes Nulls leaves the rows already there Null, as the server does
    db.AddField(t, QStringLiteral("ZONA"), QStringLiteral("VARCHAR(5)"), true, legacy::Variant(QStringLiteral("'N'")));
    db.gCnn->Execute(QStringLiteral("INSERT INTO TA_USUARIOS (NOMBRE) VALUES ('Y')"));
    rs = db.gCnn->Execute(QStringLiteral("SELECT COUNT(*) AS n, COUNT(ZONA) AS z, MAX(ZONA) AS m FROM TA_USUARIOS"));
    EXPECT_GT(rs->Fields("n").Value().toLong(), 1);
    EXPECT_EQ(rs->Fields("z").Value().toLong(), 1) << "only the new row has the default";
    EXPECT_EQ(rs->Fields("m").Value().toString(), QStringLiteral("N"));

    // A table that does not exist: true, and nothing happens.
    EXPECT_TRUE(db.VerCampoDB(QStringLiteral("NO_EXISTE"), QStringLiteral("A"), true, QStringLiteral("INT"), true));
    EXPECT_FALSE(db.ExisteTablaDB(QStringLiteral("NO_EXISTE")));
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(DbTest, SchemaErrorsGoToTheMainObjectsBox)
{
    ui::ScriptedSession dlg;
    DB_Dll cerrado;
    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (3709)"), ui::vbAbort)
        .title(QStringLiteral(" - VerificaCampos Aviso al operador!!! - 5 "));
    EXPECT_FALSE(cerrado.ExisteTablaDB(QStringLiteral("TA_USUARIOS")));
    dlg.expectMsgBox(QStringLiteral("(3709)"), ui::vbIgnore);
    EXPECT_FALSE(cerrado.ExisteCampoDB(QStringLiteral("TA_USUARIOS"), QStringLiteral("NOMBRE")));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

}  // namespace
