// A number book hands out every number of its range once, its last one
// included, and only the book covering a recorded number moves; then the
// same over seeded generated books.
#include "numbering/entorno_numeracion.h"

#include <random>

using numtest::EntornoNumeracion;

namespace {

class Libros : public EntornoNumeracion {
protected:
    // The book's proposal for letter A, and the box when there is none.
    QString Propone(const QString& tc)
    {
        QString suc, num, letra = "A", tope;
        bool modifica = false;
        ast::Obtener_Nro_Comprobante_Contable(tc, suc, num, letra, modifica, QString(), QString(), tope);
        return num;
    }
    // Records the voucher number `numero` as the stock writer does: the
    // number after it, in either mode.
    void Registra(const QString& tc, long numero, bool sentencia)
    {
        QString letra = "A", sql;
        ast::ActualizaNumeracionComprobante(tc, "STOCK", "0001", QStringLiteral(" %1").arg(numero + 1), letra,
                                            sentencia, sql);
        if (sentencia && !sql.trimmed().isEmpty())
            Ejecuta(sql);
    }
    QString Aviso(const char* tc)
    {
        return QStringLiteral("Todos los talonarios del comprobante %1 se encuentran utilizados").arg(tc);
    }
};

TEST_F(Libros, HandWorkedBooks)
{
    // ZH, one book of 1 to 3: 1, 2, 3, then the box.
    Libro("ZH", 1, "A", "1", "1", "3", "0");
    for (const long n : {1, 2, 3}) {
        EXPECT_EQ(Propone("ZH"), QStringLiteral("%1").arg(n, 8, 10, QChar(u'0')));
        Registra("ZH", n, n == 2);
    }
    EXPECT_EQ(Ultimo("ZH", 1), "4");
    dlg().expectMsgBox(Aviso("ZH"));
    EXPECT_EQ(Propone("ZH"), "");
    dlg().verifyDone();

    // Two books of 1 to 3 and 4 to 6: the voucher of 3 moves the first book
    // past its range and leaves the second at 4.
    Libro("ZG", 1, "A", "1", "1", "3", "3");
    Libro("ZG", 2, "A", "1", "4", "6", "4", {}, true);
    EXPECT_EQ(Propone("ZG"), "00000003");
    Registra("ZG", 3, true);
    EXPECT_EQ(QStringList({Ultimo("ZG", 1), Ultimo("ZG", 2)}), QStringList({"4", "4"}));
    EXPECT_EQ(Propone("ZG"), "00000004");

    // ZJ: books of 1 to 100 (next 30) and 101 to 200 (next 150), the last
    // proposal from book 2. A typed number moves the book covering it, and
    // a number no book covers moves none.
    struct Caso {
        long tecleado;
        const char *libro1, *libro2;
    };
    const Caso casos[] = {
        {250, "30", "150"},  // no book covers 250
        {0, "30", "150"},
        {120, "30", "150"},  // book 2 never moves backwards
        {160, "30", "161"},
        {100, "101", "161"},  // book 1's last number: book 1 is used up
    };
    Libro("ZJ", 1, "A", "1", "1", "100", "30");
    Libro("ZJ", 2, "A", "1", "101", "200", "150", {}, true);
    for (const bool sentencia : {false, true})
        for (const Caso& c : casos) {
            SCOPED_TRACE(QStringLiteral("%1 %2").arg(c.tecleado).arg(sentencia).toStdString());
            if (&c == casos) {
                Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 30 WHERE CODIGO = 'ZJ' AND Talonario = 1");
                Ejecuta("UPDATE V_TA_CPTE SET A_ULTIMO_NRO = 150 WHERE CODIGO = 'ZJ' AND Talonario = 2");
            }
            ast::gTalonario = 2;
            Registra("ZJ", c.tecleado, sentencia);
            EXPECT_EQ(QStringList({Ultimo("ZJ", 1), Ultimo("ZJ", 2)}), QStringList({c.libro1, c.libro2}));
        }
    EXPECT_EQ(Propone("ZJ"), "00000161");
}

// Seeded: types of one to three books of consecutive ranges with gaps
// between them, numbers typed outside every range now and then, each
// recorded in either mode. The proposals are every number of every range,
// in order, each once; then the box.
TEST_F(Libros, EveryNumberOfEveryBookOnceAndNothingElseMovesThem)
{
    std::mt19937 azar(51);
    const auto uno = [&](int n) { return int(azar() % unsigned(n)); };
    for (int t = 0; t < 12; ++t) {
        const QString tc = QStringLiteral("Q%1").arg(QChar(u'A' + t));
        QList<long> esperados, fuera;
        long desde = 1 + uno(3);
        const int libros = 1 + uno(3);
        for (int l = 1; l <= libros; ++l) {
            const long hasta = desde + uno(5);
            Libro(tc, l, "A", "1", QString::number(desde), QString::number(hasta),
                  QString::number(l == 1 && desde == 1 && uno(2) ? 0 : desde), {}, l > 1);
            for (long n = desde; n <= hasta; ++n)
                esperados << n;
            fuera << hasta + 1;  // the gap after the book
            desde = hasta + 2 + uno(2);
        }
        fuera << desde + 50;
        QList<long> dados;
        for (int vuelta = 0; vuelta < 80 && dados.size() < esperados.size(); ++vuelta) {
            if (uno(4) == 0) {
                ast::gTalonario = std::int16_t(1 + uno(libros));
                Registra(tc, fuera[uno(int(fuera.size()))], uno(2));
                continue;
            }
            const QString n = Propone(tc);
            if (n.isEmpty())
                break;
            dados << n.toLong();
            Registra(tc, n.toLong(), uno(2));
        }
        SCOPED_TRACE(tc.toStdString());
        EXPECT_EQ(dados, esperados);
        if (dados.size() == esperados.size()) {
            dlg().expectMsgBox(Aviso(qPrintable(tc)));
            EXPECT_EQ(Propone(tc), "");
        }
        dlg().verifyDone();
    }
}

}  // namespace
