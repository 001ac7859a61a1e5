// The demo vouchers under the deletion batch, run through the data layer as
// the main window sends it: each deletable voucher loses exactly its own
// rows, every other row stays, and the NC and FC release their rows.
#include <gtest/gtest.h>

#include <QMap>

#include "platform/ado/connection.h"
#include "platform/ado/field.h"
#include "platform/legacy/vberror.h"
#include "support/testdb.h"

namespace {

struct Deletable {
    const char* tc;  // padded as the code fill gives it
    const char* suc;
    const char* nro;
    const char* letra;
    int affected;    // rows the batch reports (the 'E' action row included)
    const char* extra;
};

const Deletable kDeletable[] = {
    {"FP  ", "0001", "00000100", "A", 14, ""},
    {"AJP ", "0001", "00000050", "X", 14, ""},
    {"NC  ", "0001", "00000200", "B", 15, "UPDATE V_MV_BONOS_DETALLE SET IDNC=NULL WHERE IDNC = '%1'"},
    {"FC  ", "0001", "00000300", "B", 15, "UPDATE V_MV_MUTUALES SET FACTURA=NULL WHERE FACTURA= '%1'"},
};

// The batch as the deletion window builds it: statements joined by a
// carriage return inside an explicit transaction.
QString batchFor(const Deletable& d) {
    const QString tc = d.tc, id = QString(d.suc) + d.nro + d.letra;
    const QString byId = QStringLiteral(" WHERE TC = '%1' AND IDCOMPROBANTE = '%2' AND IdComplemento = 0").arg(tc, id);
    const QString bySplit = QStringLiteral(" WHERE TC = '%1' AND SUCURSAL = '%2' AND NUMERO = '%3' AND LETRA = '%4'")
                                .arg(tc, d.suc, d.nro, d.letra);
    QStringList s;
    s << "BEGIN TRANSACTION"
      << "DELETE V_MV_STOCK" + byId << "DELETE V_MV_CPTEINSUMOS" + byId << "DELETE V_MV_CPTETAREAS" + byId
      << "DELETE V_MV_CPTE_OBSERV" + byId + " AND TIPO_OBS = 'OC'" << "DELETE V_MV_CPTE" + byId
      << QStringLiteral("DELETE MV_APLICACION WHERE TCO_ORIGEN = '%1' AND SUCURSAL_ORIGEN = '%2' AND "
                        "NUMERO_ORIGEN = '%3' AND LETRA_ORIGEN = '%4'").arg(tc, d.suc, d.nro, d.letra)
      << "DELETE MV_APLICACION" + bySplit << "DELETE MV_ASIENTOS" + bySplit << "DELETE V_MV_CTROL_CPTE" + bySplit
      << QStringLiteral("DELETE V_MV_RESERVAS WHERE TC = '%1' AND IDCOMPROBANTE='%2'").arg(tc, id);
    if (*d.extra) s << QString(d.extra).arg(id);
    s << QStringLiteral(" INSERT INTO V_MV_CPTEACCIONES (TC,IdComprobante,IdComplemento,Tipo_accion,FECHAHORA,"
                        "Usuario,PC,SYSTEMUSER,Proceso,ProcesoLote,Cuenta) VALUES ('%1','%2',0,'E',"
                        "'09/12/26 10:30','DEMO','PC1','vordane','vordane ','','')").arg(tc, id)
      << "COMMIT TRANSACTION";
    return s.join(QLatin1Char('\r'));
}

const char* const kTables[] = {
    "V_MV_STOCK", "V_MV_CPTEINSUMOS", "V_MV_CPTETAREAS", "V_MV_CPTE_OBSERV", "V_MV_CPTE", "MV_APLICACION",
    "MV_ASIENTOS", "V_MV_CTROL_CPTE", "V_MV_RESERVAS", "C_MV_CPTE", "C_MV_CPTEINSUMOS", "V_MV_CPTEACCIONES"};

int scalar(ado::Connection& cnn, const QString& sql) {
    auto rs = cnn.Execute(sql);
    return rs->Fields(0).Value().toLong();
}

QMap<QString, int> tableCounts(ado::Connection& cnn) {
    QMap<QString, int> counts;
    for (const char* t : kTables) counts[t] = scalar(cnn, QStringLiteral("SELECT COUNT(*) AS N FROM %1").arg(t));
    return counts;
}

TEST(DemoBatch, EachDeletableVoucherLosesExactlyItsRows) {
    for (const auto& d : kDeletable) {
        SCOPED_TRACE(d.tc);
        testdb::TempFolder folder;
        const QString path = testdb::createDatabase(folder.path(), "DEMO", true);
        ado::Connection cnn;
        try {
            cnn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
            const auto before = tableCounts(cnn);
            int affected = -1;
            cnn.Execute(batchFor(d), &affected, -1);
            EXPECT_EQ(cnn.Errors().Count(), 0);
            EXPECT_EQ(affected, d.affected);
            const auto after = tableCounts(cnn);
            // What went: the voucher's own rows; what came: the 'E' row.
            int removed = 0;
            for (const char* t : kTables) removed += before[t] - after[t];
            EXPECT_EQ(removed, d.affected - (*d.extra ? 1 : 0) - 2);
            EXPECT_EQ(after["C_MV_CPTE"], before["C_MV_CPTE"]);
            const QString id = QString(d.suc) + d.nro + d.letra;
            // The voucher's plain note stays; its other-concept line went.
            EXPECT_EQ(scalar(cnn, QStringLiteral("SELECT COUNT(*) AS N FROM V_MV_CPTE_OBSERV WHERE TC = '%1' "
                                                 "AND IDCOMPROBANTE = '%2'").arg(d.tc, id)), 1);
            EXPECT_EQ(scalar(cnn, QStringLiteral("SELECT COUNT(*) AS N FROM V_MV_CPTEACCIONES WHERE TC = '%1' AND "
                                                 "IdComprobante = '%2' AND Tipo_accion = 'E' AND "
                                                 "FECHAHORA = '20261209 10:30:00'").arg(d.tc, id)), 1);
            // Released rows stay, their link cleared; the other ones keep theirs.
            EXPECT_EQ(scalar(cnn, "SELECT COUNT(*) AS N FROM V_MV_BONOS_DETALLE WHERE IDNC IS NULL"),
                      QString(d.tc).trimmed() == "NC" ? 1 : 0);
            EXPECT_EQ(scalar(cnn, "SELECT COUNT(*) AS N FROM V_MV_MUTUALES WHERE FACTURA IS NULL"),
                      QString(d.tc).trimmed() == "FC" ? 1 : 0);
            EXPECT_EQ(scalar(cnn, "SELECT COUNT(*) AS N FROM V_MV_BONOS_DETALLE"), 2);
            EXPECT_EQ(scalar(cnn, "SELECT COUNT(*) AS N FROM V_MV_MUTUALES"), 2);
            cnn.Close();
        } catch (const legacy::VbError& e) {
            ADD_FAILURE() << e.Number << " " << e.Description.toStdString();
        }
    }
}

// The voucher row as the deletion window reads it: the annulled flag comes
// back as a Boolean, the date as a date and the amount as money, because
// the schema declares the server's types.
TEST(DemoBatch, VoucherRowReadsWithServerTypes) {
    testdb::TempFolder folder;
    const QString path = testdb::createDatabase(folder.path(), "DEMO", true);
    ado::Connection cnn;
    try {
        cnn.Open("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path);
        auto rs = cnn.Execute("SELECT TOP 1 * FROM V_MV_CPTE WHERE TC = 'FP  ' AND IDCOMPROBANTE = '000100000100A'");
        ASSERT_FALSE(rs->Eof());
        EXPECT_EQ(rs->Fields("anulada").Type(), ado::adBoolean);
        EXPECT_EQ(rs->Fields("anulada").Value().VarType(), legacy::vbBoolean);
        EXPECT_TRUE(rs->Fields("anulada").Value().toBool());
        EXPECT_EQ(rs->Fields("FECHA").Value().VarType(), legacy::vbDate);
        EXPECT_EQ(rs->Fields("Importe").Value().VarType(), legacy::vbCurrency);
        EXPECT_EQ(rs->Fields("TC").Value().toString(), "FP  ");
        // The live one of the same type and branch reads as not annulled.
        rs = cnn.Execute("SELECT TOP 1 * FROM V_MV_CPTE WHERE TC = 'FP' AND IDCOMPROBANTE = '000100000101A'");
        ASSERT_FALSE(rs->Eof());
        EXPECT_FALSE(rs->Fields("ANULADA").Value().toBool());
    } catch (const legacy::VbError& e) {
        ADD_FAILURE() << e.Number << " " << e.Description.toStdString();
    }
}

}  // namespace
