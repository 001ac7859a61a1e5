// Rows the writers book under another type because of a voucher: the
// consumption voucher of its composites' inputs, its cost-of-goods seat and
// its number-control row under the numbering alias. Each voucher is written
// by the writers (stock writer in both modes), annulled and deleted through
// the window; every table is then as before the write but the action rows
// and the number books' counters.
#include "escritores.h"

#include <functional>

using anulaciontest::Celdas;
using anulaciontest::EntornoEscritores;
using anulaciontest::Foto;

namespace {

class Origenes : public EntornoEscritores {
protected:
    // Every table as before, but what a deletion keeps on purpose.
    static void Iguales(Foto antes, Foto despues)
    {
        for (const char* t : {"V_MV_CPTEACCIONES", "V_TA_CPTE"}) {
            antes.remove(t);
            despues.remove(t);
        }
        for (auto it = antes.begin(); it != antes.end(); ++it)
            EXPECT_EQ(despues.value(it.key()), it.value()) << it.key().toStdString();
    }
};

TEST_F(Origenes, TheRowsBookedBecauseOfTheVoucherGoWithIt)
{
    using Paso = std::function<void(Origenes&, bool colecta)>;
    const struct Caso {
        const char* nombre;
        bool asientos;
        Paso antes;      // other vouchers and settings
        Paso escribe;    // the voucher to delete, live
        const char* tc, *id;
        int registros;
        QStringList escritas, quedan;  // the rows `consulta` gives after the write and after the deletion
        const char* consulta;
    } casos[] = {
        // K = 2 I1 (lots M1 30, M2 40) + 1 I2. FC 2099 of 1 K: I1 M1 -2, I2 -1;
        // FC 2003 of 2 K: I1 M1 -4, I2 -2. Header, line, K -2, two PE rows, 'E'.
        {"invoice of a composite by lot", false,
         [](Origenes& o, bool colecta) {
             o.Existencia("I1", "1", "M1", 30);
             o.Existencia("I1", "1", "M2", 40);
             o.Lineas({{{0, "K"}, {8, "1"}}});
             o.Escribe("FC", "000100002099A", 0, colecta);
         },
         [](Origenes& o, bool colecta) {
             o.Lineas({{{0, "K"}, {8, "2"}}});
             o.Escribe("FC", "000100002003A", 0, colecta);
         },
         "FC", "000100002003A", 6,
         {"I1|1|M1|-6", "I2|1|<null>|-3", "K|1|<null>|-3"},
         {"I1|1|M1|-2", "I2|1|<null>|-1", "K|1|<null>|-1"}, nullptr},
        // A credit note of 1 K gives back what its inputs received: I1 +2
        // in M1, I2 +1.
        {"credit note of a composite", false,
         [](Origenes& o, bool) { o.Existencia("I1", "1", "M1", 30); },
         [](Origenes& o, bool colecta) {
             o.Lineas({{{0, "K"}, {8, "1"}}});
             o.Escribe("NC", "000100002004A", 0, colecta);
         },
         "NC", "000100002004A", 6, {"I1|1|M1|2", "I2|1|<null>|1", "K|1|<null>|1"}, {}, nullptr},
        // Inputs not kept by lot, on the deposit of each line: K2 at 2 and K
        // at 3 (no lot stored there).
        {"per-line deposits", false, [](Origenes& o, bool) { o.Existencia("I1", "1", "M1", 30); },
         [](Origenes& o, bool colecta) {
             o.Lineas({{{0, "K2"}, {6, "2"}, {8, "3"}}, {{0, "K"}, {6, "3"}, {8, "1"}}});
             o.Escribe("FC", "000100002005A", 0, colecta, QStringLiteral("ELDELGRID"));
         },
         "FC", "000100002005A", 9,
         {"I1|3|<null>|-2", "I2|2|<null>|-3", "I2|3|<null>|-1", "K|3|<null>|-1", "K2|2|<null>|-3"}, {}, nullptr},
        // 2 A1 at cost 10: CMV 0001-00000007-X, 5.9.01 D 20 and 1.1.01 H 20.
        // Header, line, A1 -2, two seat rows, 'E'.
        {"cost-of-goods seat of an invoice", true, {},
         [](Origenes& o, bool colecta) {
             o.Lineas({{{0, "A1"}, {8, "2"}, {41, "10"}}});
             o.Escribe("FC", "000100002006A", 0, colecta);
             o.AsientoCosto("FC", "000100002006A");
         },
         "FC", "000100002006A", 6, {"5.9.01|D|20|CMV |00000007|FC  ", "1.1.01|H|20|CMV |00000007|FC  "}, {},
         "SELECT Cuenta, [DEBE-HABER], Importe, TC, NUMERO, TC_ORIGEN FROM MV_ASIENTOS WHERE CPTE_ORIGEN = "
         "'000100002006A' ORDER BY [DEBE-HABER]"},
        // A credit note's: 1 A1 at 10, 5.9.01 H 10 and 1.1.01 D 10.
        {"cost-of-goods seat of a credit note", true, {},
         [](Origenes& o, bool colecta) {
             o.Lineas({{{0, "A1"}, {8, "1"}, {41, "10"}}});
             o.Escribe("NC", "000100002008A", 0, colecta);
             o.AsientoCosto("NC", "000100002008A");
         },
         "NC", "000100002008A", 6, {"1.1.01|D|10|NC  ", "5.9.01|H|10|NC  "}, {},
         "SELECT Cuenta, [DEBE-HABER], Importe, TC_ORIGEN FROM MV_ASIENTOS WHERE CPTE_ORIGEN = '000100002008A' "
         "ORDER BY [DEBE-HABER]"},
        // NUM_ND = FC: ND 2007 numbered in FC's books, its control row under
        // 'FC  '. Header, control row, 'E'; FC's A book keeps 2008.
        {"control row under the numbering alias", false, [](Origenes& o, bool) { o.Cfg("NUM_ND", "FC"); },
         [](Origenes& o, bool colecta) {
             o.Lineas({});
             o.Escribe("ND", "000100002007A", 0, colecta);
             o.Numera("ND", "000100002007A");
         },
         "ND", "000100002007A", 3, {"2008|FC  |0001|A"}, {"2008|<null>|<null>|<null>"},
         "SELECT b.A_ULTIMO_NRO, c.TC, c.SUCURSAL, c.LETRA FROM V_TA_CPTE b LEFT JOIN V_MV_CTROL_CPTE c ON c.NUMERO "
         "= '00002007' WHERE b.CODIGO = 'FC  '"},
        // Without an alias the row is under the voucher's own type; ND's
        // book keeps 2010.
        {"control row without an alias", false, {},
         [](Origenes& o, bool colecta) {
             o.Lineas({});
             o.Escribe("ND", "000100002009A", 0, colecta);
             o.Numera("ND", "000100002009A");
         },
         "ND", "000100002009A", 3, {"ND  |0001|00002009|A"}, {},
         "SELECT TC, SUCURSAL, NUMERO, LETRA FROM V_MV_CTROL_CPTE WHERE NUMERO = '00002009'"},
    };
    for (const Caso& c : casos) {
        for (const bool colecta : {false, true}) {
            SCOPED_TRACE(QStringLiteral("%1, %2").arg(c.nombre, colecta ? "collecting" : "executing").toStdString());
            Reinicia();
            Escritores(c.asientos);
            if (c.antes)
                c.antes(*this, colecta);
            const Foto antes = Fotografia();
            const QStringList saldos = Saldos();
            c.escribe(*this, colecta);
            EXPECT_EQ(c.consulta ? Filas(QString::fromLatin1(c.consulta)) : Saldos(), c.escritas);
            Anula(QString::fromLatin1(c.tc), QString::fromLatin1(c.id));
            const QString id = QString::fromLatin1(c.id);
            Prepara(QString::fromLatin1(c.tc), id.left(4), id.mid(4, 8), id.mid(12));
            ui::ScriptedSession dlg;
            dlg.expectMsgBox(QStringLiteral("Anulado sin Errores, se actualizaron %1 registros ").arg(c.registros));
            Acepta(dlg);
            Iguales(antes, Fotografia());
            EXPECT_EQ(Saldos(), saldos);
            EXPECT_EQ(c.consulta ? Filas(QString::fromLatin1(c.consulta)) : Saldos(), c.quedan);
        }
    }
}

// A seat booked by the number's first complement waits for the last: FC
// 2006 complements 0 and 1 of 1 A1 each, the seat of 0 (1.1.01 H 10). The
// first deletion takes header, line, A1 row and 'E' (4), the second those
// and the seat's two rows (6).
TEST_F(Origenes, ACostOfGoodsSeatWaitsForTheLastComplement)
{
    Escritores(true);
    const Foto antes = Fotografia();
    Lineas({{{0, "A1"}, {8, "1"}, {41, "10"}}});
    Escribe("FC", "000100002006A", 0, true);
    AsientoCosto("FC", "000100002006A");
    Escribe("FC", "000100002006A", 1, false);
    Anula("FC", "000100002006A");
    const char* seat = "SELECT Cuenta, [DEBE-HABER], Importe FROM MV_ASIENTOS WHERE CPTE_ORIGEN = '000100002006A' "
                       "ORDER BY [DEBE-HABER]";
    for (const auto& [complemento, registros, asiento] :
         {std::tuple{"0", 4, QStringList{"5.9.01|D|10", "1.1.01|H|10"}}, std::tuple{"1", 6, QStringList{}}}) {
        SCOPED_TRACE(complemento);
        Prepara("FC", "0001", "00002006", "A", complemento);
        ui::ScriptedSession dlg;
        dlg.expectMsgBox(QStringLiteral("Anulado sin Errores, se actualizaron %1 registros ").arg(registros));
        Acepta(dlg);
        EXPECT_EQ(Filas(seat), asiento);
    }
    Iguales(antes, Fotografia());
}

}  // namespace
