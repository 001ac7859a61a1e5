// The schema's indexes on expressions and its per-engine statements: the
// keyed statements of the program give the same rows with them as without
// them, and the embedded engine reads them through the index.
#include <gtest/gtest.h>

#include <QFile>

#include <sqlite3.h>

#include "mkdb/mkdb.h"
#include "platform/ado/connection.h"
#include "platform/ado/recordset.h"
#include "platform/ado/sql_text.h"
#include "platform/ado/sqlite_support.h"
#include "platform/legacy/vberror.h"
#include "support/testdb.h"

namespace {

// Keys stored with blanks around them and in either letter case.
const char* const kFilas[] = {
    "INSERT INTO STK_DESPACHOS (NroLote, Descripcion, ControladoPor, IdOrigen) VALUES"
    " (' L1 ', 'D1', 'ADUANA', '   1'), ('l1', 'D2', 'OTRA', '   2'), ('L1  ', NULL, NULL, NULL),"
    " ('L2', 'D4', 'X', '   3'), (' O''K', 'D5', 'Y', '   4')",
    "INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, CODIGOBARRA1, UMCB1, CODIGOBARRADUN,"
    " CodigoArtProveedor, CUENTAPROVEEDOR) VALUES"
    " ('                     1001', 'Uno', 'UN', '779A', 'CJ', NULL, 'PR-1', 'P0001'),"
    " ('P-7 ', 'Siete', 'KG', NULL, NULL, ' 779a', 'pr-1', 'p0001 '),"
    " ('x9', 'Nueve', 'UN', '779a ', NULL, '779A', NULL, NULL)",
    "INSERT INTO V_MV_STOCK (TC, IdComprobante, IdComplemento, Secuencia, NroLote, Cantidad) VALUES"
    " ('IR  ', '000100000007A', 0, 1, ' 41', 1), ('ir', '000100000009a', 0, 1, '  7', 1),"
    " ('IR  ', '000200000099A', 0, 1, 'L1', 1), ('IR', '000100000003B', 0, 1, '', 1),"
    " ('TR  ', '000100000050A', 0, 1, NULL, 1), ('IR  ', '000100000009A', 1, 1, 'l9', 1)",
    // movements made from an origin voucher, and transport remittances
    "INSERT INTO V_MV_STOCK (TC, IdComprobante, IdComplemento, Secuencia, Tc_Origen, IdComprobante_Origen, IDVIAJE,"
    " Revisado, Fecha, CuentaProveedor, Cantidad) VALUES"
    " ('ir', '000500000001A', 0, 1, 'oc  ', '000100000001a', NULL, 0, NULL, NULL, 1),"
    " ('RM  ', '000500000002A', 0, 1, 'OC  ', '000100000001A', NULL, 0, NULL, NULL, 1),"
    " ('IR  ', '000500000003A', 0, 1, 'OC  ', '000100000003A', NULL, 0, NULL, NULL, 1),"
    " ('SPNL', '000500000004A', 0, 1, 'OP  ', '000100000002A', NULL, 0, NULL, NULL, 1),"
    " ('spnl', '000500000004A', 0, 2, 'op', '000100000002a ', NULL, 0, NULL, NULL, 1),"
    " ('SPNL', '000500000005A', 0, 1, 'OC  ', '000100000002A', NULL, 0, NULL, NULL, 1),"
    " ('FC  ', '000500000006A', 0, 1, 'OP  ', '000100000002A', NULL, 0, NULL, NULL, 1),"
    " ('RM  ', '000100000001A', 0, 1, NULL, NULL, 'TTE', 0, '2024-03-01', 'C0001', 1),"
    " ('RM  ', '000100000001A', 0, 2, NULL, NULL, 'TTE', 0, '2024-03-01', 'C0001', 2),"
    " ('rm', '000100000002A', 0, 1, NULL, NULL, 'tte ', 0, '2024-03-02', 'C0002', 1),"
    " ('RM  ', '000100000004A', 0, 1, NULL, NULL, 'TTE', 1, '2024-03-03', 'C0001', 1),"
    " ('RM  ', '000100000005A', 0, 1, NULL, NULL, 'OTRO', 0, '2024-03-04', 'C0001', 1)",
    "INSERT INTO V_MV_CPTE (TC, IDCOMPROBANTE, IDCOMPLEMENTO, TCORIGEN, COMPROBANTEORIGEN, ANULADA) VALUES"
    " ('CBFP', '000100000004A', 0, 'RM  ', '000100000001A', 0), ('cbfp', '000100000006a', 0, 'rm', '000100000001a', 0),"
    " ('CBFP', '000300000008A', 0, NULL, NULL, 0), ('FC  ', '000100000001A', 0, 'RM', '000100000001A ', 1)",
    "INSERT INTO MV_VIAJES (TC, IDCOMPROBANTE) VALUES ('VJ  ', '000100000002A'), ('vj', '000100000005a'),"
    " ('VJ', '000100000009B')",
    "INSERT INTO V_MV_CPTEINSUMOS (TC, IDCOMPROBANTE, IDCOMPLEMENTO, IdArticulo, Cantidad) VALUES"
    " ('FC  ', '000100000001A', 0, '                     1001', 2), ('fc', '000100000001a', 0, '                     1001 ', 3),"
    " ('FC  ', '000100000001A', 1, '                     1001', 5), ('FC  ', '000100000001A', 0, 'P-7', 1),"
    " ('FC  ', '000100000001A', NULL, 'P-7', 4)",
    "INSERT INTO MV_APLICACION (TC, TCO_ORIGEN, IDComprobante_Origen, IDARTICULO, CANTIDAD) VALUES"
    " ('FC  ', 'RM  ', '000100000001A', '                     1001', 1), ('FC', 'rm', '000100000001a', '                     1001 ', 2),"
    " ('FC  ', 'NP  ', '000100000001A', '                     1001', 4), ('FC  ', 'RM  ', '000100000002A', '                     1001', 8)",
};

// The same database as the schema made it before: keys read by scanning,
// the sums grouped.
const char* const kSinIndices[] = {
    "DROP INDEX IX_STK_DESPACHOS_LOTE_RECORTADO",
    "DROP INDEX IX_V_MA_ARTICULOS_RECORTADO",
    "DROP INDEX IX_V_MA_ARTICULOS_BARRADUN",
    "DROP INDEX IX_V_MA_ARTICULOS_BARRA1",
    "DROP INDEX IX_V_MA_ARTICULOS_BARRA2",
    "DROP INDEX IX_V_MA_ARTICULOS_BARRA3",
    "DROP INDEX IX_V_MA_ARTICULOS_BARRA4",
    "DROP INDEX IX_V_MA_ARTICULOS_PROV",
    "CREATE INDEX IX_V_MA_ARTICULOS_PROV ON V_MA_ARTICULOS (CodigoArtProveedor, CUENTAPROVEEDOR)",
    "DROP INDEX IX_V_MV_STOCK_NUMERACION",
    "DROP INDEX IX_V_MV_STOCK_LOTE_INICIAL",
    "DROP INDEX IX_V_MV_STOCK_ORIGEN",
    "DROP INDEX IX_V_MV_STOCK_VIAJE",
    "DROP INDEX IX_V_MV_CPTE_NUMERACION",
    "DROP INDEX IX_V_MV_CPTE_ORIGEN",
    "CREATE INDEX IX_V_MV_CPTE_ORIGEN ON V_MV_CPTE (TCORIGEN, COMPROBANTEORIGEN)",
    "DROP INDEX IX_MV_VIAJES_NUMERACION",
    "DROP VIEW VT_V_MV_CPTEINSUMOS_CONS2",
    "CREATE VIEW VT_V_MV_CPTEINSUMOS_CONS2 AS SELECT TC, IDCOMPROBANTE, IDCOMPLEMENTO, IdArticulo AS IDARTICULO,"
    " SUM(Cantidad) AS Cantidad FROM V_MV_CPTEINSUMOS GROUP BY TC, IDCOMPROBANTE, IDCOMPLEMENTO, IdArticulo",
    "DROP VIEW VT_V_MV_INSUMOS_APLICACION",
    "CREATE VIEW VT_V_MV_INSUMOS_APLICACION AS SELECT TCO_ORIGEN, IDComprobante_Origen AS IdComprobanteOrigen,"
    " MIN(IDARTICULO) AS IDARTICULO, SUM(CANTIDAD) AS CantidadAplicada FROM MV_APLICACION GROUP BY TCO_ORIGEN,"
    " IDComprobante_Origen, LTRIM(RTRIM(IDARTICULO))",
};

struct Sentencia {
    const char* sql;     // as the program builds it
    const char* indice;  // what the embedded engine reads it through
};

const Sentencia kSentencias[] = {
    // a lot's dispatch data
    {" select * from stk_despachos where ltrim(rtrim(NroLote)) = 'L1 '", "IX_STK_DESPACHOS_LOTE_RECORTADO"},
    {" select * from stk_despachos where ltrim(rtrim(NroLote)) = 'O''K '", "IX_STK_DESPACHOS_LOTE_RECORTADO"},
    // article lookups by the code without blanks, by bar code, by supplier code
    {"SELECT TOP 1 * FROM V_MA_ARTICULOS with(nolock)  WHERE LTRIM(RTRIM(IdArticulo)) ='1001' ",
     "IX_V_MA_ARTICULOS_RECORTADO"},
    {"SELECT TOP 1  * FROM v_ma_articulos with(nolock)  WHERE LTRIM(RTRIM(idarticulo)) ='p-7'",
     "IX_V_MA_ARTICULOS_RECORTADO"},
    {"SELECT *,IDUNIDAD AS UDBASE , ISNULL(UMCB1,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRA1 IN "
     "('779A', '779a')",
     "IX_V_MA_ARTICULOS_BARRA1"},
    {"SELECT *,IDUNIDAD AS UDBASE , ISNULL(UD_TTE,IDUNIDAD) AS IDUNIDAD FROM V_MA_ARTICULOS WHERE CODIGOBARRADUN IN "
     "('779A', '779a')",
     "IX_V_MA_ARTICULOS_BARRADUN"},
    {"SELECT *,IDUNIDAD AS UDBASE  FROM V_MA_ARTICULOS WHERE CodigoArtProveedor IN ('PR-1', 'pr-1') and "
     "CuentaProveedor = 'P0001'",
     "IX_V_MA_ARTICULOS_PROV"},
    // the last number of a type, branch and letter
    {"SELECT MAX(idcomprobante) AS ULTIMO From V_MV_STOCK WHERE TC = 'IR' AND SUBSTRING(IDCOMPROBANTE,1,4)= '0001' "
     "AND SUBSTRING(IDCOMPROBANTE,13,1) = 'a'",
     "IX_V_MV_STOCK_NUMERACION"},
    {"SELECT MAX(IDCOMPROBANTE) AS ULTIMO From V_MV_STOCK  with(nolock) WHERE TC = 'IR' AND SUBSTRING(IDCOMPROBANTE, "
     "1, 4)= '0001' AND SUBSTRING(IDCOMPROBANTE, 13, 1)= 'B'",
     "IX_V_MV_STOCK_NUMERACION"},
    {"SELECT MAX(idcomprobante) AS ULTIMO From V_MV_CPTE WHERE TC = 'CBFP' AND SUBSTRING(IDCOMPROBANTE,1,4)= '0001' "
     "AND SUBSTRING(IDCOMPROBANTE,13,1) = 'A'",
     "IX_V_MV_CPTE_NUMERACION"},
    {"SELECT MAX(idcomprobante) AS ULTIMO From MV_VIAJES WHERE TC = 'VJ' AND SUBSTRING(IDCOMPROBANTE,1,4)= '0001' "
     "AND SUBSTRING(IDCOMPROBANTE,13,1) = 'A'",
     "IX_MV_VIAJES_NUMERACION"},
    // the highest automatic lot
    {"SELECT MAX(NroLote) AS Maximo From v_mv_stock WHERE (SUBSTRING(NroLote, 1, 1) = ' ') ",
     "IX_V_MV_STOCK_LOTE_INICIAL"},
    // the receptions of a purchase order, the production exits of an order
    {"SELECT TOP 1 * FROM v_mv_stock with(nolock)  WHERE LTRIM(RTRIM(TC_origen)) ='OC'  AND  TC = 'IR' AND TC_ORIGEN "
     "= 'OC' AND IDCOMPROBANTE_ORIGEN ='000100000001A'",
     "IX_V_MV_STOCK_ORIGEN"},
    {"Select * from v_mv_stock where tc = 'spnl' and tc_origen = 'OP' and idcomprobante_origen = '000100000002A'",
     "IX_V_MV_STOCK_ORIGEN"},
    // the transport remittances to review
    {"SELECT dbo.V_MV_Stock.TC, dbo.V_MV_Stock.IDCOMPROBANTE, dbo.V_MV_Stock.IDCOMPLEMENTO, "
     "dbo.V_MV_Stock.FECHA,dbo.V_MV_Stock.CUENTAPROVEEDOR  FROM         dbo.V_MV_Stock LEFT OUTER JOIN "
     "dbo.MV_APLICACION ON dbo.V_MV_Stock.IDCOMPROBANTE = dbo.MV_APLICACION.IDComprobante_Origen AND "
     "dbo.V_MV_Stock.TC = dbo.MV_APLICACION.Tco_Origen WHERE     (dbo.V_MV_Stock.TC = N'RM') AND "
     "(dbo.V_MV_Stock.IDVIAJE = N'TTE') AND (dbo.V_MV_Stock.Revisado = 0) AND (dbo.MV_APLICACION.TC = N'FC' OR "
     "dbo.MV_APLICACION.TC = N'TKFC' OR dbo.MV_APLICACION.TC = N'TK')  GROUP BY "
     "dbo.V_MV_Stock.TC,dbo.V_MV_Stock.IDCOMPROBANTE,dbo.V_MV_Stock.IDCOMPLEMENTO,dbo.V_MV_Stock.FECHA,"
     "dbo.V_MV_Stock.CUENTAPROVEEDOR ORDER BY dbo.V_MV_Stock.FECHA DESC,dbo.V_MV_Stock.IDCOMPROBANTE,"
     "dbo.V_MV_Stock.IDCOMPLEMENTO",
     "IX_V_MV_STOCK_VIAJE"},
    // the vouchers made from a voucher
    {"SELECT * FROM V_MV_CPTE  with(nolock)  WHERE TCORIGEN = 'RM  ' AND COMPROBANTEORIGEN = '000100000001A'",
     "IX_V_MV_CPTE_ORIGEN"},
    // a voucher's line quantity and applied quantity of an article
    {"SELECT * FROM VT_V_MV_CPTEINSUMOS_CONS2  with(nolock)  WHERE (TC = 'FC') AND IDCOMPROBANTE = '000100000001A' "
     "AND IDARTICULO = '                     1001'",
     "IX_V_MV_CPTEINSUMOS_KEY"},
    {"SELECT * FROM VT_V_MV_CPTEINSUMOS_CONS2  with(nolock)  WHERE (TC = 'FC') AND IDCOMPROBANTE = '000100000001A' "
     "AND IDARTICULO = 'P-7'",
     "IX_V_MV_CPTEINSUMOS_KEY"},
    {"SELECT CantidadAplicada FROM VT_V_MV_INSUMOS_APLICACION WHERE (TCO_ORIGEN = 'RM' or TCO_ORIGEN = 'NP') AND "
     "IDCOMPROBANTEORIGEN = '000100000001A' AND IDARTICULO = '                     1001'",
     "IX_MV_APLICACION_IDORIGEN"},
};

void ejecuta(const QString& archivo, const char* const* sentencias, size_t n)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(QFile::encodeName(archivo).constData(), &db), SQLITE_OK);
    ado::RegisterSqliteExtensions(db);
    for (size_t i = 0; i < n; ++i) {
        char* error = nullptr;
        EXPECT_EQ(sqlite3_exec(db, sentencias[i], nullptr, nullptr, &error), SQLITE_OK)
            << (error ? error : "") << " in " << sentencias[i];
        sqlite3_free(error);
    }
    sqlite3_close(db);
}

// Every row of a statement run through the engine, each as "a|b|...", in
// order of their text (a statement without ORDER BY gives them in any order).
QStringList filas(const std::shared_ptr<ado::Connection>& cnn, const QString& sql)
{
    auto rs = std::make_shared<ado::Recordset>();
    QStringList out;
    try {
        rs->Open(sql, cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    } catch (const legacy::VbError& e) {
        ADD_FAILURE() << e.Description.toStdString();
        return out;
    }
    for (; !rs->Eof(); rs->MoveNext()) {
        QStringList fila;
        for (int c = 0; c < rs->Fields().Count(); ++c) {
            const legacy::Variant v = rs->Fields(c).Value();
            fila << (v.IsNull() ? QStringLiteral("NULL") : v.toString());
        }
        out << fila.join(u'|');
    }
    out.sort();
    return out;
}

QString plan(const QString& archivo, const QString& sql)
{
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(archivo).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    ado::RegisterSqliteExtensions(db);
    const QByteArray texto = ("EXPLAIN QUERY PLAN " + ado::sql::rewriteForSqlite(sql).sql).toUtf8();
    sqlite3_stmt* st = nullptr;
    QString out;
    if (sqlite3_prepare_v2(db, texto.constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            out += QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 3))) + u'\n';
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

TEST(Indices, KeyedStatementsGiveTheSameRowsThroughTheirIndex)
{
    testdb::TempFolder carpeta;
    const QString con = testdb::createDatabase(carpeta.path(), "INDICES", false);
    ejecuta(con, kFilas, std::size(kFilas));
    const QString sin = carpeta.file("SIN.sqlite");
    ASSERT_TRUE(QFile::copy(con, sin));
    ejecuta(sin, kSinIndices, std::size(kSinIndices));

    auto cnnCon = std::make_shared<ado::Connection>();
    auto cnnSin = std::make_shared<ado::Connection>();
    cnnCon->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + con);
    cnnSin->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + sin);
    for (const Sentencia& s : kSentencias) {
        SCOPED_TRACE(s.sql);
        const QStringList antes = filas(cnnSin, s.sql);
        EXPECT_FALSE(antes.isEmpty());
        EXPECT_EQ(filas(cnnCon, s.sql).join(u'\n').toStdString(), antes.join(u'\n').toStdString());
        const QString p = plan(con, s.sql);
        EXPECT_TRUE(p.contains(QLatin1String(s.indice))) << p.toStdString();
        EXPECT_FALSE(p.contains(QLatin1String("SCAN"))) << p.toStdString();
    }
}

TEST(Indices, StatementsNameTheirEngineInALeadingCommentLine)
{
    using mkdb::Engine;
    const struct {
        const char* texto;
        Engine motor;
    } casos[] = {
        {"CREATE INDEX I ON T (A);", Engine::Both},
        {"-- engine: embedded\nCREATE INDEX I ON T (LTRIM(A));", Engine::Embedded},
        {"\n-- The trimmed code.\n--ENGINE:  Server \r\nALTER TABLE T ADD B AS LTRIM(A);", Engine::Server},
        {"/* note */ -- engine: server\nALTER TABLE T ADD B AS A;", Engine::Server},
        {"-- engine: embedded only\nCREATE INDEX I ON T (A);", Engine::Both},
        {"CREATE INDEX I ON T (A); -- engine: server", Engine::Both},
    };
    for (const auto& c : casos)
        EXPECT_EQ(mkdb::statementEngine(QByteArrayView(c.texto)), c.motor) << c.texto;

    // The embedded database takes its own statements and skips the server's,
    // which its engine could not even read.
    testdb::TempFolder carpeta;
    const QString sql = carpeta.file("t.sql"), out = carpeta.file("T.sqlite");
    QFile f(sql);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("CREATE TABLE T (A VARCHAR(5) COLLATE SRVTEXT);\n"
            "-- engine: server\nALTER TABLE T ADD B AS LTRIM(RTRIM(A));\n"
            "-- engine: embedded\nCREATE INDEX I ON T (LTRIM(RTRIM(A)) COLLATE SRVTEXT);\n"
            "INSERT INTO T VALUES (' x ');\n");
    f.close();
    QString error;
    ASSERT_TRUE(mkdb::createDatabase(out, {sql}, false, &error)) << error.toStdString();
    auto cnn = std::make_shared<ado::Connection>();
    cnn->Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + out);
    EXPECT_EQ(filas(cnn, "SELECT * FROM T WHERE LTRIM(RTRIM(A)) = 'X'"), QStringList{" x "});
    EXPECT_TRUE(plan(out, "SELECT * FROM T WHERE LTRIM(RTRIM(A)) = 'X'").contains("USING INDEX I"));
}

}  // namespace
