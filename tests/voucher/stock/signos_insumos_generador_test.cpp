// Seeded generators: voucher types written every way with imposed signs, and
// vouchers of composite articles whose inputs are kept by lot in other units;
// each voucher written in both modes, and the rules checked on the rows.
#include "voucher/stock/entorno_stock.h"

#include <cmath>
#include <map>
#include <random>

namespace {

using namespace stocktest;

class Generado : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        ModGlobal::UnidadMedidaKG = QStringLiteral("KG");
    }

    int Entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(g_); }
    template <class T>
    T De(std::initializer_list<T> v) { return v.begin()[Entre(0, int(v.size()) - 1)]; }

    // A code as a caller may hold it: any letter case, padded, blanks around.
    QString Escrito(const QString& codigo)
    {
        QString t;
        for (QChar c : codigo)
            t += Entre(0, 1) ? c.toLower() : c;
        switch (Entre(0, 3)) {
        case 0: return t.leftJustified(4, u' ');
        case 1: return u' ' + t;
        case 2: return u' ' + t + u' ';
        default: return t;
        }
    }

    // A unit as a stored key: its code form, in any letter case.
    QString Guardado(const QString& unidad)
    {
        QString t;
        for (QChar c : unidad)
            t += Entre(0, 1) ? c.toLower() : c;
        return t.leftJustified(4, u' ');
    }

    Resultado EscribeConSigno(const QString& tc, const QString& id, bool colecta, int signo)
    {
        Resultado r;
        QString fecha = "05/11/2026", dep = "1", dest, motivo, tcOrigen, origen, cta, tecnico = "NULL", loteFijo,
                aduana, loteOrigen, vendedor, moneda = "1";
        cls_->ActualizaStock(*grilla_, tc, id, "0", fecha, dep, dest, motivo, tcOrigen, origen, false, cta, colecta,
                             r.sql, r.hayError, tecnico, loteFijo, aduana, loteOrigen, signo, false, vendedor, 0,
                             moneda, legacy::Currency(1));
        return r;
    }

    // The rows of the voucher in both modes: the executed ones, and the
    // collected ones must be the same.
    QStringList AmbosModos(const QString& tc, const QString& id, int signo, const QString& sql)
    {
        Ejecuta("DELETE FROM V_MV_STOCK");
        EXPECT_FALSE(EscribeConSigno(tc, id, false, signo).hayError);
        const QStringList ejecutadas = Filas(sql);
        Ejecuta("DELETE FROM V_MV_STOCK");
        const Resultado colectado = EscribeConSigno(tc, id, true, signo);
        EXPECT_FALSE(colectado.hayError);
        Ejecuta(colectado.sql);
        EXPECT_EQ(Filas(sql), ejecutadas) << "collected";
        return ejecutadas;
    }

    static double Numero(const QString& t) { return QString(t).replace(u',', u'.').toDouble(); }

    std::mt19937 g_{51};
};

// Rule: a type has one stock sign and one book sign however its code is
// written, and its rows move the line's quantity with the type's sign, or
// with the direction of the one imposed.
TEST_F(Generado, OneSignPerTypeAndRowsInItsDirection)
{
    const char* codigos[] = {"IR", "AJP", "FCC", "NDC", "FPC", "NC", "RMC", "VS", "AJN", "FC",
                             "ND", "FP", "NCC", "RM", "TR", "OP", "ZQ1", "ZQ2", "ZQ3", "TK"};
    int filas = 0;
    for (int n = 0; n < 40; ++n) {
        const char* codigo = codigos[n % std::size(codigos)];
        const QString tc = QString::fromLatin1(codigo);
        Ejecuta(QStringLiteral("DELETE FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(Codigo(codigo)));
        Tipo(codigo, De({"E", "S", " ", "e", "s"}), De({"Ventas", "Compras", "STOCK"}),
             De({"NULL", "1", "-1", "0"}), De({"D", "H"}));
        const int stock = cls_->ObtieneSignoComprobante(tc);
        const int libro = cls_->ObtieneSignoComprobante(tc, true);
        ASSERT_TRUE(std::abs(stock) == 1 && std::abs(libro) == 1) << tc.toStdString();
        for (int k = 0; k < 4; ++k) {
            const QString escrito = Escrito(tc);
            SCOPED_TRACE(QStringLiteral("'%1' for %2").arg(escrito, tc).toStdString());
            EXPECT_EQ(cls_->ObtieneSignoComprobante(escrito), stock);
            EXPECT_EQ(cls_->ObtieneSignoComprobante(escrito, true), libro);
        }
        if (tc == u"OP")
            continue;  // a production order's passes decide its rows
        // One line, perhaps over two lots.
        const int cantidad = Entre(1, 9);
        Celdas linea{{0, "A2"}, {5, "UN"}, {8, QString::number(cantidad)}};
        if (Entre(0, 1)) {
            const int primero = Entre(0, cantidad);
            linea[24] = "|L1|L2|";
            linea[25] = QStringLiteral("|%1|%2|").arg(primero).arg(cantidad - primero);
        }
        Lineas({linea});
        const int signo = De({0, 0, 1, -1, 2, -2, 7, -5});
        SCOPED_TRACE(QStringLiteral("%1 sign %2 quantity %3").arg(tc).arg(signo).arg(cantidad).toStdString());
        const int direccion = signo == 0 ? stock : signo > 0 ? 1 : -1;
        double total = 0;
        for (const QString& f : AmbosModos(tc, QStringLiteral("00010000%1X").arg(n + 100, 4, 10, QChar('0')), signo,
                                           QStringLiteral("SELECT Cantidad FROM V_MV_STOCK WHERE TC = '%1' ORDER BY "
                                                          "Secuencia")
                                               .arg(Codigo(codigo)))) {
            const double q = Numero(f);
            EXPECT_GT(q * direccion, 0) << f.toStdString();
            total += q;
            ++filas;
        }
        EXPECT_EQ(total, direccion * cantidad);
    }
    EXPECT_GT(filas, 30);
}

// Rules: an input kept by lot leaves, in its base unit, the composite's base
// quantity times its share, from lots that hold it and none beyond its
// stock, the rest without lot; an input row's units are its base unit and
// its quantity in the record's unit is the same amount.
TEST_F(Generado, InputsLeaveInTheirBaseUnitsFromTheirLots)
{
    struct DatosInsumo {
        QString codigo, base, unidad;  // base unit, unit of the component records
        double factor = 1;             // base units per unit of the records
        std::map<QString, double> lotes;
    };
    const double factores[] = {0.5, 2, 4, 10, 12, 0.25};
    int conLote = 0, sinLote = 0, comprobantes = 0;
    for (int v = 0; v < 25; ++v) {
        for (const char* tabla : {"V_MV_STOCK", "V_MA_INSUMOS", "S_TA_EQUIV", "STK_SERIES_Y_LOTES"})
            Ejecuta(QStringLiteral("DELETE FROM %1").arg(tabla));
        // Inputs G1..G4 of the composites C1..C3.
        QList<DatosInsumo> insumos;
        for (int i = 1; i <= 4; ++i) {
            DatosInsumo in;
            in.codigo = QStringLiteral("G%1").arg(i);
            in.base = De({"UN", "KG", "LT"});
            in.unidad = Entre(0, 2) ? QString::fromLatin1(De({"CJ", "PK", "DOC"})) : in.base;
            if (in.unidad != in.base) {
                in.factor = factores[Entre(0, int(std::size(factores)) - 1)];
                // stored either way
                if (Entre(0, 1))
                    Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) "
                                           "VALUES ('%1', '%2', '%3', %4)")
                                .arg(Art(in.codigo.toLatin1()), Guardado(in.unidad), Guardado(in.base))
                                .arg(in.factor));
                else
                    Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) "
                                           "VALUES ('%1', '%2', '%3', %4)")
                                .arg(Art(in.codigo.toLatin1()), Guardado(in.base), Guardado(in.unidad))
                                .arg(1 / in.factor));
            }
            Ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(Art(in.codigo.toLatin1())));
            Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, Costo) VALUES "
                                   "('%1', 'Insumo', '%2', 1)")
                        .arg(Art(in.codigo.toLatin1()), kapores2::Funciones::RellenaCodigo(in.base, 4)));
            for (int l = 1, n = Entre(0, 3); l <= n; ++l) {
                const double q = Entre(1, 80) / 4.0;
                in.lotes[QStringLiteral("M%1").arg(l)] = q;
                Existencia(in.codigo, "1", QStringLiteral("M%1").arg(l), QString::number(q));
            }
            insumos << in;
        }
        std::map<QString, QList<std::pair<int, double>>> compuestos;  // input index, records per unit
        for (int c = 1; c <= 3; ++c) {
            const QString k = QStringLiteral("C%1").arg(c);
            Ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(Art(k.toLatin1())));
            Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, Costo) VALUES "
                                   "('%1', 'Compuesto', 'UN  ', 1)")
                        .arg(Art(k.toLatin1())));
            QList<int> elegidos = {0, 1, 2, 3};
            std::shuffle(elegidos.begin(), elegidos.end(), g_);
            for (int i : elegidos.mid(0, Entre(1, 3))) {
                const double porUnidad = De({0.5, 1.0, 2.0, 3.0});
                compuestos[k] << std::pair{i, porUnidad};
                Insumo(k, insumos[i].codigo, QString::number(porUnidad), Guardado(insumos[i].unidad));
            }
        }
        // The voucher: lines of composites in units or in boxes of 12.
        QList<Celdas> lineas;
        std::map<int, double> necesario;  // base units of each input
        for (int f = 0, n = Entre(1, 4); f < n; ++f) {
            const QString k = QStringLiteral("C%1").arg(Entre(1, 3));
            const int q = Entre(1, 5);
            const bool enCajas = Entre(0, 2) == 0;
            const double enBase = enCajas ? q * 12 : q;
            if (enCajas)
                lineas << Celdas{{0, k}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, QString::number(q)},
                                 {77, QString::number(enBase)}};
            else
                lineas << Celdas{{0, k}, {5, "UN"}, {8, QString::number(q)}};
            for (const auto& [i, porUnidad] : compuestos[k])
                necesario[i] += enBase * porUnidad * insumos[i].factor;
        }
        Lineas(lineas);
        const QString id = QStringLiteral("00010000%1X").arg(v + 200, 4, 10, QChar('0'));
        const QStringList filas = AmbosModos(
            "RMX", id, 0,
            "SELECT LTRIM(RTRIM(IdArticulo)), RTRIM(NroLote), IdUnidad, Cantidad, CantidadUd, IdUnidadBase "
            "FROM V_MV_STOCK WHERE TC = 'PE  ' ORDER BY Secuencia");
        ++comprobantes;
        std::map<int, double> salio, enRegistro;
        std::map<std::pair<int, QString>, double> deLote;
        for (const QString& f : filas) {
            SCOPED_TRACE(f.toStdString());
            const QStringList c = f.split(u'|');
            const int i = c[0].mid(1).toInt() - 1;
            ASSERT_TRUE(i >= 0 && i < insumos.size());
            const DatosInsumo& in = insumos[i];
            EXPECT_EQ(c[5].trimmed(), in.base) << "the units column is the input's base unit";
            EXPECT_EQ(c[2].trimmed().toUpper(), in.unidad);
            const double cantidad = Numero(c[3]), enBase = Numero(c[4]);
            EXPECT_LE(enBase, 0);
            EXPECT_NEAR(cantidad * in.factor, enBase, 0.00015 * std::max(1.0, in.factor));
            salio[i] -= enBase;
            enRegistro[i] -= cantidad;
            if (c[1] == u"<null>") {
                ++sinLote;
            } else {
                ++conLote;
                EXPECT_TRUE(in.lotes.count(c[1])) << "a lot that holds it";
                deLote[std::pair{i, c[1]}] -= enBase;
            }
        }
        for (const auto& [i, base] : necesario) {
            SCOPED_TRACE(QStringLiteral("%1 in %2").arg(insumos[i].codigo, id).toStdString());
            EXPECT_NEAR(salio[i], base, 0.0001 * filas.size());
            EXPECT_NEAR(enRegistro[i], base / insumos[i].factor, 0.0001 * filas.size());
            // From its lots as far as they hold it, none beyond its stock.
            double deLotes = 0, stock = 0;
            for (const auto& [lote, q] : insumos[i].lotes) {
                stock += q;
                deLotes += deLote[std::pair{i, lote}];
                EXPECT_LE((deLote[std::pair{i, lote}]), q + 0.0001) << lote.toStdString();
            }
            EXPECT_NEAR(deLotes, std::min(stock, base), 0.0001 * filas.size());
        }
    }
    EXPECT_EQ(comprobantes, 25);
    EXPECT_GT(conLote, 20);
    EXPECT_GT(sinLote, 10);
}

}  // namespace
