// Next voucher numbers, stock voucher ids, sub-journals and seat numbers.
#include "numbering/entorno_numeracion.h"

#include "platform/legacy/program.h"
#include "platform/legacy/strings.h"

using numtest::EntornoNumeracion;

namespace {

struct Numero {
    QString suc, num, letra;
};

class Numeracion : public EntornoNumeracion {
protected:
    Numero Pide(const QString& tc, bool verificar = true, QString letra = {})
    {
        Numero n{{}, {}, letra};
        bool modifica = false;
        Stock::Obtener_Nro_Comprobante(tc, n.suc, n.num, n.letra, modifica, verificar, {}, {}, false);
        return n;
    }
    void Id(const char* tabla, const char* tc, const char* id)
    {
        Ejecuta(QStringLiteral("INSERT INTO %1 (TC, IDCOMPROBANTE) VALUES ('%2', '%3')").arg(tabla, tc, id));
    }
    void Asiento(const char* tc, const char* numero, const char* letra = "A", int mes = 11, int nro = 1,
                 const QString& tipoReg = "VT  ", const char* tabla = "MV_ASIENTOS")
    {
        Ejecuta(QStringLiteral("INSERT INTO %1 (Cuenta, Mes_Operativo, [Numero Asiento], TC, SUCURSAL, NUMERO, LETRA, "
                               "PERIODO, Tipo_Reg) VALUES ('1.1.01', %2, %3, '%4', '0001', '%5', '%6', 2026, '%7')")
                    .arg(tabla)
                    .arg(mes)
                    .arg(nro)
                    .arg(tc, numero, letra, tipoReg));
    }
};

TEST_F(Numeracion, ProposalMovedPastStoredVouchers)
{
    // Nothing for an empty type; the book's proposal without verification,
    // the same to everybody who asks (nothing is reserved).
    Numero n{"s", "n", "l"};
    bool modifica = true;
    Stock::Obtener_Nro_Comprobante("", n.suc, n.num, n.letra, modifica, true);
    EXPECT_EQ(QStringList({n.suc, n.num, n.letra}), QStringList({"s", "n", "l"}));
    Libro("ZA", 1, "A", "1", "1", "999", "57");
    EXPECT_EQ(Pide("ZA", false).num, "00000057");
    EXPECT_EQ(Pide("ZA", false).num, "00000057");

    // Trips: a stored proposal goes one past the highest of its branch and
    // letter; a free one stands.
    Libro("VJ", 1, "A", "1", "1", "999", "100");
    Id("MV_VIAJES", "VJ  ", "000100000100A");
    Id("MV_VIAJES", "VJ  ", "000100000120A");
    Id("MV_VIAJES", "VJ  ", "000100000130B");
    Id("MV_VIAJES", "VJ  ", "000200000140A");
    EXPECT_EQ(Pide("VJ").num, "00000121");
    Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 90 WHERE CODIGO = 'VJ'");
    EXPECT_EQ(Pide("VJ").num, "00000090");

    // A voucher with a seat: one past the highest seat of the type, branch
    // and letter.
    Libro("ZS", 1, "A", "1", "1", "999", "200");
    Asiento("ZS  ", "00000200");
    Asiento("ZS  ", "00000150");
    Asiento("ZS  ", "00000500", "B");
    EXPECT_EQ(Pide("ZS").num, "00000201");

    // CBFP: the seat-based number, unless a stored voucher is higher.
    Libro("CBFP", 1, "A", "1", "1", "999", "49");
    Asiento("CBFP", "00000049");
    Id("V_MV_CPTE", "CBFP", "000100000050A");
    EXPECT_EQ(Pide("CBFP").num, "00000050");
    Id("V_MV_CPTE", "CBFP", "000100000060A");
    EXPECT_EQ(Pide("CBFP").num, "00000061");

    // Purchase orders: one past the highest stored number below 99999999.
    Libro("OC", 1, "A", "1", "1", "999", "31");
    for (const char* nro : {"00000031", "00000045", "99999999"})
        Ejecuta(QStringLiteral("INSERT INTO C_MV_CPTE (TC, IDCOMPROBANTE, SUCURSAL, NUMERO, LETRA) VALUES ('OC  ', "
                               "'0001%1A', '0001', '%1', 'A')")
                    .arg(nro));
    EXPECT_EQ(Pide("OC").num, "00000046");

    // Sales types keep the proposal; any other type drops the control row
    // that still names it.
    Id("V_MV_CPTE", "FC  ", "000100000301A");
    EXPECT_EQ(Pide("FC", true, "A").num, "00000301");
    Ejecuta("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('CMV ', '0001', '00000007', 'X')");
    Ejecuta("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('CMV ', '0001', '00000006', 'X')");
    n = Pide("CMV");
    EXPECT_EQ(QStringList({n.suc, n.num, n.letra}), QStringList({"0001", "00000007", "X"}));
    EXPECT_EQ(Filas("SELECT NUMERO FROM V_MV_CTROL_CPTE WHERE TC = 'CMV'"), QStringList({"00000006"}));
}

TEST_F(Numeracion, NumberPastTheEightDigitsIsRefused)
{
    Libro("VJ", 1, "A", "1", "1", "100000000", "99999999");
    Id("MV_VIAJES", "VJ  ", "000199999999A");
    dlg().expectMsgBox("Ha ocurrido el Siguiente Error (6)", ui::vbIgnore).title("Obtener_Nro_Comprobante");
    EXPECT_EQ(Pide("VJ").num, "99999999");
}

TEST_F(Numeracion, StockVoucherIds)
{
    // The proposed id taken: one past the highest of the branch and letter.
    Libro("ZI", 1, "X", "1", "1", "999", "0", "X_SUC_DEFAULT = 1, X_NRO_DESDE = 1, X_NRO_HASTA = 999, X_ULTIMO_NRO = 51");
    Id("V_MV_STOCK", "ZI  ", "000100000051X");
    Id("V_MV_STOCK", "ZI  ", "000100000070X");
    Id("V_MV_STOCK", "ZI  ", "000100000090A");
    QString suc, letra;
    EXPECT_EQ(Stock::AsignarNumeroComprobante("ZI", suc, letra).toString(), "000100000071X");
    // Free: the proposal as it is.
    Ejecuta("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 72 WHERE CODIGO = 'ZI'");
    suc.clear();
    EXPECT_EQ(Stock::AsignarNumeroComprobante("ZI", suc, letra).toString(), "000100000072X");
    // A type without books still gets a whole 13-character id.
    suc.clear();
    letra.clear();
    EXPECT_EQ(Stock::AsignarNumeroComprobante("ZY", suc, letra).toString(), "000100000001X");
    EXPECT_EQ(QStringList({suc, letra}), QStringList({"0001", "X"}));
}

TEST_F(Numeracion, UsedUpBookHandsOutNoNumber)
{
    // Every number of book 5 given out: no id and no number, in every
    // program, one box naming the type and the book, nothing written.
    Libro("ZU", 5, "X", "1", "1", "60", "0", "X_SUC_DEFAULT = 1, X_NRO_DESDE = 1, X_NRO_HASTA = 60, X_ULTIMO_NRO = 61");
    Id("V_MV_STOCK", "ZU  ", "000000000000X");
    Ejecuta("INSERT INTO V_MV_CTROL_CPTE (TC, SUCURSAL, NUMERO, LETRA) VALUES ('ZU  ', '0001', '00000007', 'X')");
    const QString aviso = QStringLiteral("Todos los talonarios del comprobante ZU se encuentran utilizados (Nro de "
                                         "Control: 5, letra X), debe dar de alta un nuevo talonario para el "
                                         "comprobante ZU");
    for (const char* programa : {"vordane", "V_MV_STOCK"}) {
        SCOPED_TRACE(programa);
        legacy::App().exeName = QString::fromLatin1(programa);
        dlg().expectMsgBox(aviso).title("Aviso al Operador").style(ui::vbOKOnly + ui::vbExclamation);
        QString suc = "0001", letra = "X";
        EXPECT_EQ(Stock::AsignarNumeroComprobante("ZU", suc, letra).toString(), "");
        // A number the caller already holds is not one of the book's.
        dlg().expectMsgBox(aviso).title("Aviso al Operador");
        Numero n{"0001", "00000007", "X"};
        bool modifica = false;
        Stock::Obtener_Nro_Comprobante("ZU", n.suc, n.num, n.letra, modifica, true);
        EXPECT_EQ(QStringList({n.suc, n.num}), QStringList({"", ""}));
    }
    EXPECT_EQ(Filas("SELECT NUMERO FROM V_MV_CTROL_CPTE WHERE TC = 'ZU'"), QStringList({"00000007"}));
    EXPECT_EQ(Ultimo("ZU", 5, "X"), "61");
}

TEST_F(Numeracion, SubJournalsAndSeatNumbers)
{
    EXPECT_EQ(ast::ObtieneTipoRegCont("FC"), "VT  ");
    EXPECT_EQ(ast::ObtieneTipoRegCont("ZZ"), "    ");
    Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('ZG  ', 'NO  ')");
    EXPECT_EQ(ast::ObtieneTipoRegCont("ZG"), "    ");
    Ejecuta("INSERT INTO MA_SUBDIARIOSCOMPROBANTES (TC, Subdiario) VALUES ('ZH  ', NULL)");
    dlg().expectMsgBox("Ha ocurrido el Siguiente Error (94)", ui::vbAbort).title("ObtieneTipoRegCont$");
    EXPECT_EQ(ast::ObtieneTipoRegCont("ZH"), "");

    // Demo seats of November 2026: ST 13, VT 14 and 15.
    const QString sinSubdiario = legacy::Chr(255) + "RS";
    Asiento("ZS  ", "1", "A", 12, 41, "");
    Asiento("ZS  ", "2", "A", 12, 30, sinSubdiario);
    Asiento("ZS  ", "3", "A", 12, 90, "VT  ");
    const std::tuple<int, const char*, std::int32_t> casos[] = {
        {11, "VT", 16}, {11, " ST ", 14}, {5, "VT", 1}, {12, "", 42}, {12, "V'T", 1}};
    for (const auto& [mes, tipo, esperado] : casos)
        EXPECT_EQ(ast::ValidaTCRegistraciones(mes, 2026, QString(tipo)), esperado) << mes << tipo;
    EXPECT_EQ(ast::ValidaTCRegistraciones(12, "2026"), 42) << "no sub-journal given; read, not reserved";
    // Cost-centre seats: 16 taken there, the number goes past their highest.
    for (int nro : {16, 17, 19})
        Asiento("ZS  ", "4", "A", 11, nro, "VT  ", "MV_ASIENTOSCCOSTO");
    EXPECT_EQ(ast::ValidaTCRegistraciones(11, 2026, "VT"), 20);
    EXPECT_EQ(ast::ValidaTCRegistraciones(11, 2026, "ST"), 14) << "14 is free among the cost-centre seats";
}

}  // namespace
