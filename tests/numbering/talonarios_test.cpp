// Number books: the choice of a book and its proposal, the validation of a
// number against its book, and the recording of a used number.
#include "numbering/entorno_numeracion.h"

#include "platform/ado/connection.h"
#include "platform/legacy/program.h"

using numtest::EntornoNumeracion;

namespace {

struct Propuesta {
    QString suc, num, letra, tope;
    bool modifica = false;
};

class Talonarios : public EntornoNumeracion {
protected:
    Propuesta Elige(const QString& tc, QString suc = {}, QString letra = {}, const QString& fecha = {},
                    const QString& unidad = {}, QString num = {})
    {
        Propuesta p{suc, num, letra, {}};
        ast::Obtener_Nro_Comprobante_Contable(tc, p.suc, p.num, p.letra, p.modifica, fecha, unidad, p.tope);
        return p;
    }
};

TEST_F(Talonarios, ChoiceOfBookAndProposal)
{
    // A type without books.
    Propuesta p = Elige("ZZ");
    EXPECT_EQ(QStringList({p.suc, p.num, p.letra}), QStringList({"1", "1", "X"}));

    // The stored next number, 0 proposing the first one.
    Libro("ZA", 4, "A", "1", "1", "100", "57", "Modificanumeracion = 1");
    p = Elige("ZA", "", "A");
    EXPECT_EQ(QStringList({p.suc, p.num, p.letra, p.tope}), QStringList({"0001", "00000057", "A", "00000100"}));
    EXPECT_TRUE(p.modifica);
    EXPECT_EQ(ast::gTalonario, 4);
    Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 0, Modificanumeracion = 0 WHERE CODIGO = 'ZA  '");
    p = Elige("ZA", "", "A");
    EXPECT_EQ(p.num, "00000001");
    EXPECT_FALSE(p.modifica);

    // Letter X asked from books issuing A and B: A; the type OT keeps X.
    Libro("ZB", 1, "A,B", "1", "1", "100", "5");
    EXPECT_EQ(Elige("ZB", "", "X").letra, "A");
    Libro("OT", 1, "A,B", "1", "1", "100", "5", "X_SUC_DEFAULT = 1, X_NRO_DESDE = 1, X_NRO_HASTA = 50, X_ULTIMO_NRO = 9");
    p = Elige("OT", "0001", "X");
    EXPECT_EQ(QStringList({p.letra, p.num}), QStringList({"X", "00000009"}));

    // "*B": only the books whose letters hold B, letter B.
    Libro("ZC", 1, "A", "1", "1", "100", "5");
    Libro("ZC", 2, "A,B", "1", "1", "100", "5", "B_SUC_DEFAULT = 3, B_NRO_DESDE = 1, B_NRO_HASTA = 90, B_ULTIMO_NRO = 33",
          true);
    p = Elige("ZC", "", "*B");
    EXPECT_EQ(QStringList({p.suc, p.num, p.letra}), QStringList({"0003", "00000033", "B"}));
    EXPECT_EQ(ast::gTalonario, 2);

    // FP at branch 3: the usable book of branch 1 is passed over, and its
    // proposal is what comes back when no book of branch 3 is usable.
    Libro("FP", 1, "A", "1", "1", "100", "40");
    p = Elige("FP", "0003", "A");
    EXPECT_EQ(QStringList({p.suc, p.num}), QStringList({"0001", "00000040"}));
    Libro("FP", 2, "A", "3", "1", "100", "70", {}, true);
    EXPECT_EQ(Elige("FP", "0003", "A").num, "00000070");

    // Books of the business unit before books of any unit; a unit without
    // books of its own walks every book.
    Libro("ZD", 1, "A", "1", "1", "100", "11");
    Libro("ZD", 2, "A", "1", "1", "100", "22", "UNEGOCIO = '   2'", true);
    EXPECT_EQ(Elige("ZD", "", "A", "", "2").num, "00000022");
    EXPECT_EQ(Elige("ZD", "", "A", "", "").num, "00000011");
    Ejecuta("UPDATE V_TA_CPTE SET UNEGOCIO = '   3' WHERE CODIGO = 'ZD  '");
    EXPECT_EQ(Elige("ZD", "", "A", "", "2").num, "00000011");

    // The expiry: no date never rejects; a book expired before the date is
    // passed over (dates compare in date order).
    Libro("ZE", 1, "A", "1", "1", "100", "12", "VenceA = '20240510 00:00:00'");
    Libro("ZE", 2, "A", "1", "1", "100", "80", {}, true);
    EXPECT_EQ(Elige("ZE", "", "A").num, "00000012");
    EXPECT_EQ(Elige("ZE", "", "A", "10/05/2024").num, "00000012");
    EXPECT_EQ(Elige("ZE", "", "A", "01/06/2023").num, "00000012") << "earlier in date, later as day-first text";
    EXPECT_EQ(Elige("ZE", "", "A", "11/05/2024").num, "00000080");
}

TEST_F(Talonarios, UserDefaultsAndUsedUpBooks)
{
    // FC with an empty branch: the user's branch 0002 and letter B.
    Ejecuta("UPDATE TA_USUARIOS SET sucot = '0002', letot = 'B' WHERE NOMBRE = 'DEMO'");
    Libro("FC", 1, "A,B", "1", "1", "100", "5", "B_SUC_DEFAULT = 1, B_NRO_DESDE = 1, B_NRO_HASTA = 99, B_ULTIMO_NRO = 15");
    Libro("FC", 2, "A,B", "2", "1", "100", "5", "B_SUC_DEFAULT = 1, B_NRO_DESDE = 1, B_NRO_HASTA = 99, B_ULTIMO_NRO = 25",
          true);
    Libro("FC", 3, "A,B", "2", "1", "100", "5", "B_SUC_DEFAULT = 2, B_NRO_DESDE = 1, B_NRO_HASTA = 99, B_ULTIMO_NRO = 35",
          true);
    Propuesta p = Elige("FC");
    EXPECT_EQ(QStringList({p.suc, p.num, p.letra}), QStringList({"0002", "00000035", "B"}));
    EXPECT_EQ(ast::gTalonario, 3);
    // A user name holding an apostrophe is looked up safely.
    ModGlobal::gUsuarioLogeado = QStringLiteral("O'Brien");
    EXPECT_EQ(Elige("FC").num, "00000005");

    // Used up: the box names the type and the used-up books, in every
    // program; no branch and no number come back, whatever came in.
    Libro("ZF", 1, "A", "1", "1", "100", "101");
    Libro("ZF", 3, "A", "1", "1", "100", "NULL", {}, true);
    const QString aviso = QStringLiteral("Todos los talonarios del comprobante ZF se encuentran utilizados (Nro de "
                                         "Control: 1, 3, letra A), debe dar de alta un nuevo talonario para el "
                                         "comprobante ZF");
    dlg().expectMsgBox(aviso).title("Aviso al Operador").style(ui::vbOKOnly + ui::vbExclamation);
    p = Elige("ZF", "", "A");
    EXPECT_EQ(QStringList({p.suc, p.num}), QStringList({"", ""}));
    legacy::App().exeName = QStringLiteral("V_MV_STOCK");
    dlg().expectMsgBox(aviso).title("Aviso al Operador");
    p = Elige("ZF", "0001", "A", {}, {}, "00000007");
    EXPECT_EQ(QStringList({p.suc, p.num}), QStringList({"", ""}));
}

TEST_F(Talonarios, ValidationOfLetterAndRange)
{
    Libro("ZV", 7, "A,X", "1", "100", "200", "150",
          "X_SUC_DEFAULT = 1, X_NRO_DESDE = 1, X_NRO_HASTA = 999, X_ULTIMO_NRO = 1, VenceA = '20240510 00:00:00'");
    struct Caso {
        const char *letra, *numero, *fecha;
        bool ok;
        const char *letraSale, *mensaje;
    };
    const QString cierre = QStringLiteral("\r\rVerifique los datos desde la TABLA DE COMPROBANTES y vuelta a Intentarlo");
    const Caso casos[] = {
        {"a", "00000150", "", true, "A", ""},
        {"", "00000150", "", true, "X", ""},
        {" ", "00000150", "", true, "X", ""},
        {"Q", "00000150", "", false, "Q", " La letra Informada no es Valida, la misma debe ser A,B,C,E,R,X,M"},
        {"A,B", "00000150", "", false, "A,B", " La letra Informada no es Valida, la misma debe ser A,B,C,E,R,X,M"},
        {"A_SUC_DEFAULT = 1 OR 1=1 --", "1", "", false, "A_SUC_DEFAULT = 1 OR 1=1 --",
         " La letra Informada no es Valida, la misma debe ser A,B,C,E,R,X,M"},
        {"A", "00000150", "10/05/2024", true, "A", ""},
        {"A", "00000050", "", false, "A",
         "\rEl Nomero de comprobante (50) no respeta el parametro NRO DESDE del comprobante (100) , Nro de Control: 7"},
        {"A", "00000250", "", false, "A",
         "\rEl Nomero de comprobante (250) no respeta el parametro NRO HASTA del comprobante (200) , Nro de Control: 7"},
        {"A", "0", "", false, "A", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::string(c.letra) + " " + c.numero + " " + c.fecha);
        ast::gTalonario = 7;
        QString letra = c.letra, mensaje;
        EXPECT_EQ(Stock::ValidaNumeracionComprobante("ZV", "0001", c.numero, letra, mensaje, c.fecha), c.ok);
        EXPECT_EQ(letra, c.letraSale);
        const QString esperado = QString::fromUtf8(c.mensaje);
        EXPECT_EQ(mensaje, c.ok || esperado.startsWith(u' ') ? esperado : esperado + cierre);
    }
    // Expired the day after: the expiry text, then the closing advice.
    QString letra = "A", mensaje;
    EXPECT_FALSE(Stock::ValidaNumeracionComprobante("ZV", "1", "150", letra, mensaje, "11/05/2024"));
    EXPECT_EQ(mensaje, "El rango de numeracion del comprobante ZV Control nro: 7 se encuenta vencida...! Debe dar de "
                       "alta un nuevo talonario para el comprobante ZV" + cierre);

    // No book under the number found: the book must be configured.
    ast::gTalonario = 9;
    mensaje.clear();
    EXPECT_FALSE(Stock::ValidaNumeracionComprobante("ZW", "1", "5", letra, mensaje, ""));
    EXPECT_EQ(mensaje, "Debe configurar la numeracioN de Comprobantes");

    // Two books covering the number: the later one wins; a book with both
    // bounds 0 that allows changes accepts any number, 0 too.
    Libro("ZV", 8, "A", "1", "100", "300", "150", {}, true);
    EXPECT_TRUE(Stock::ValidaNumeracionComprobante("ZV", "1", "160", letra, mensaje, ""));
    EXPECT_EQ(ast::gTalonario, 8);
    Libro("ZL", 3, "A", "1", "0", "0", "0", "Modificanumeracion = 1");
    ast::gTalonario = 3;
    EXPECT_TRUE(Stock::ValidaNumeracionComprobante("ZL", "1", "0", letra, mensaje, ""));
    EXPECT_EQ(ast::gTalonario, 3);
}

TEST_F(Talonarios, ExternalTypesLettersAndSeats)
{
    Libro("FCC", 1, "A,X", "1", "1", "9", "1", "Externo = 'SI'");
    Libro("RM", 1, "R", "1", "1", "9", "1", "Externo = 'Si'");
    const std::tuple<const char*, const char*, bool> externos[] = {{"FCC", "X", false}, {"FCC", "A", true},
                                                                   {"RM", "R", true}, {"FCC", "r", false}};
    for (const auto& [tc, l, ok] : externos) {
        QString letra = l, mensaje = "antes";
        EXPECT_EQ(Stock::ValidaNumeracionComprobante(tc, "1", "99999", letra, mensaje, ""), ok) << tc << l;
        EXPECT_EQ(mensaje, ok ? "" : "antes");
    }

    // The letter from the VAT conditions; the cut-over of 1 July 2021 by the
    // server's clock.
    legacy::Date ahora = legacy::Date::fromParts(2021, 6, 30, 23, 59, 0);
    ModGlobal::setRelojServidor([&] { return ahora; });
    const std::tuple<const char*, const char*, const char*> letras[] = {
        {"4", "1", "C"}, {"1", "1", "A"}, {"1", "5", "B"}, {"1", "7", "B"}, {"1", "6", "B"}, {"x", "1", "C"}};
    for (const auto& [e, r, l] : letras)
        EXPECT_EQ(Stock::ObtieneLetraComprobante(e, r), l) << e << "/" << r;
    ahora = legacy::Date::fromParts(2021, 7, 1);
    EXPECT_EQ(Stock::ObtieneLetraComprobante("1", "5"), "A");

    // Seats: OC never has one; the description is month and seat number.
    Ejecuta("INSERT INTO MV_ASIENTOS (Cuenta, Mes_Operativo, [Numero Asiento], TC, SUCURSAL, NUMERO, LETRA) VALUES "
            "('1.1.01', 3, 125, 'OC  ', '0001', '00000007', 'A')");
    Ejecuta("INSERT INTO MV_ASIENTOS (Cuenta, Mes_Operativo, [Numero Asiento], TC, SUCURSAL, NUMERO, LETRA) VALUES "
            "('1.1.01', 3, 125, 'ZS  ', '0001', '00000007', 'A')");
    QString d = "sin";
    EXPECT_FALSE(Stock::ExisteAsientoComprobante("oc", "0001", "00000007", "A", d, "", true));
    EXPECT_TRUE(Stock::ExisteAsientoComprobante("ZS", "0001", "00000007", "A", d, "", true));
    EXPECT_EQ(d, "03 - 000125");
    d = "sin";
    EXPECT_FALSE(Stock::ExisteAsientoComprobante("ZS", "0001", "00000007", "A", d, "O'Brien", true));
    EXPECT_EQ(d, "sin");
    // Without the option: read like the callers read, found.
    EXPECT_TRUE(Stock::ExisteAsientoComprobante("ZS", "0001", "00000007", "A", d, "1.1.01"));
}

}  // namespace
