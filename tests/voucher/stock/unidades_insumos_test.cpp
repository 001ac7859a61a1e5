// The stock writer's rows in their units and direction: an imposed sign, a
// line's equivalent quantity over its lots, the inputs of composite articles
// in their own base units and over their lots; and the stock queries in a
// second unit. Worked figures, each written in both modes.
#include "voucher/stock/entorno_stock.h"

#include "numbering/stock.h"

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

    void Articulo(const char* codigo, const char* unidad)
    {
        Ejecuta(QStringLiteral("DELETE FROM V_MA_ARTICULOS WHERE IDARTICULO = '%1'").arg(Art(codigo)));
        Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, Costo) VALUES "
                               "('%1', 'Art %2', '%3', 1)")
                    .arg(Art(codigo), codigo, kapores2::Funciones::RellenaCodigo(unidad, 4)));
    }

    void Equiv(const char* articulo, const char* de, const char* a, const char* coeficiente)
    {
        Ejecuta(QStringLiteral("INSERT INTO S_TA_EQUIV (IdArticulo, IDUNIDAD, IDUNIDAD_EQUIV, Coeficiente) VALUES "
                               "('%1', '%2', '%3', %4)")
                    .arg(Art(articulo), kapores2::Funciones::RellenaCodigo(de, 4),
                         kapores2::Funciones::RellenaCodigo(a, 4), coeficiente));
    }

    // The writer with an imposed sign (0: the type's).
    Resultado EscribeConSigno(const QString& tc, bool colecta, int signo)
    {
        Resultado r;
        QString fecha = "05/11/2026", dep = "1", dest, motivo, tcOrigen, origen, cta, tecnico = "NULL", loteFijo,
                aduana, loteOrigen, vendedor, moneda = "1";
        cls_->ActualizaStock(*grilla_, tc, "000100000051X", "0", fecha, dep, dest, motivo, tcOrigen, origen, false, cta,
                             colecta, r.sql, r.hayError, tecnico, loteFijo, aduana, loteOrigen, signo, false, vendedor,
                             0, moneda, legacy::Currency(1));
        return r;
    }
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
        for (const char* tabla : {"V_MV_STOCK", "V_MA_INSUMOS", "S_TA_EQUIV", "STK_SERIES_Y_LOTES"})
            Ejecuta(QStringLiteral("DELETE FROM %1").arg(tabla));
        Insumo("K6", "I5", "1", "CJ  ");
        Equiv("I5", "CJ", "UN", "12");
        Existencia("I5", "1", "M1", "24");
        Existencia("I5", "1", "M2", "48");
        Insumo("K7", "F1", "0.5", "KG  ");
        Insumo("K8", "I1", "30");
        Insumo("K8", "I2", "70");
        Cfg("ConfirmaUDEquiv", c.confirmaEquiv ? "SI" : "NO");
        Lineas(c.lineas);
        const QString sql = QStringLiteral("SELECT %1 FROM V_MV_STOCK WHERE TC = '%2' ORDER BY Secuencia")
                                .arg(c.columnas, c.tc);
        ui::ScriptedSession sinAvisos;
        EXPECT_FALSE(EscribeConSigno("RMX", false, c.signo).hayError);
        EXPECT_EQ(Filas(sql), c.filas);
        Ejecuta("DELETE FROM V_MV_STOCK");
        const Resultado colectado = EscribeConSigno("RMX", true, c.signo);
        EXPECT_FALSE(colectado.hayError);
        Ejecuta(colectado.sql);
        EXPECT_EQ(Filas(sql), c.filas) << "collected";
        EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
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

}  // namespace
