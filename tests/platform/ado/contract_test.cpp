// The behaviour every engine must show, written once and run on the embedded
// engine and on ODBC (through the SQLite ODBC driver).
#include "ado_test_util.h"
#include "support/servidor.h"

#include <gtest/gtest.h>

using namespace adotest;
using legacy::Variant;

namespace {

QString schema(bool collation) {
    const QString c = collation ? QStringLiteral(" COLLATE ") + ado::kTextCollation : QString();
    return QStringLiteral(
               "CREATE TABLE Articulos (Codigo VARCHAR(10)%1 NOT NULL PRIMARY KEY, Descripcion VARCHAR(40)%1, "
               "Precio DECIMAL(18,4), Activo BIT, Alta DATETIME, Cantidad INT, Peso FLOAT);"
               "CREATE TABLE Lineas (Id INTEGER PRIMARY KEY, Codigo VARCHAR(10)%1 REFERENCES Articulos(Codigo), Cantidad INT);"
               "INSERT INTO Articulos VALUES ('A1', 'Tornillo', 1234.5678, 1, '2024-01-31 10:30:00', 10, 0.5);"
               "INSERT INTO Articulos VALUES ('A2', 'Tuerca', 0.1, 0, '2023-12-01 00:00:00', 20, NULL);"
               "INSERT INTO Articulos VALUES ('A3', NULL, NULL, NULL, NULL, NULL, NULL);"
               "INSERT INTO Lineas VALUES (1, 'A1', 5);"
               "INSERT INTO Lineas VALUES (2, 'A1', 6);"
               "INSERT INTO Lineas VALUES (3, 'A2', 7);")
        .arg(c);
}

class Contract : public ::testing::TestWithParam<EngineKind> {
protected:
    void SetUp() override {
        if (GetParam() == EngineKind::SqlServer) {
            const auto servidor = testdb::servidorDePrueba();
            if (!servidor) GTEST_SKIP() << testdb::sinServidor().toStdString();
            cs = testdb::cadenaConexion(*servidor);
            cnn = testdb::conectaServidor(*servidor);
            for (const char* t : {"Lineas", "Articulos"})
                cnn->Execute(QStringLiteral("IF OBJECT_ID('%1') IS NOT NULL DROP TABLE %1").arg(QString::fromLatin1(t)));
            for (const QString& s : schema(false).split(u';', Qt::SkipEmptyParts)) cnn->Execute(s);
            return;
        }
        const bool embedded = GetParam() == EngineKind::Embedded;
        createDatabase(folder.file(QStringLiteral("PRUEBA.sqlite")), schema(embedded), embedded);
        cs = embedded ? QStringLiteral("PROVIDER=SQLOLEDB;Server=(sqlite);Database =PRUEBA;UId=PRUEBA;Pwd=PRUEBA;Connect Timeout=5;")
                      : QStringLiteral("Driver=%1;Database=%2;FKSupport=1")
                            .arg(sqliteOdbcDriver(), folder.file(QStringLiteral("PRUEBA.sqlite")));
        cnn = std::make_shared<ado::Connection>();
        cnn->Open(cs);
    }

    int count(const QString& sql) {
        auto rs = std::make_shared<ado::Recordset>();
        rs->Open(sql, cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
        return rs->Fields(0).Value().toLong();
    }

    ProgramFolder folder;
    QString cs;
    ado::ConnectionPtr cnn;
};

TEST_P(Contract, OpensClosesAndKeepsTheStringAsGiven) {
    EXPECT_EQ(cnn->State(), ado::adStateOpen);
    EXPECT_EQ(cnn->ConnectionString(), cs);
    EXPECT_EQ(cnn->Errors().Count(), 0);
    EXPECT_EQ(errorOf([&] { cnn->Open(cs); }).Number, ado::adErrObjectOpen);
    cnn->Close();
    EXPECT_EQ(cnn->State(), ado::adStateClosed);
    EXPECT_EQ(errorOf([&] { cnn->Close(); }).Number, ado::adErrObjectClosed);
    EXPECT_EQ(errorOf([&] { cnn->Execute(QStringLiteral("SELECT 1")); }).Number, ado::adErrInvalidConnection);
    auto rs = std::make_shared<ado::Recordset>();
    EXPECT_EQ(errorOf([&] { rs->Open(QStringLiteral("SELECT 1"), cnn); }).Number, ado::adErrInvalidConnection);
    cnn->Open();  // again, with the string it keeps
    EXPECT_EQ(cnn->State(), ado::adStateOpen);
}

TEST_P(Contract, BatchRunsEveryStatementAndSumsTheRowsAffected) {
    int affected = -1;
    cnn->Execute(QStringLiteral("UPDATE Articulos SET Cantidad = 1 WHERE Codigo IN ('A1','A2')\r"
                                "UPDATE Lineas SET Cantidad = 0\r\n"
                                "DELETE FROM Lineas WHERE Id = 3;\n"
                                "SELECT Codigo FROM Articulos"),
                 affected, -1);
    EXPECT_EQ(affected, 2 + 3 + 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT SUM(Cantidad) FROM Articulos")), 2);
}

TEST_P(Contract, ExecuteReturnsTheLastRowsProduced) {
    auto rs = cnn->Execute(QStringLiteral("SELECT Codigo FROM Articulos WHERE Codigo = 'A1'\rSELECT Id FROM Lineas WHERE Id > 1 ORDER BY Id"));
    ASSERT_EQ(rs->State(), ado::adStateOpen);
    EXPECT_EQ(rs->Fields(0).Name(), QStringLiteral("Id"));
    EXPECT_EQ(rs->RecordCount(), 2);
    auto none = cnn->Execute(QStringLiteral("UPDATE Lineas SET Cantidad = 1 WHERE Id = 99"));
    EXPECT_EQ(none->State(), ado::adStateClosed);
}

TEST_P(Contract, TransactionBatchIsAllOrNothing) {
    int affected = -1;
    const auto e = errorOf([&] {
        cnn->Execute(QStringLiteral("BEGIN TRANSACTION\r"
                                    "DELETE FROM Lineas WHERE Codigo = 'A1'\r"
                                    "INSERT INTO Articulos (Codigo) VALUES ('A2')\r"
                                    "DELETE FROM Lineas\r"
                                    "COMMIT TRANSACTION"),
                     affected, -1);
    });
    EXPECT_EQ(e.Number, ado::kErrIntegrity);
    ASSERT_GE(cnn->Errors().Count(), 1);
    EXPECT_EQ(cnn->Errors()(0).NativeError, ado::kNativeDuplicateKey);
    EXPECT_EQ(cnn->Errors()(0).Number, e.Number);
    EXPECT_EQ(cnn->Errors()(0).Description, e.Description);
    // nothing of the batch stayed, and the connection works on
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 3);
    EXPECT_EQ(cnn->Errors().Count(), 0);
    cnn->Execute(QStringLiteral("BEGIN TRANSACTION\rDELETE FROM Lineas WHERE Id = 1\rCOMMIT TRANSACTION"), affected, -1);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 2);
}

TEST_P(Contract, BatchWithoutTransactionStopsAtTheFirstError) {
    EXPECT_NE(errorOf([&] {
                  cnn->Execute(QStringLiteral("DELETE FROM Lineas WHERE Id = 1\rDELETE FROM NoExiste\rDELETE FROM Lineas WHERE Id = 2"));
              }).Number,
              0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 2);  // the first ran, the last did not
}

TEST_P(Contract, ErrorListHoldsOnlyTheLastCallsErrors) {
    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("SELECT * FROM NoExiste")); }).Number, 0);
    EXPECT_EQ(cnn->Errors().Count(), 1);
    cnn->Execute(QStringLiteral("SELECT 1"));
    EXPECT_EQ(cnn->Errors().Count(), 0);

    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("SELECT * FROM NoExiste")); }).Number, 0);
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT * FROM Articulos"), cnn);
    EXPECT_EQ(cnn->Errors().Count(), 0);

    EXPECT_NE(errorOf([&] { cnn->Execute(QStringLiteral("SELECT * FROM NoExiste")); }).Number, 0);
    cnn->Errors().Clear();
    EXPECT_EQ(cnn->Errors().Count(), 0);
    EXPECT_EQ(errorOf([&] { cnn->Errors().Item(0); }).Number, ado::adErrItemNotFound);
}

TEST_P(Contract, ErrorNumbersFollowTheMappingTable) {
    struct Case { const char* sql; int number; int native; };
    const Case cases[] = {
        {"SELECT * FROM NoExiste", ado::kErrNoSuchObject, 0},
        {"SELECT NoExiste FROM Articulos", ado::kErrNoSuchObject, 0},
        {"SELEC * FROM Articulos", ado::kErrSyntax, 0},
        {"INSERT INTO Articulos (Codigo) VALUES ('A1')", ado::kErrIntegrity, ado::kNativeDuplicateKey},
        {"INSERT INTO Lineas (Id, Codigo) VALUES (9, 'ZZ')", ado::kErrIntegrity, ado::kNativeReference},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sql);
        const auto e = errorOf([&] { cnn->Execute(QString::fromUtf8(c.sql)); });
        EXPECT_EQ(e.Number, c.number);
        ASSERT_EQ(cnn->Errors().Count(), 1);
        EXPECT_EQ(cnn->Errors()(0).Number, c.number);
        if (c.native) {
            EXPECT_EQ(cnn->Errors()(0).NativeError, c.native);
        }
        EXPECT_FALSE(cnn->Errors()(0).Description.isEmpty());
        EXPECT_EQ(cnn->Errors()(0).SQLState.size(), 5);
    }
}

TEST_P(Contract, NavigationKeepsBofAndEof) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT Id FROM Lineas WHERE Id = 99"), cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    EXPECT_TRUE(rs->Bof());
    EXPECT_TRUE(rs->Eof());
    EXPECT_EQ(rs->RecordCount(), 0);
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }).Number, ado::adErrNoCurrentRecord);
    EXPECT_EQ(errorOf([&] { rs->Fields(0).Value(); }).Number, ado::adErrNoCurrentRecord);
    rs->Close();
    EXPECT_EQ(rs->State(), ado::adStateClosed);
    EXPECT_EQ(errorOf([&] { rs->Close(); }).Number, ado::adErrObjectClosed);

    rs->Open(QStringLiteral("SELECT Id, Cantidad FROM Lineas ORDER BY Id"), cnn, ado::adOpenStatic, ado::adLockReadOnly);
    EXPECT_FALSE(rs->Bof());
    EXPECT_EQ(rs->RecordCount(), 3);
    QList<int> seen;
    while (!rs->Eof()) {
        seen << rs->Fields(QStringLiteral("id")).Value().toLong();
        rs->MoveNext();
    }
    EXPECT_EQ(seen, (QList<int>{1, 2, 3}));
    EXPECT_EQ(errorOf([&] { rs->MoveNext(); }).Number, ado::adErrNoCurrentRecord);
    rs->MoveLast();
    EXPECT_EQ(rs->Fields(0).Value().toLong(), 3);
    rs->MovePrevious();
    rs->MovePrevious();
    rs->MovePrevious();
    EXPECT_TRUE(rs->Bof());
    EXPECT_EQ(errorOf([&] { rs->MovePrevious(); }).Number, ado::adErrNoCurrentRecord);
    rs->MoveFirst();
    const auto rows = rs->GetRows();
    ASSERT_EQ(rows.size(), 2);  // [field][row]
    EXPECT_EQ(rows[0].size(), 3);
    EXPECT_EQ(rows[1][2].toLong(), 7);
    EXPECT_TRUE(rs->Eof());
}

TEST_P(Contract, FieldsByPositionAndByNameWithoutRegardToCase) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT Codigo, Descripcion, Codigo AS CODIGO FROM Articulos WHERE Codigo = 'A2'"), cnn);
    EXPECT_EQ(rs->Fields().Count(), 3);
    EXPECT_EQ(rs->Fields(1).Name(), QStringLiteral("Descripcion"));
    EXPECT_EQ(rs->Fields("DESCRIPCION").Value().toString(), QStringLiteral("Tuerca"));
    EXPECT_EQ(rs->Fields(Variant("codigo")).index(), 0);  // the first of two equal names
    EXPECT_EQ(rs->Fields(Variant(1)).Name(), QStringLiteral("Descripcion"));
    EXPECT_EQ(errorOf([&] { rs->Fields("Nada"); }).Number, ado::adErrItemNotFound);
    EXPECT_EQ(errorOf([&] { rs->Fields(3); }).Number, ado::adErrItemNotFound);
    const Variant v = rs->Fields("Descripcion");
    EXPECT_EQ(v.toString(), QStringLiteral("Tuerca"));
}

TEST_P(Contract, TypesAndNullComeBackAsTheProgramReadsThem) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT Codigo, Descripcion, Precio, Activo, Alta, Cantidad, Peso FROM Articulos ORDER BY Codigo"), cnn);
    // A1
    EXPECT_EQ(rs->Fields("Codigo").Value().VarType(), legacy::vbString);
    EXPECT_EQ(rs->Fields("Codigo").Type(), ado::adVarChar);
    EXPECT_EQ(rs->Fields("Codigo").DefinedSize(), 10);
    const Variant precio = rs->Fields("Precio").Value();
    EXPECT_EQ(precio.VarType(), legacy::vbDecimal);
    EXPECT_EQ(precio.toDecimal().toString(), QStringLiteral("1234.5678"));
    EXPECT_EQ(rs->Fields("Precio").Type(), ado::adNumeric);
    EXPECT_EQ(rs->Fields("Activo").Value().VarType(), legacy::vbBoolean);
    EXPECT_TRUE(rs->Fields("Activo").Value().toBool());
    EXPECT_EQ(rs->Fields("Activo").Type(), ado::adBoolean);
    const Variant alta = rs->Fields("Alta").Value();
    ASSERT_EQ(alta.VarType(), legacy::vbDate);
    EXPECT_EQ(alta.toDate().toDateTime(), QDateTime(QDate(2024, 1, 31), QTime(10, 30)));
    EXPECT_EQ(rs->Fields("Cantidad").Value().toLong(), 10);
    EXPECT_EQ(rs->Fields("Cantidad").Type(), ado::adInteger);
    EXPECT_DOUBLE_EQ(rs->Fields("Peso").Value().toDouble(), 0.5);
    rs->MoveNext();
    // A2: 0.1 stays 0.1 exactly, false stays Boolean
    EXPECT_EQ(rs->Fields("Precio").Value().toDecimal().toString(), QStringLiteral("0.1"));
    EXPECT_EQ(rs->Fields("Activo").Value().VarType(), legacy::vbBoolean);
    EXPECT_FALSE(rs->Fields("Activo").Value().toBool());
    EXPECT_TRUE(rs->Fields("Peso").Value().IsNull());
    rs->MoveNext();
    // A3: every column Null
    for (int i = 1; i < rs->Fields().Count(); ++i) EXPECT_TRUE(rs->Fields(i).Value().IsNull()) << i;
}

TEST_P(Contract, UpdatableRecordsetWritesChangesBack) { try {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT * FROM Articulos WHERE Codigo = 'A2'"), cnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs->Fields("Descripcion").setValue(QStringLiteral("Arandela"));
    rs->Fields("Cantidad") = 99;
    EXPECT_EQ(rs->EditMode(), ado::adEditInProgress);
    EXPECT_EQ(rs->Fields("Cantidad").Value().toLong(), 99);
    rs->Update();
    EXPECT_EQ(rs->EditMode(), ado::adEditNone);

    rs->AddNew();
    rs->Fields("Codigo") = QStringLiteral("N1");
    rs->Fields("Precio") = legacy::Decimal::parse(u"2.25").value();
    rs->Fields("Activo") = true;
    rs->Fields("Alta") = QStringLiteral("05/03/2024 08:15");
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 2);

    auto check = std::make_shared<ado::Recordset>();
    check->Open(QStringLiteral("SELECT Descripcion, Cantidad FROM Articulos WHERE Codigo = 'A2'"), cnn);
    EXPECT_EQ(check->Fields(0).Value().toString(), QStringLiteral("Arandela"));
    EXPECT_EQ(check->Fields(1).Value().toLong(), 99);
    check->Close();
    check->Open(QStringLiteral("SELECT Precio, Activo, Alta FROM Articulos WHERE Codigo = 'N1'"), cnn);
    ASSERT_FALSE(check->Eof());
    EXPECT_EQ(check->Fields(0).Value().toDecimal().toString(), QStringLiteral("2.25"));
    EXPECT_TRUE(check->Fields(1).Value().toBool());
    EXPECT_EQ(check->Fields(2).Value().toDate().toDateTime(), QDateTime(QDate(2024, 3, 5), QTime(8, 15)));
    check->Close();

    // Delete the current row; CancelUpdate writes nothing
    cnn->Execute(QStringLiteral("DELETE FROM Lineas WHERE Codigo = 'A2'"));
    rs->MoveFirst();
    rs->Delete(ado::adAffectCurrent);
    rs->AddNew();
    rs->Fields("Codigo") = QStringLiteral("N2");
    rs->CancelUpdate();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Articulos WHERE Codigo IN ('A2','N2')")), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Articulos WHERE Codigo = 'N1'")), 1);
} catch (const legacy::VbError& e) { FAIL() << e.Number << " " << e.Description.toStdString(); } }

TEST_P(Contract, ReadOnlyRecordsetRefusesChangesAndPendingEditBlocksClose) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT * FROM Articulos"), cnn, ado::adOpenForwardOnly, ado::adLockReadOnly);
    EXPECT_EQ(errorOf([&] { rs->AddNew(); }).Number, ado::adErrFeatureNotAvailable);
    EXPECT_EQ(errorOf([&] { rs->Fields(1) = QStringLiteral("x"); }).Number, ado::adErrFeatureNotAvailable);
    rs->Close();
    // a joined SELECT cannot be written back either
    rs->Open(QStringLiteral("SELECT a.Codigo FROM Articulos a JOIN Lineas l ON l.Codigo = a.Codigo"), cnn, 1, 3);
    EXPECT_EQ(errorOf([&] { rs->Delete(); }).Number, ado::adErrFeatureNotAvailable);
    rs->Close();
    rs->Open(QStringLiteral("SELECT * FROM Articulos"), cnn, 1, 3);
    rs->AddNew();
    EXPECT_EQ(errorOf([&] { rs->Close(); }).Number, ado::adErrIllegalOperation);
    rs->CancelUpdate();
    rs->Close();
}

TEST_P(Contract, ConnectionTransactions) {
    EXPECT_EQ(cnn->BeginTrans(), 1);
    cnn->Execute(QStringLiteral("DELETE FROM Lineas"));
    cnn->RollbackTrans();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 3);
    cnn->BeginTrans();
    cnn->Execute(QStringLiteral("DELETE FROM Lineas WHERE Id = 3"));
    cnn->CommitTrans();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 2);
}

TEST_P(Contract, SchemaListsTablesAndColumns) {
    auto rs = cnn->OpenSchema(ado::adSchemaTables);
    QStringList tables;
    for (; !rs->Eof(); rs->MoveNext())
        if (rs->Fields("TABLE_TYPE").Value().toString() == u"TABLE") tables << rs->Fields("TABLE_NAME").Value().toString();
    EXPECT_TRUE(tables.contains(QStringLiteral("Articulos")));
    EXPECT_TRUE(tables.contains(QStringLiteral("Lineas")));

    rs = cnn->OpenSchema(ado::adSchemaColumns, {Variant(), Variant(), Variant("Lineas"), Variant()});
    QStringList cols;
    for (; !rs->Eof(); rs->MoveNext()) cols << rs->Fields("COLUMN_NAME").Value().toString();
    EXPECT_EQ(cols, (QStringList{QStringLiteral("Id"), QStringLiteral("Codigo"), QStringLiteral("Cantidad")}));
}

TEST(EngineKinds, PrintTheirNames) { EXPECT_EQ(::testing::PrintToString(EngineKind::SqlServer), "SqlServer"); }

INSTANTIATE_TEST_SUITE_P(Engines, Contract, ::testing::Values(EngineKind::Embedded, EngineKind::Odbc, EngineKind::SqlServer),
                         [](const auto& caso) { return std::string(engineName(caso.param)); });

}  // namespace

namespace {

TEST_P(Contract, DeletingMovesToTheNextRowOnTheNextMoveNext) {
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT * FROM Lineas ORDER BY Id"), cnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs->Delete();
    EXPECT_EQ(errorOf([&] { rs->Fields("Id").Value(); }).Number, ado::adErrNoCurrentRecord);
    rs->MoveNext();
    EXPECT_EQ(rs->Fields("Id").Value().toLong(), 2);
    rs->MoveNext();
    rs->Fields("Cantidad") = 70;
    rs->MoveFirst();  // moving away writes the pending change
    EXPECT_EQ(rs->EditMode(), ado::adEditNone);
    EXPECT_EQ(count(QStringLiteral("SELECT Cantidad FROM Lineas WHERE Id = 3")), 70);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Lineas")), 2);
    EXPECT_EQ(rs->RecordCount(), 2);
    const auto first = rs->GetRows(1);
    EXPECT_EQ(first[0].size(), 1);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    const legacy::Variant held = rs;  // a Variant can hold it
    EXPECT_EQ(held.TypeName(), QStringLiteral("Recordset"));
}

TEST_P(Contract, TableWithoutKeyIsUpdatedByItsValues) {
    cnn->Execute(QStringLiteral("CREATE TABLE SinClave (a INT, b VARCHAR(10), c DATETIME)"));
    cnn->Execute(QStringLiteral("INSERT INTO SinClave (a, b, c) VALUES (1, 'uno', '20240131 00:00:00')\r"
                                "INSERT INTO SinClave (a, b) VALUES (2, NULL)"));
    auto rs = std::make_shared<ado::Recordset>();
    rs->Open(QStringLiteral("SELECT a, b FROM SinClave ORDER BY a"), cnn, ado::adOpenKeyset, ado::adLockOptimistic);
    rs->MoveLast();
    rs->Fields("b") = QStringLiteral("dos");
    rs->Update();
    rs->MoveFirst();
    rs->Delete();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SinClave WHERE b = 'dos'")), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM SinClave")), 1);
}

}  // namespace
