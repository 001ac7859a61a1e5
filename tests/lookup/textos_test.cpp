// The lookup's texts: the query builder's pieces, the window's statement
// rewrites, the search-box keys and the quantity cells.
#include "lookup/textos.h"

#include "support/testutil.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace lookup;

TEST(QueryBuilder, ConditionAndRowLimit)
{
    EXPECT_EQ(EntreParentesis("a=1"), " (a=1) ");
    EXPECT_EQ(EntreParentesis("x"), "x") << "one character stays bare";
    EXPECT_EQ(EntreParentesis("(a=1)"), "(a=1)");
    EXPECT_EQ(EntreParentesis("(a=')(')"), "(a=')(')");
    // Groups joined by OR are bracketed as a whole.
    EXPECT_EQ(EntreParentesis("(CODIGO = 'C0001') OR (CODIGO = 'C0004')"),
              " ((CODIGO = 'C0001') OR (CODIGO = 'C0004')) ");
    EXPECT_EQ(EntreParentesis("  "), "  ");
    const std::pair<const char*, int> limites[] = {{"250", 250}, {"0", 1000}, {" ", 1000}, {"abc", 1000},
                                                   {"2.5", 2}, {"3.5", 4}};
    for (const auto& [texto, n] : limites) EXPECT_EQ(LimiteFilas(texto), n) << texto;
}

TEST(QueryBuilder, SelectPathJoinsTheCallersCondition)
{
    struct Caso {
        const char* sql;
        const char* where;
        const char* esperado;
    } casos[] = {
        {"SELECT * FROM T", " (a=1) ", "SELECT * FROM T WHERE  (a=1) "},
        // An outer WHERE takes " AND " after its own condition, put in
        // parentheses; the condition goes before the tail.
        {"SELECT * FROM T WHERE b=2", " (a=1) ", "SELECT * FROM T WHERE (b=2) AND  (a=1) "},
        {"SELECT * FROM T WHERE b=2 ORDER BY c", " (a=1) ", "SELECT * FROM T WHERE (b=2)  AND  (a=1)  ORDER BY c"},
        {"SELECT * FROM T WHERE b=1 OR b=2 ORDER BY c", " (a=1) ",
         "SELECT * FROM T WHERE (b=1 OR b=2)  AND  (a=1)  ORDER BY c"},
        {"SELECT * FROM T WHERE (b=1 OR b=2)", " (a=1) ", "SELECT * FROM T WHERE (b=1 OR b=2) AND  (a=1) "},
        {"SELECT * FROM T WHERE (b=1) OR (b=2)", " (a=1) ", "SELECT * FROM T WHERE ((b=1) OR (b=2)) AND  (a=1) "},
        {"SELECT * FROM T WHERE b=')' OR b='('", " (a=1) ", "SELECT * FROM T WHERE (b=')' OR b='(') AND  (a=1) "},
        {"SELECT c, count(*) FROM T GROUP BY c ORDER BY c", " (a=1) ",
         "SELECT c, count(*) FROM T  WHERE  (a=1)  GROUP BY c ORDER BY c"},
        // A WHERE inside a sub-query is not the statement's own.
        {"SELECT * FROM T WHERE x IN (SELECT y FROM U WHERE z=1)", " (a=1) ",
         "SELECT * FROM T WHERE (x IN (SELECT y FROM U WHERE z=1)) AND  (a=1) "},
        {"SELECT * FROM (SELECT * FROM U WHERE z=1 ORDER BY z) q", " (a=1) ",
         "SELECT * FROM (SELECT * FROM U WHERE z=1 ORDER BY z) q WHERE  (a=1) "},
        // A condition with its own "where" is appended as it is.
        {"SELECT * FROM T ORDER BY c", " where a=1", "SELECT * FROM T ORDER BY c where a=1"},
        {"select * from v_ma_articulos", "", "select * from VT_MA_ARTICULOS"},
        // A keyword inside a quoted value is no keyword.
        {"SELECT * FROM T", " (R = 'Somewhere SA') ", "SELECT * FROM T WHERE  (R = 'Somewhere SA') "},
        {"SELECT * FROM T WHERE b=2 ORDER BY c", " (R = 'Somewhere SA') ",
         "SELECT * FROM T WHERE (b=2)  AND  (R = 'Somewhere SA')  ORDER BY c"},
    };
    for (const Caso& c : casos) {
        QString where = c.where;
        EXPECT_EQ(ConsultaSelect(c.sql, where), c.esperado) << c.sql;
    }
}

TEST(QueryBuilder, DefinitionQueries)
{
    struct Caso {
        Definicion d;
        const char* campoIn;
        const char* where;
        const char* esperado;
        const char* campoOut;
    } casos[] = {
        {{"VT_CLIENTES", "|RAZON_SOCIAL|CODIGO|CONTACTO|", ""}, "", "",
         "SELECT TOP 1000 RAZON_SOCIAL,CODIGO,CONTACTO FROM VT_CLIENTES  with(nolock)  WHERE Dada_De_Baja = 0 ORDER BY "
         "RAZON_SOCIAL",
         "RAZON_SOCIAL"},
        // The stored condition wins over the caller's.
        {{"VT_PROVEEDORES", "|A|B|", "B > 3"}, "", " (x=1) ",
         "SELECT TOP 1000 A,B FROM VT_PROVEEDORES  with(nolock)  WHERE B > 3 ORDER BY A", "A"},
        {{"V_MA_ARTICULOS", "|DESCRIPCION|IDARTICULO|", ""}, "", "",
         "SELECT TOP 1000 DESCRIPCION,IDARTICULO FROM VT_MA_ARTICULOS  with(nolock)  WHERE SUSPENDIDO = 0 ORDER BY "
         "DESCRIPCION",
         "DESCRIPCION"},
        {{"T", "", ""}, "K", " (x=1) ", "SELECT TOP 1000 * FROM T  with(nolock)  WHERE  (x=1)  ORDER BY K", "K"},
        {{"T", "|A|", ""}, "", "", "", ""},  // one field and no search column: not configured
        {{"T", "|A|", ""}, "A", "", "SELECT TOP 1000 A FROM T  with(nolock)  ORDER BY A", "A"},
    };
    for (const Caso& c : casos) {
        QString campo = c.campoIn;
        EXPECT_EQ(ConsultaDefinicion(c.d, 1000, campo, c.where), c.esperado) << c.d.Tabla.toStdString();
        EXPECT_EQ(campo, c.campoOut) << c.d.Tabla.toStdString();
    }
}

TEST(QueryBuilder, TableColumns)
{
    QString campo;
    EXPECT_EQ(ListaDeColumnas("T", {"CODIGO", "DESCRIPCION", "PRECIO"}, campo), "PRECIO,DESCRIPCION,CODIGO,");
    EXPECT_EQ(campo, "DESCRIPCION");
    EXPECT_EQ(ListaDeColumnas("T", {"ID", "NOMBRE", "FECHAHORA_GRABACION"}, campo), "NOMBRE,");
    EXPECT_EQ(ListaDeColumnas("V_MV_TROPA_STOCK", {"A", "ID"}, campo), "ID,A,");
    EXPECT_EQ(campo, "ID");
    QString campos;
    ASSERT_TRUE(ListaFija("v_ta_deposito", campos, campo));
    EXPECT_EQ(campos, "Descripcion,Unidad,IdDeposito,");
    EXPECT_EQ(campo, "IdDeposito");
    EXPECT_FALSE(ListaFija("VT_CLIENTES", campos, campo));
    EXPECT_EQ(ConsultaColumnas("T", "B,A,", 250, "A", " (x=1) "), "SELECT TOP 250 B,A FROM T WHERE   (x=1)  ORDER BY A");
    EXPECT_EQ(ConsultaColumnas("T", "", 1000, "", ""), "SELECT TOP 1000  *  FROM T  ORDER BY ");
}

TEST(ListTexts, TableWidthsAndDefaults)
{
    EXPECT_EQ(TablaDeConsulta("SELECT A FROM V_MA_ARTICULOS WHERE x "), "V_MA_ARTICULOS");
    EXPECT_EQ(TablaDeConsulta("select a from vt_clientes "), "vt_clientes");
    EXPECT_EQ(TablaDeConsulta("select 1 "), "");
    EXPECT_EQ(TablaDeConsulta("SELECT A FROM   V_TA_RUBROS  with(nolock) "), "V_TA_RUBROS") << "blanks after FROM";
    EXPECT_EQ(LetrasDeColumna(300, 200, false, ""), 60);
    EXPECT_EQ(LetrasDeColumna(300, 200, false, "@10"), 70);
    EXPECT_EQ(LetrasDeColumna(300, 200, true, "@10"), 60);
    EXPECT_EQ(LetrasDeColumna(8, 6, false, ""), 12);
    struct Caso {
        const char* valor;
        const char* defaults;
        bool marcado;
    } casos[] = {{"C0001", "'C0001','C0002'", true}, {" c0002 ", "'C0001','C0002'", true},
                 {"C0003", "'C0001','C0002'", false},  {"1", "10|20", false},
                 {"20", "10|20", true},                {"", "10", false},
                 {"", "", false},                      {"7", "", false},
                 {"1", "'12','3'", false},             {"12", "'12','3'", true},
                 {"2", "'12','3'", false},             {"3", "'12','3'", true},
                 {"O'NEIL", "'O''NEIL', \"A,B\"", true}, {"A,B", "'O''NEIL', \"A,B\"", true},
                 {"B", "'O''NEIL', \"A,B\"", false}};
    for (const Caso& c : casos) EXPECT_EQ(MarcadoPorDefecto(c.valor, c.defaults), c.marcado) << c.valor << c.defaults;
    EXPECT_EQ(NivelStock(0, 5), 1);
    EXPECT_EQ(NivelStock(10, 12), 2);
    EXPECT_EQ(NivelStock(10, 4), 3);
    EXPECT_EQ(NivelStock(10, 10), 4);
    EXPECT_EQ(NivelStock(0, 0), 4);
    EXPECT_EQ(NivelStock(-1, 5), 4);
}

TEST(ListTexts, F5Narrowing)
{
    QString sql = "SELECT * FROM T WHERE a=1 ORDER BY Nombre ", base = sql, orden, caja = "juan perez";
    EXPECT_EQ(FiltroF5(sql, base, orden, "Nombre", caja, true),
              "SELECT * FROM T WHERE (a=1)  and LTRIM(RTRIM(Nombre)) like '%juan%perez%' ORDER BY Nombre ");
    EXPECT_EQ(base, "SELECT * FROM T WHERE (a=1)  and LTRIM(RTRIM(Nombre)) like '%juan%perez%' ORDER BY Nombre ");

    sql = "SELECT * FROM T ";
    base = sql;
    caja = "ab*cd";
    EXPECT_EQ(FiltroF5(sql, base, orden, "C", caja, false), "SELECT * FROM T  where LTRIM(RTRIM(C)) like 'ab%cd%' ");
    EXPECT_EQ(caja, "ab%cd");
    caja = "d'a";
    sql = base;
    EXPECT_EQ(FiltroF5(sql, base, orden, "D", caja, false),
              "SELECT * FROM T  where (LTRIM(RTRIM(C)) like 'ab%cd%')  and LTRIM(RTRIM(D)) like 'd''a%' ");
    sql = "SELECT * FROM T WHERE a=1 OR a=2 ";
    base = sql;
    caja = "pin";
    EXPECT_EQ(FiltroF5(sql, base, orden, "R", caja, false),
              "SELECT * FROM T WHERE (a=1 OR a=2)  and LTRIM(RTRIM(R)) like 'pin%' ");

    sql = "select v_ma_articulos.idarticulo from v_ma_articulos group by x order by y ";
    base = sql;
    caja = "z";
    EXPECT_EQ(FiltroF5(sql, base, orden, "D", caja, false),
              "select v_ma_articulos.idarticulo from v_ma_articulos  where LTRIM(RTRIM(v_ma_articulos.D)) like 'z%' "
              "group by x order by y ");
    // Through the lookup entry the view is VT_MA_ARTICULOS; a column that is
    // no char or varchar text is compared as it is.
    sql = "SELECT VT_MA_ARTICULOS.IDARTICULO, S.Stock FROM VT_MA_ARTICULOS JOIN S ON S.IDARTICULO = "
          "VT_MA_ARTICULOS.IDARTICULO";
    base = sql;
    caja = "1001";
    EXPECT_EQ(FiltroF5(sql, base, orden, "IDARTICULO", caja, true),
              "SELECT VT_MA_ARTICULOS.IDARTICULO, S.Stock FROM VT_MA_ARTICULOS JOIN S ON S.IDARTICULO = "
              "VT_MA_ARTICULOS.IDARTICULO where LTRIM(RTRIM(vt_ma_articulos.IDARTICULO)) like '%1001%' ");
    sql = "SELECT Importe FROM T";
    base = sql;
    caja = ".50";
    EXPECT_EQ(FiltroF5(sql, base, orden, "Importe", caja, true, false),
              "SELECT Importe FROM T where Importe like '%.50%' ");

    EXPECT_EQ(ConsultaOrdenadaPorFecha("SELECT * FROM T ", "Fecha").value(), "SELECT * FROM T  order by Fecha");
    EXPECT_EQ(ConsultaOrdenadaPorFecha("SELECT * FROM T ", "FECHAHORAFINROMANEO").value(),
              "SELECT * FROM T  order by FECHAHORAFINROMANEO desc ");
    EXPECT_FALSE(ConsultaOrdenadaPorFecha("SELECT reorders FROM T ", "Fecha"));
    EXPECT_EQ(ConsultaOrdenadaPorFecha("SELECT * FROM T WHERE R = 'Border SA'", "FECHA").value(),
              "SELECT * FROM T WHERE R = 'Border SA' order by FECHA");

    // After a date sort the base holds the sort's ORDER BY; F5 starts from
    // the statement itself.
    sql = "SELECT IDCOMPROBANTE, Nombre, Importe, FECHA FROM V_MV_CPTE WHERE TC = 'G000'";
    base = sql + " order by FECHA";
    caja = QString::fromUtf8("peñ");
    EXPECT_EQ(FiltroF5(sql, base, orden, "Nombre", caja, false),
              QString::fromUtf8("SELECT IDCOMPROBANTE, Nombre, Importe, FECHA FROM V_MV_CPTE WHERE (TC = 'G000') and "
                                "LTRIM(RTRIM(Nombre)) like 'peñ%' "));
    // The value 'order by' is no clause.
    sql = "SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES WHERE RAZON_SOCIAL = 'order by' ORDER BY CODIGO";
    base = sql;
    caja = "H05";
    EXPECT_EQ(FiltroF5(sql, base, orden, "CODIGO", caja, false),
              "SELECT CODIGO, RAZON_SOCIAL FROM VT_CLIENTES WHERE (RAZON_SOCIAL = 'order by')  and LTRIM(RTRIM(CODIGO)) like 'H05%' "
              "ORDER BY CODIGO");
}

TEST(ListTexts, ListKeys)
{
    using T = TeclaLista;
    struct Caso {
        int key, shift;
        const char* texto;
        bool checks, cantidades;
        T::Accion accion;
        const char* agregado;
    } casos[] = {
        {32, 0, " ", true, false, T::Nada, ""},        {32, 0, " ", false, false, T::AlBuscador, " "},
        {13, 0, "\r", false, false, T::Aceptar, ""},    {45, 1, "", false, true, T::CantidadTecleada, ""},
        {45, 0, "", false, true, T::SumaUno, ""},       {46, 0, "", false, true, T::RestaUno, ""},
        {46, 1, "", false, true, T::Nada, ""},          {45, 2, "", false, true, T::Nada, ""},
        {45, 0, "", false, false, T::Nada, ""},         {65, 0, "a", false, false, T::AlBuscador, "A"},
        {49, 1, "!", false, false, T::AlBuscador, "1"}, {116, 0, "", false, false, T::Nada, ""},  // F5
        {97, 0, "1", false, false, T::AlBuscador, "1"}, {97, 0, "", false, false, T::AlBuscador, "1"},
        {109, 0, "", false, false, T::AlBuscador, "-"}, {96, 0, "0", false, false, T::Nada, ""},
        {40, 0, "", false, false, T::Nada, ""},         {8, 0, "\b", false, false, T::BorraEnBuscador, ""},
        {0, 0, ".", false, false, T::Nada, ""},          {190, 0, ".", false, false, T::Nada, ""},
    };
    for (const Caso& c : casos) {
        const T t = TeclaEnLista(c.key, c.shift, c.texto, c.checks, c.cantidades);
        EXPECT_EQ(t.accion, c.accion) << c.key;
        EXPECT_EQ(t.agregado, c.agregado) << c.key;
    }
    EXPECT_EQ(ValorCantidad("  2.5x"), 2.5);
    EXPECT_EQ(ValorCantidad("3,7"), 3);
    EXPECT_EQ(ValorCantidad("abc"), 0);
    EXPECT_EQ(TextoCantidad(3, 1), "3.0");
    EXPECT_EQ(TextoCantidad(0.5, 2), "0.50");
}

TEST(ListTexts, MaintenanceProgramsAndShortageRow)
{
    const std::tuple<const char*, const char*, const char*> casos[] = {
        {"VT_PROVEEDORES", "SHELL:BROMELIANTURO", "0"}, {"vt_clientes", "SHELL:BROMELIANTURO", "1"},
        {"V_TA_UNIDAD", "SHELL:PARSIMOLENO", "V_TA_UNIDAD"}, {"v_ta_tecnicos", "SHELL:V_TA_Tecnicos", ""},
        {"VT_MA_ARTICULOS", "SHELL:V_MA_ARTICULOS", ""}, {"Stk_ma_articulos", "SHELL:PARSIMOLENO", "Stk_ma_articulos"}};
    for (const auto& [tabla, programa, parametro] : casos) {
        const Programa p = ProgramaMantenimiento(tabla);
        EXPECT_EQ(p.programa, programa) << tabla;
        EXPECT_EQ(p.parametro, parametro) << tabla;
    }
    EXPECT_EQ(SentenciaFaltante("09/12/2026 10:00:00", "1001", "Llave 1/2'", "O'Neil"),
              "INSERT INTO V_MV_FALTANTES (FechaHora,IdArticulo,Descripcion,Usuario) values('09/12/2026 "
              "10:00:00','1001','Llave 1/2''','O''Neil')");
    EXPECT_TRUE(QRegularExpression("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d:\\d\\d$").match(FechaHoraConexion()).hasMatch());
}

TEST(TreeTexts, F5CutsAtTheOuterOrderBy)
{
    EXPECT_EQ(FiltroArbol("SELECT a, b FROM T", "d'x"), "SELECT a, b FROM T where Descripcion like '%d''x%' ");
    EXPECT_EQ(FiltroArbol("SELECT a FROM T WHERE z=1 OR z=2 ORDER BY a", "x"),
              "SELECT a FROM T WHERE (z=1 OR z=2)  and Descripcion like '%x%' ORDER BY a");
    const QString f = FiltroArbol(SentenciaFamilias(), "beb");
    EXPECT_TRUE(f.endsWith("Where (IdFamilia<>'')  and Descripcion like '%beb%' ORDER BY IdFamilia")) << f.toStdString();
}
