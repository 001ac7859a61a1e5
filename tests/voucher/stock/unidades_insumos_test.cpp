// The stock writer's rows in their units and direction: an imposed sign, a
// line's equivalent quantity over its lots, the inputs of composite articles
// in their own base units and over their lots; and the stock queries in a
// second unit. Worked figures, and seeded generators of voucher types with
// imposed signs and of composites kept by lot; every voucher written in both
// modes.
#include "voucher/stock/entorno_stock.h"

#include "numbering/stock.h"

#include <cmath>
#include <map>
#include <random>

namespace {

using namespace stocktest;

class UnidadesInsumos : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        ModGlobal::UnidadMedidaKG = QStringLiteral("KG");
        for (const auto& [codigo, unidad] : {std::pair{"K6", "UN"}, std::pair{"K7", "UN"}, std::pair{"K8", "UN"},
                                             std::pair{"I5", "UN"}, std::pair{"F1", "KG"}, std::pair{"W1", "UN"}})
            Articulo(codigo, unidad);
    }

    void Articulo(const QString& codigo, const QString& unidad)
    {
        Ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(Art(codigo.toLatin1())));
        Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, Costo) VALUES "
                               "('%1', 'Art %2', '%3', 1)")
                    .arg(Art(codigo.toLatin1()), codigo, kapores2::Funciones::RellenaCodigo(unidad, 4)));
    }

    void Equiv(const QString& articulo, const QString& de, const QString& a, const QString& coeficiente)
    {
        Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
                               "('%1', '%2', '%3', %4)")
                    .arg(Art(articulo.toLatin1()), kapores2::Funciones::RellenaCodigo(de, 4),
                         kapores2::Funciones::RellenaCodigo(a, 4), coeficiente));
    }

    void Limpia()
    {
        for (const char* tabla : {"V_MV_STOCK", "V_MA_INSUMOS", "S_TA_EQUIV", "STK_SERIES_Y_LOTES"})
            Ejecuta(QStringLiteral("DELETE FROM %1").arg(tabla));
    }

    int Entre(int a, int b) { return std::uniform_int_distribution<int>(a, b)(g_); }
    template <class T>
    T De(std::initializer_list<T> v) { return v.begin()[Entre(0, int(v.size()) - 1)]; }

    // A code in any letter case; as a caller may hold it (padded, blanks
    // around) or, guardado, as a stored key (its code form).
    QString Escrito(const QString& codigo, bool guardado = false)
    {
        QString t;
        for (QChar c : codigo)
            t += Entre(0, 1) ? c.toLower() : c;
        switch (guardado ? 0 : Entre(0, 3)) {
        case 0: return t.leftJustified(4, u' ');
        case 1: return u' ' + t;
        case 2: return u' ' + t + u' ';
        default: return t;
        }
    }
    QString Guardado(const QString& unidad) { return Escrito(unidad, true); }

    // The writer with an imposed sign (0: the type's), in both modes: the
    // rows executed, and the collected ones must be the same.
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
    QStringList AmbosModos(const QString& tc, const QString& id, int signo, const QString& sql)
    {
        ui::ScriptedSession sinAvisos;
        Ejecuta("DELETE FROM V_MV_STOCK");
        EXPECT_FALSE(EscribeConSigno(tc, id, false, signo).hayError);
        const QStringList ejecutadas = Filas(sql);
        Ejecuta("DELETE FROM V_MV_STOCK");
        const Resultado colectado = EscribeConSigno(tc, id, true, signo);
        EXPECT_FALSE(colectado.hayError);
        Ejecuta(colectado.sql);
        EXPECT_EQ(Filas(sql), ejecutadas) << "collected";
        EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
        return ejecutadas;
    }

    static double Numero(const QString& t) { return QString(t).replace(u',', u'.').toDouble(); }

    std::mt19937 g_{51};
};

TEST_F(UnidadesInsumos, RowsInTheirUnitsAndDirection)
{
    struct Caso {
        const char* nombre;
        QList<Celdas> lineas;
        const char* columnas;  // of the rows of type TC, in sequence order
        const char* tc;
        QStringList filas;
        int signo = 0;
        bool confirmaEquiv = false;
        std::function<void()> datos = {};
    };
    const char* insumo = "LTRIM(RTRIM(IdArticulo)), RTRIM(NroLote), IdUnidad, Cantidad, CantidadUd, IdUnidadBase";
    const Caso casos[] = {
        // An imposed sign is a direction: 2 enters the line once (not 4),
        // -3 takes it out once; a list is walked as for 1.
        {"imposed sign 2", {{{0, "A1"}, {5, "UN"}, {8, "2"}}}, "Cantidad, CantidadUD", "RMX ", {"2|2"}, 2},
        {"imposed sign -3", {{{0, "A1"}, {5, "UN"}, {8, "2"}}}, "Cantidad, CantidadUD", "RMX ", {"-2|-2"}, -3},
        {"imposed sign 2 over lots", {{{0, "A2"}, {5, "UN"}, {8, "5"}, {24, "|L1|L2|"}, {25, "|2|3|"}}},
         "RTRIM(NroLote), Cantidad", "RMX ", {"L1|2", "L2|3"}, 2},
        // 5 UN weighing 2.5 kg, in lots of 2 and 3: 1 and 1.5 kg.
        {"equivalent quantity over lots",
         {{{0, "A2"}, {5, "UN"}, {8, "5"}, {11, "KG"}, {12, "2.5"}, {24, "|L1|L2|"}, {25, "|2|3|"}}},
         "RTRIM(NroLote), Cantidad, CantidadUD * 10, IdUnidadBase", "RMX ", {"L1|-2|-10|KG  ", "L2|-3|-15|KG  "}, 0,
         true},
        // K6 is 1 CJ (12 UN) of I5 per unit: 5 of it need 60 UN, 24 from M1
        // and 36 from M2.
        {"input in boxes over its lots", {{{0, "K6"}, {5, "UN"}, {8, "5"}}}, insumo, "PE  ",
         {"I5|M1|CJ  |-2|-24|UN  ", "I5|M2|CJ  |-3|-36|UN  "}},
        // 1 then 3: 12 UN from M1, then the other 12 of M1 and 24 of M2.
        {"input over its lots after an earlier line",
         {{{0, "K6"}, {5, "UN"}, {8, "1"}}, {{0, "K6"}, {5, "UN"}, {8, "3"}}}, insumo, "PE  ",
         {"I5|M1|CJ  |-1|-12|UN  ", "I5|M1|CJ  |-1|-12|UN  ", "I5|M2|CJ  |-2|-24|UN  "}},
        // K7 is 0.5 KG of F1 per unit; F1 is kept in kilograms.
        {"input units of a line in units", {{{0, "K7"}, {5, "UN"}, {8, "4"}}},
         "IdUnidad, Cantidad, CantidadUd, IdUnidadBase", "PE  ", {"KG  |-2|-2|KG  "}},
        {"input units of a line in boxes", {{{0, "K7"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}}},
         "IdUnidad, Cantidad, CantidadUd, IdUnidadBase", "PE  ", {"KG  |-12|-12|KG  "}},
        // K8 is 30 % I1 and 70 % I2: 2 boxes of 12 units leave 2 CJ as 24 UN,
        // 7.2 and 16.8 UN.
        {"percentage line in boxes",
         {{{0, "K8"}, {5, "CJ"}, {44, "UN"}, {10, "12"}, {8, "2"}, {77, "24"}, {71, "-1"}}},
         "LTRIM(RTRIM(IdArticulo)), IdUnidad, Cantidad * 10, CantidadUd * 10, IdUnidadBase", "PE  ",
         {"K8|CJ  |-20|-240|UN  ", "I1|UN  |-72|-72|UN  ", "I2|UN  |-168|-168|UN  "}},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nombre);
        Limpia();
        Insumo("K6", "I5", "1", "CJ  ");
        Equiv("I5", "CJ", "UN", "12");
        Existencia("I5", "1", "M1", "24");
        Existencia("I5", "1", "M2", "48");
        Insumo("K7", "F1", "0.5", "KG  ");
        Insumo("K8", "I1", "30");
        Insumo("K8", "I2", "70");
        Cfg("ConfirmaUDEquiv", c.confirmaEquiv ? "SI" : "NO");
        Lineas(c.lineas);
        EXPECT_EQ(AmbosModos("RMX", "000100000051X", c.signo,
                             QStringLiteral("SELECT %1 FROM V_MV_STOCK WHERE TC = '%2' ORDER BY Secuencia")
                                 .arg(c.columnas, c.tc)),
                  c.filas);
    }
}

// 1 CJ = 12 UN = 48 KG; balances of 3 CJ and 10 UN in deposit 1.
TEST_F(UnidadesInsumos, BalancesInASecondUnit)
{
    Ejecuta("DELETE FROM S_TA_EQUIV");
    Equiv("W1", "CJ", "UN", "12");
    Equiv("W1", "KG", "UN", "0.25");
    Ejecuta(QStringLiteral("INSERT INTO STK_SALDOS_UNIDADES (IDARTICULO, EQUIVALENCIA, IDDEPOSITO, STOCK) VALUES "
                           "('%1', 'CJ  ', '   1', 3), ('%1', 'UN  ', '   1', 10)")
                .arg(Art("W1")));
    double enBase = -1, enOtra = -1;
    cls_->ObtieneStockxEquiv("1", "W1", "CJ", "KG", enBase, enOtra);
    EXPECT_EQ(QList<double>({enBase, enOtra}), QList<double>({3, 144}));
    // The unit the balance writes back ('UN  ') handed on as it is.
    QString deposito = "1", unidad = "Ignorar";
    const double saldo = cls_->ObtieneStock("W1", deposito, "Ignorar", "Ignorar", "Ignorar", unidad);
    EXPECT_EQ(QStringList({QString::number(saldo), unidad}), QStringList({"10", "UN  "}));
    EXPECT_EQ(Stock::ConvierteCantidadUnidad("W1", unidad, saldo, "UN"), 10);
    cls_->ObtieneStockxEquiv(deposito, "W1", unidad, "un", enBase, enOtra);
    EXPECT_EQ(QList<double>({enBase, enOtra}), QList<double>({10, 10}));
    cls_->ObtieneStockxEquiv(deposito, "W1", unidad, "KG  ", enBase, enOtra);
    EXPECT_EQ(enOtra, 40);
}

// Rule: a type has one stock sign and one book sign however its code is
// written, and its rows move the line's quantity with the type's sign, or
// with the direction of the one imposed.
TEST_F(UnidadesInsumos, OneSignPerTypeAndRowsInItsDirection)
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
TEST_F(UnidadesInsumos, InputsLeaveInTheirBaseUnitsFromTheirLots)
{
    struct DatosInsumo {
        QString codigo, base, unidad;  // base unit, unit of the component records
        double factor = 1;             // base units per unit of the records
        std::map<QString, double> lotes;
    };
    const double factores[] = {0.5, 2, 4, 8, 10, 0.25};  // inverses exact in the six decimals stored
    int conLote = 0, sinLote = 0, comprobantes = 0;
    for (int v = 0; v < 25; ++v) {
        Limpia();
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
                    Equiv(in.codigo, Guardado(in.unidad), Guardado(in.base), QString::number(in.factor));
                else
                    Equiv(in.codigo, Guardado(in.base), Guardado(in.unidad), QString::number(1 / in.factor, 'g', 17));
            }
            Articulo(in.codigo, in.base);
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
            Articulo(k, "UN");
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
