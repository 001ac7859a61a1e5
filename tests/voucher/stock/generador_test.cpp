// Vouchers made up by a seeded generator, each written in both modes of the
// stock writer, and the rules every voucher's rows must hold checked on the
// rows read back. A new kind of line is one more entry of `Clases`, a new
// rule one more function of `Reglas`.
#include "voucher/stock/entorno_stock.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <tuple>

namespace {

using namespace stocktest;

// One line of a generated voucher and what it must move.
struct Linea {
    QString articulo;  // a code of its own: its rows are told apart by it
    Celdas celdas;
    double cantidad = 0;     // in the line's unit
    double enBase = 0;       // in base units
    double porUnidad = 0;    // a composite: units of the input I1 per unit
    double porcentaje = 0;   // a composite of percentages: I1's share, I2 the rest
    double coeficiente = 1;  // units of the base unit per unit of the line's
    bool entra = false;      // a production order's output
    double bultos = 0;       // column 66, moved once by the line
    bool pesable = false;    // its base quantity (enBase) is its weight
};

struct Comprobante {
    QString tc;
    Opciones opciones;
    bool descarga = true, loteAutomatico = false;  // DescargaInsumosProduccion "NO"; automatic lots
    QList<Linea> lineas;
    QString Describe() const
    {
        QString t = tc + " dep " + opciones.deposito + (descarga ? "" : " no discharge") +
                    (loteAutomatico ? " auto lot" : "") + (opciones.loteFijo.isEmpty() ? "" : " fixed lot");
        for (const Linea& l : lineas) {
            t += "\n  " + l.articulo;
            for (const auto& [c, v] : l.celdas)
                t += QStringLiteral(" %1=%2").arg(c).arg(QString(v).replace(kSep, "~"));
        }
        return t;
    }
};

// A movement row read back.
struct Fila {
    QString tc, articulo, controladoPor, deposito, lote, unidad;
    bool sinLote = false;
    double cantidad = 0, enBase = 0, bultos = 0;
};

class Azar {
public:
    explicit Azar(unsigned semilla) : g_(semilla) {}
    int Entre(int desde, int hasta) { return std::uniform_int_distribution<int>(desde, hasta)(g_); }
    template <class T>
    T De(std::initializer_list<T> valores) { return valores.begin()[Entre(0, int(valores.size()) - 1)]; }
    bool Moneda(int porCiento) { return Entre(1, 100) <= porCiento; }

private:
    std::mt19937 g_;
};

QString Texto(double v)
{
    return QString::number(v, 'g', 10);
}

// The base quantity in parts, one of them perhaps 0, to four decimals; the
// last takes the rest.
QList<double> Partes(Azar& a, double total, int n)
{
    QList<double> pesos;
    double suma = 0;
    for (int i = 0; i < n; ++i)
        suma += pesos.emplace_back(a.Entre(0, 3));
    if (suma == 0)
        suma = pesos.last() = 1;
    QList<double> partes;
    double dado = 0;
    for (int i = 0; i + 1 < n; ++i)
        dado += partes.emplace_back(std::round(total * pesos[i] / suma * 100) / 100);
    partes.append(std::round((total - dado) * 10000) / 10000);
    return partes;
}

// The kinds of line; each fills the grid cells of a line whose quantity is
// already chosen, for a voucher that leaves (salida), enters or transfers.
using Clase = std::function<void(Azar&, Linea&, bool salida, bool transferencia)>;

void ListaDeLotes(Azar& a, Linea& l, bool salida, bool transferencia)
{
    const QList<double> partes = Partes(a, l.enBase, a.Entre(1, 3));
    QString lotes = "|", cantidades = "|";
    for (qsizetype i = 0; i < partes.size(); ++i) {
        const QString lote = a.Moneda(15) ? QString() : QStringLiteral("L%1").arg(i + 1);
        lotes += (salida || transferencia ? lote + kSep : lote) + u'|';
        cantidades += Texto(partes[i]) + u'|';
    }
    l.celdas[23] = "-1";
    l.celdas[24] = lotes;
    l.celdas[25] = cantidades;
}

void ListaDeSeries(Azar& a, Linea& l, bool salida, bool transferencia, bool conLote)
{
    QString uno = "|", otro = "|";
    for (int i = 1; i <= int(l.cantidad); ++i) {
        const QString lote = conLote ? QStringLiteral("L%1").arg(a.Entre(1, 2)) : QString();
        const QString serie = QStringLiteral("S%1").arg(i);
        if (salida || transferencia) {
            uno += lote + kSep + serie + u'|';
            otro += "1|";
        } else {
            uno += lote + u'|';
            otro += serie + u'|';
        }
    }
    l.celdas[22] = "-1";
    if (conLote)
        l.celdas[23] = "-1";
    l.celdas[24] = conLote || salida || transferencia ? uno : QString();
    l.celdas[25] = otro;
}

const std::vector<std::pair<const char*, Clase>> Clases = {
    {"plain", [](Azar&, Linea&, bool, bool) {}},
    {"lots", ListaDeLotes},
    {"serials", [](Azar& a, Linea& l, bool s, bool t) { ListaDeSeries(a, l, s, t, false); }},
    {"lots and serials", [](Azar& a, Linea& l, bool s, bool t) { ListaDeSeries(a, l, s, t, true); }},
    {"sizes",
     [](Azar& a, Linea& l, bool, bool) {
         const QList<double> partes = Partes(a, l.cantidad, 2);
         l.celdas[64] = "1";
         l.celdas[24] = "|T40" + kSep + "x|T42|";
         l.celdas[25] = "|" + Texto(partes[0]) + "|" + Texto(partes[1]) + "|";
     }},
    {"perishable",
     [](Azar& a, Linea& l, bool s, bool t) {
         ListaDeLotes(a, l, s, t);
         l.celdas[49] = "-1";
     }},
    // Pieces (by lot or not) weighing their own: the weight is in base units.
    {"weighable",
     [](Azar& a, Linea& l, bool s, bool t) {
         if (a.Moneda(50))
             ListaDeLotes(a, l, s, t);
         l.pesable = true;
         l.enBase = std::round(l.enBase * a.De({1.0, 1.25, 0.8, 0.3333}) * 10000) / 10000;
         l.celdas[79] = "-1";
         l.celdas[44] = "UN";
         l.celdas[77] = Texto(l.enBase);
     }},
    {"composite", [](Azar& a, Linea& l, bool, bool) { l.porUnidad = a.De({1.0, 2.0, 0.5}); }},
    {"percentage composite",
     [](Azar& a, Linea& l, bool s, bool t) {
         l.porcentaje = a.De({30.0, 25.0, 60.0});
         l.celdas[71] = "-1";
         if (a.Moneda(70))
             ListaDeLotes(a, l, s, t);
     }},
};

// The lots of the input I1 in each deposit.
const std::map<QString, double> kLotesInsumo = {{"M1", 3}, {"M2", 4}};

Comprobante Genera(Azar& a)
{
    Comprobante c;
    c.tc = a.De<QString>({"RMX", "IRX", "TRX", "OP", "RM", "IR", "RMC"});
    const bool transferencia = c.tc == "TRX", salida = c.tc == "RMX" || c.tc == "RM";
    c.descarga = a.Moneda(80);
    c.loteAutomatico = a.Moneda(20);
    if (a.Moneda(20))
        c.opciones.loteFijo = "F1";
    if (c.tc == "RMC" && a.Moneda(50)) {
        c.opciones.tcOrigen = "OC";
        c.opciones.origen = "000100000001X";
    }
    c.opciones.transferencia = transferencia;
    c.opciones.destino = transferencia ? "9" : "";
    const bool porLinea = a.Moneda(30);
    if (porLinea)
        c.opciones.deposito = "ELDELGRID";
    if (a.Moneda(20))
        c.opciones.motivo = "ELDELGRID";
    const int n = a.Entre(1, 5);
    for (int i = 1; i <= n; ++i) {
        Linea l;
        l.articulo = QStringLiteral("G%1").arg(i);
        const auto& [nombre, clase] = Clases[size_t(a.Entre(0, int(Clases.size()) - 1))];
        const bool plana = QLatin1String(nombre) == "plain" || QLatin1String(nombre) == "composite";
        l.cantidad = plana ? a.De({-2.0, -1.0, 0.0, 0.5, 1.0, 1.5, 2.0, 3.0, 5.0})
                           : QLatin1String(nombre).contains(QLatin1String("serials")) ? a.Entre(1, 3) : a.De({0.5, 1.0, 1.5, 2.0, 5.0});
        // Another unit than the base one, by a whole or a fractional factor.
        double& coeficiente = l.coeficiente;
        if ((plana || QLatin1String(nombre) == "lots" || QLatin1String(nombre) == "weighable" ||
             QLatin1String(nombre) == "percentage composite") &&
            a.Moneda(35))
            coeficiente = a.De({12.0, 2.5, 0.5});
        l.enBase = l.cantidad * coeficiente;
        l.celdas = {{0, Art(l.articulo.toLatin1())}, {1, "Art " + l.articulo}, {4, a.Moneda(30) ? "A-01-0" + QString::number(i) : ""},
                    {5, coeficiente == 1 ? "UN" : "CJ"}, {44, coeficiente == 1 && a.Moneda(30) ? "" : "UN"},
                    {8, Texto(l.cantidad)}, {10, Texto(coeficiente)}, {77, a.Moneda(25) ? "" : Texto(l.enBase)},
                    {41, a.De<QString>({"10", "3.333", "0", "2.5"})}};
        if (porLinea)
            l.celdas[6] = a.De<QString>({"1", "2"});
        if (c.opciones.motivo == "ELDELGRID")
            l.celdas[89] = QString::number(a.Entre(1, 3));
        if (a.Moneda(30)) {
            l.bultos = a.De({1.0, 2.0, 2.5, 3.0, 7.0});
            l.celdas[66] = Texto(l.bultos);
        }
        if (c.tc == "OP" && a.Moneda(50)) {
            l.entra = true;
            l.celdas[31] = "-1";
        }
        clase(a, l, salida || (c.tc == "OP" && !l.entra), transferencia);
        c.lineas.append(l);
    }
    return c;
}

// The rules, each on the voucher and its rows read back (those of the
// executing mode); a message for every breach.
using Regla = std::function<void(const Comprobante&, const QList<Fila>&, QStringList& fallas)>;

bool Igual(double a, double b)
{
    return std::abs(a - b) < 0.00051;
}

bool Entra(const Comprobante& c)
{
    return c.tc == "IRX" || c.tc == "IR" || c.tc == "RMC";
}

// The sign of a line's rows (of the leaving side of a transfer).
int SignoDe(const Comprobante& c, const Linea& l)
{
    return Entra(c) || l.entra ? 1 : -1;
}

const std::vector<std::pair<const char*, Regla>> Reglas = {
    {"1: the rows of a line move the line's quantity, in its unit and in base units",
     [](const Comprobante& c, const QList<Fila>& filas, QStringList& fallas) {
         for (const Linea& l : c.lineas) {
             const int signo = SignoDe(c, l);
             double q = 0, ud = 0, entra = 0;
             for (const Fila& f : filas) {
                 if (f.tc == "PE" || f.articulo != l.articulo)
                     continue;
                 const bool destino = c.tc == "TRX" && f.deposito == "   9";
                 (destino ? entra : q) += f.cantidad;
                 ud += destino ? 0 : f.enBase;
             }
             if (!Igual(q, signo * l.cantidad) || !Igual(ud, signo * l.enBase))
                 fallas << QStringLiteral("%1 moves %2 / %3 for %4 / %5").arg(l.articulo).arg(q).arg(ud)
                               .arg(signo * l.cantidad).arg(signo * l.enBase);
             if (c.tc == "TRX" && !Igual(entra, l.cantidad))
                 fallas << QStringLiteral("%1 enters %2 of %3").arg(l.articulo).arg(entra).arg(l.cantidad);
         }
     }},
    {"2: a transfer delivers, article by article, lot by lot and unit by unit, what left, in both quantities",
     [](const Comprobante& c, const QList<Fila>& filas, QStringList& fallas) {
         if (c.tc != "TRX")
             return;
         std::map<QString, std::pair<double, double>> saldo;
         for (const Fila& f : filas) {
             auto& [q, ud] = saldo[f.articulo + "/" + (f.sinLote ? "NULL" : f.lote) + "/" + f.unidad];
             q += f.cantidad;
             ud += f.enBase;
         }
         for (const auto& [clave, q] : saldo)
             if (!Igual(q.first, 0) || !Igual(q.second, 0))
                 fallas << QStringLiteral("%1 nets %2 / %3").arg(clave).arg(q.first).arg(q.second);
     }},
    {"3: a composite's inputs leave the input quantity per unit of the article times the line's quantity in the "
     "article's unit (a percentage composite's, its shares of the whole line, whatever its lots, after its own row), "
     "never a row of 0 or a lot of blanks; a transfer moves its composites whole",
     [](const Comprobante& c, const QList<Fila>& filas, QStringList& fallas) {
         for (const Linea& l : c.lineas) {
             if ((l.porUnidad == 0 && l.porcentaje == 0) || l.cantidad == 0)
                 continue;
             const bool descarga = c.descarga && c.tc != "OP" && c.tc != "TRX";
             const int signo = Entra(c) ? 1 : -1;
             double q = 0, propia = 0, propiaBase = 0;
             for (const Fila& f : filas) {
                 if (f.tc != "PE" || f.controladoPor != l.articulo)
                     continue;
                 if (f.articulo == l.articulo) {
                     propia += f.cantidad;
                     propiaBase += f.enBase;
                     continue;
                 }
                 q += f.cantidad;
                 if (Igual(f.cantidad, 0) || (!f.sinLote && f.lote.trimmed().isEmpty()))
                     fallas << QStringLiteral("%1: a row of %2 under lot '%3'").arg(l.articulo).arg(f.cantidad).arg(f.lote);
             }
             const double esperado = descarga ? signo * l.enBase * (l.porcentaje != 0 ? 1 : l.porUnidad) : 0;
             if (!Igual(q, esperado))
                 fallas << QStringLiteral("%1: inputs %2 for %3").arg(l.articulo).arg(q).arg(esperado);
             const double cantidadPropia = descarga && l.porcentaje != 0 ? signo * l.cantidad : 0;
             if (!Igual(propia, cantidadPropia) || !Igual(propiaBase, cantidadPropia * l.coeficiente))
                 fallas << QStringLiteral("%1: its own consumption row %2 / %3").arg(l.articulo).arg(propia).arg(propiaBase);
         }
     }},
    {"4: no input lot gives more than it holds",
     [](const Comprobante& c, const QList<Fila>& filas, QStringList& fallas) {
         if (c.tc != "RMX" && c.tc != "RM")
             return;
         std::map<QString, double> tomado;
         for (const Fila& f : filas)
             if (f.tc == "PE" && !f.sinLote)
                 tomado[f.deposito + "/" + f.lote.trimmed()] -= f.cantidad;
         for (const Linea& l : c.lineas)  // what lines giving back return to the lots
             if ((l.porUnidad != 0 || l.porcentaje != 0) && l.cantidad < 0)
                 return;
         for (const auto& [clave, q] : tomado)
             if (const auto lote = kLotesInsumo.find(clave.section('/', 1));
                 lote == kLotesInsumo.end() || q > lote->second + 0.00005)
                 fallas << QStringLiteral("lot %1 gives %2").arg(clave).arg(q);
     }},
    {"6: bundles and the weight of a weighable line are moved once, shared among the line's rows as its quantity is",
     [](const Comprobante& c, const QList<Fila>& filas, QStringList& fallas) {
         for (const Linea& l : c.lineas) {
             const double bultos = std::nearbyint(l.bultos);  // whole, halves to even
             const QList<int> lados = c.tc == "TRX" ? QList<int>{-1, 1} : QList<int>{SignoDe(c, l)};
             for (const int lado : lados) {
                 double bl = 0;
                 for (const Fila& f : filas) {
                     const bool destino = c.tc == "TRX" && f.deposito == "   9";
                     if (f.tc == "PE" || f.articulo != l.articulo || destino != (c.tc == "TRX" && lado == 1))
                         continue;
                     bl += f.bultos;
                     const double parte = l.cantidad == 0 ? 0 : f.cantidad / l.cantidad;
                     if (l.cantidad != 0 && std::abs(f.bultos - bultos * parte) >= 1)
                         fallas << QStringLiteral("%1: %2 bundles on a row of %3").arg(l.articulo).arg(f.bultos).arg(f.cantidad);
                     if (l.pesable && l.cantidad != 0 && std::abs(f.enBase - l.enBase * parte) > 0.001)
                         fallas << QStringLiteral("%1: weighs %2 on a row of %3").arg(l.articulo).arg(f.enBase).arg(f.cantidad);
                 }
                 if (!Igual(bl, lado * bultos))
                     fallas << QStringLiteral("%1 moves %2 bundles of %3").arg(l.articulo).arg(bl).arg(lado * bultos);
             }
         }
     }},
    {"7: every row's base quantity is its quantity times its unit's factor, a blank base-quantity cell included "
     "(a weighable line's is its weight)",
     [](const Comprobante& c, const QList<Fila>& filas, QStringList& fallas) {
         for (const Fila& f : filas) {
             double factor = 1;  // an input's rows are in its base unit
             bool pesable = false;
             for (const Linea& l : c.lineas)
                 if (l.articulo == f.articulo)
                     std::tie(factor, pesable) = std::pair{l.coeficiente, l.pesable};
             if (!pesable && std::abs(f.enBase - f.cantidad * factor) > 0.00051 * std::max(1.0, factor))
                 fallas << QStringLiteral("%1 %2: %3 for %4 by %5").arg(f.tc, f.articulo).arg(f.enBase).arg(f.cantidad)
                               .arg(factor);
         }
     }},
};

class GeneradorTest : public StockTest {
protected:
    void SetUp() override
    {
        StockTest::SetUp();
        for (const char* tc : {"OP", "IR", "RMC"})
            Ejecuta(QStringLiteral("DELETE FROM V_TA_CPTE WHERE CODIGO = '%1'").arg(Codigo(tc)));
        Tipo("OP", "", "STOCK");
        Tipo("IR", "E", "STOCK");
        Tipo("RMC", "E", "Compras");
        // Seats on, over the articles' accounts written every way (no motive's):
        // '1.1.91', '1.1.92', NULL, blank and led by a blank.
        Cfg("AsientosXStock", "SI");
        for (const auto& [codigo, cuenta] : {std::pair{"G1", "'1.1.91'"}, std::pair{"G2", "'1.1.92'"},
                                             std::pair{"G3", "NULL"}, std::pair{"G4", "''"}, std::pair{"G5", "' 1.1.91'"}})
            Ejecuta(QStringLiteral("INSERT INTO V_MA_ARTICULOS (IDARTICULO, DESCRIPCION, IDUNIDAD, cuentacontableC) "
                                   "VALUES ('%1', 'Art %2', 'UN  ', %3)")
                        .arg(Art(codigo), codigo, cuenta));
        cls_ = std::make_unique<ClsCmnCptes>();  // reads the setting when made
    }

    void Prepara(const Comprobante& c)
    {
        for (const char* tabla : {"V_MA_INSUMOS", "STK_SERIES_Y_LOTES"})
            Ejecuta(QStringLiteral("DELETE FROM %1").arg(tabla));
        Cfg("DescargaInsumosProduccion", c.descarga ? "NO" : "SI");
        Cfg("AsignacionAutomaticaDeLoteING", c.loteAutomatico ? "SI" : "NO");
        for (const Linea& l : c.lineas) {
            if (l.porUnidad != 0)
                Insumo(l.articulo, "I1", Texto(l.porUnidad));
            if (l.porcentaje != 0) {
                Insumo(l.articulo, "I1", Texto(l.porcentaje));
                Insumo(l.articulo, "I2", Texto(100 - l.porcentaje));
            }
        }
        for (const char* deposito : {"1", "2"})
            for (const auto& [lote, q] : kLotesInsumo)
                Existencia("I1", deposito, lote, Texto(q));
    }

    // The voucher written in one mode from a fresh grid; its rows, all columns.
    QStringList Escrito(const Comprobante& c, bool colecta)
    {
        Ejecuta("DELETE FROM V_MV_STOCK");
        Ejecuta("DELETE FROM MV_ASIENTOS");
        Ejecuta("UPDATE V_TA_CPTE SET X_ULTIMO_NRO = 7 WHERE CODIGO = 'PE  '");
        QList<Celdas> celdas;
        for (const Linea& l : c.lineas)
            celdas << l.celdas;
        Lineas(celdas);
        ui::ScriptedSession sinAvisos;
        const Resultado r = Escribe(c.tc, "000100000050X", colecta, c.opciones);
        EXPECT_FALSE(r.hayError) << c.Describe().toStdString();
        EXPECT_TRUE(sinAvisos.shown().isEmpty()) << sinAvisos.failures().join("; ").toStdString();
        if (colecta)
            Ejecuta(r.sql);
        // The seat of the voucher, and the rules every stored seat keeps.
        asiento_ = Filas("SELECT Cuenta, [DEBE-HABER], Importe, CABImporte FROM MV_ASIENTOS "
                         "ORDER BY [DEBE-HABER], Cuenta, Importe");
        asientoIncumple_ = reglas::Incumplidas([this](const QString& sql) { return Filas(sql); });
        return Filas("SELECT TC, IdComprobante, Secuencia, IdArticulo, ControladoPor, IdDeposito, IDDEPOSITO_DESTINO, "
                     "IdPosicion, NroLote, NroSerie, IdUnidad, Cantidad, CantidadUD, IdUnidadBase, EQUIV_UDBASE, "
                     "IdMotivoStock, Descripcion, Costo, CuentaProveedor, Tc_Origen, IdComprobante_Origen, CANT_BL "
                     "FROM V_MV_STOCK ORDER BY TC, IdComprobante, Secuencia");
    }

    QStringList asiento_, asientoIncumple_;  // of the voucher written last

    static QList<Fila> Lee(const QStringList& filas)
    {
        QList<Fila> leidas;
        for (const QString& t : filas) {
            const QStringList v = t.split(u'|');
            Fila f;
            f.tc = v[0].trimmed();
            f.articulo = v[3].trimmed();
            f.controladoPor = v[4].trimmed();
            f.deposito = v[5];
            f.sinLote = v[8] == "<null>";
            f.lote = v[8];
            f.unidad = v[10];
            while (f.lote.endsWith(u' '))  // compared as the server compares texts
                f.lote.chop(1);
            f.cantidad = QString(v[11]).replace(u',', u'.').toDouble();
            f.enBase = QString(v[12]).replace(u',', u'.').toDouble();
            f.bultos = v[21].toDouble();
            leidas << f;
        }
        return leidas;
    }
};

TEST_F(GeneradorTest, GeneratedVouchersHoldTheRulesInBothModes)
{
    Azar azar(20261210);
    std::map<QString, QStringList> fallas;  // by rule, with the voucher
    int conAsiento = 0;
    for (int n = 0; n < 250; ++n) {
        const Comprobante c = Genera(azar);
        Prepara(c);
        const QStringList ejecutado = Escrito(c, false);
        const QStringList asiento = asiento_;
        conAsiento += !asiento.isEmpty();
        const QStringList asientoIncumple = asientoIncumple_;
        const QStringList colectado = Escrito(c, true);
        if (ejecutado != colectado)
            fallas["5: both modes write the same rows"] << c.Describe() + "\n" + ejecutado.join("\n") + "\nvs\n" +
                                                               colectado.join("\n");
        if (asiento != asiento_)
            fallas["seats 5: both modes book the same seat"] << c.Describe() + "\n" + asiento.join("\n") + "\nvs\n" +
                                                                    asiento_.join("\n");
        if (!asientoIncumple.isEmpty() || !asientoIncumple_.isEmpty())
            fallas["seats 1-4: balance, one total, accounts, numbers"]
                << c.Describe() + "\n" + (asientoIncumple + asientoIncumple_).join("\n") + "\n" + asiento.join("\n");
        for (const auto& [nombre, regla] : Reglas) {
            QStringList f;
            regla(c, Lee(ejecutado), f);
            if (!f.isEmpty())
                fallas[nombre] << c.Describe() + "\n" + f.join("\n") + "\n" + ejecutado.join("\n");
        }
    }
    EXPECT_GT(conAsiento, 100) << "the seats' rules would hold for want of seats";
    for (const auto& [regla, casos] : fallas)
        ADD_FAILURE() << regla.toStdString() << ": " << casos.size() << " vouchers, first:\n"
                      << casos.first().toStdString();
}

}  // namespace
