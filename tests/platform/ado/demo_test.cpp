// The layer on the real embedded schema and demo rows: the voucher read and
// the deletion batch exactly as the deletion window sends them.
#include "ado_test_util.h"
#include "support/testdb.h"

#include <gtest/gtest.h>

using namespace adotest;

namespace {

class OnDemoData : public ::testing::Test {
protected:
    void SetUp() override {
        testdb::createDatabase(folder.path(), QStringLiteral("DEMO"), true);
        cnn->Open(QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database =DEMO;UId=DEMO;Pwd=DEMO;Connect Timeout=5;"));
    }
    int count(const QString& sql) { return cnn->Execute(sql)->Fields(0).Value().toLong(); }

    ProgramFolder folder;
    ado::ConnectionPtr cnn = std::make_shared<ado::Connection>();
};

QString deletionBatch(const QString& tc, const QString& suc, const QString& nro, const QString& letra) {
    const QString id = suc + nro + letra;
    const QString c2 = QStringLiteral(" WHERE TC = '%1' AND IDCOMPROBANTE = '%2' AND IdComplemento = 0").arg(tc, id);
    const QString c8 = QStringLiteral(" WHERE TC = '%1' AND SUCURSAL = '%2' AND NUMERO = '%3' AND LETRA = '%4'").arg(tc, suc, nro, letra);
    QStringList s = {
        QStringLiteral("BEGIN TRANSACTION"),
        QStringLiteral("DELETE V_MV_STOCK") + c2,
        QStringLiteral("DELETE V_MV_CPTEINSUMOS") + c2,
        QStringLiteral("DELETE V_MV_CPTETAREAS") + c2,
        QStringLiteral("DELETE V_MV_CPTE_OBSERV") + c2 + QStringLiteral(" AND TIPO_OBS = 'OC'"),
        QStringLiteral("DELETE V_MV_CPTE") + c2,
        QStringLiteral("DELETE MV_APLICACION WHERE TCO_ORIGEN = '%1' AND SUCURSAL_ORIGEN = '%2' AND NUMERO_ORIGEN = '%3' AND LETRA_ORIGEN = '%4'")
            .arg(tc, suc, nro, letra),
        QStringLiteral("DELETE MV_APLICACION") + c8,
        QStringLiteral("DELETE MV_ASIENTOS") + c8,
        QStringLiteral("DELETE V_MV_CTROL_CPTE") + c8,
        QStringLiteral("DELETE V_MV_RESERVAS WHERE TC = '%1' AND IDCOMPROBANTE='%2'").arg(tc, id),
        QStringLiteral("UPDATE V_MV_BONOS_DETALLE SET IDNC=NULL WHERE IDNC = '%1'").arg(id),
        QStringLiteral("INSERT INTO V_MV_CPTEACCIONES (TC, IdComprobante, IdComplemento, Tipo_accion, FECHAHORA, Usuario) "
                       "VALUES ('%1', '%2', 0, 'E', '09/12/26 04:50', 'DEMO')").arg(tc, id),
    };
    return s.join(QLatin1Char('\r')) + QStringLiteral("\rCOMMIT TRANSACTION");
}

TEST_F(OnDemoData, VoucherReadAndDeletionBatch) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT TOP 1 * FROM V_MV_CPTE WHERE TC = 'NC  ' AND IDCOMPROBANTE = '000100000200B'"), cnn,
             ado::adOpenForwardOnly, ado::adLockReadOnly, -1);
    ASSERT_FALSE(rs->Bof());
    EXPECT_EQ(rs->Fields("anulada").Value().VarType(), legacy::vbBoolean);
    EXPECT_TRUE(rs->Fields("anulada").Value().toBool());
    rs->Close();

    const int before = count(QStringLiteral("SELECT COUNT(*) FROM V_MV_STOCK WHERE TC = 'NC' AND IDCOMPROBANTE = '000100000200B'"));
    ASSERT_GT(before, 0);
    int affected = 0;
    cnn->Execute(deletionBatch(QStringLiteral("NC  "), QStringLiteral("0001"), QStringLiteral("00000200"), QStringLiteral("B")),
                 affected, -1);
    EXPECT_EQ(cnn->Errors().Count(), 0);
    EXPECT_GT(affected, before);
    for (const char* table : {"V_MV_STOCK", "V_MV_CPTEINSUMOS", "V_MV_CPTE", "V_MV_RESERVAS"})
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE TC = 'NC' AND IDCOMPROBANTE = '000100000200B'")
                            .arg(QLatin1String(table))),
                  0)
            << table;
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM V_MV_BONOS_DETALLE WHERE IDNC = '000100000200B'")), 0);
    const legacy::Variant when = cnn->Execute(QStringLiteral(
        "SELECT FECHAHORA FROM V_MV_CPTEACCIONES WHERE Tipo_accion = 'E' AND IdComprobante = '000100000200B'"))
                                     ->Fields(0)
                                     .Value();
    ASSERT_EQ(when.VarType(), legacy::vbDate);
    EXPECT_EQ(when.toDate().toDateTime(), QDateTime(QDate(2026, 12, 9), QTime(4, 50)));
}

}  // namespace
