// The requests end to end: what they pass, what they hand back, when no
// window opens, the gathering of the other lines' lots, and the trips the
// Chr(255) separator makes through cells, statements, drivers and files.
#include "voucher/lots/frmcargalotesyseries.h"
#include "voucher/lots/frmloteyposicion.h"

#include "entorno_lotes.h"
#include "platform/ado/ado_test_util.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/modalform.h"

#include <QLabel>
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

using namespace lotstest;

class Pedidos : public EntornoLotes {
protected:
    ui::ScriptedSession dlg;
};

TEST(CuentaLotesEnGrilla, JoinsTheListsOfEveryRowOfTheArticle)
{
    testutil::testApp();
    const std::tuple<QList<QStringList>, QString, QString> casos[] = {
        {{{"A1", "|L1|L2|", "|1|2|"}, {"B", "|X|", "|9|"}, {"a1", "|L3|", "|3|"}}, "|L1|L2|L3|", "|1|2|3|"},
        {{{"A1", "", "|5|"}, {"A1", "|L3|", ""}}, "|L3|", "|5|"},
        {{{" A1", "|L1|", "|1|"}}, "", ""},  // codes are not trimmed
        {{}, "", ""},
    };
    for (const auto& [filas, lotes, cantidades] : casos) {
        Articulos a(filas);
        QString l = "x", c = "y";
        ClsCmnCptes::CuentaLotesEnGrilla(&a.grilla, "A1", l, c);
        EXPECT_EQ(l, lotes);
        EXPECT_EQ(c, cantidades);
    }
    QString l, c;
    EXPECT_EQ(testutil::errorOf([&] { ClsCmnCptes::CuentaLotesEnGrilla(nullptr, "A1", l, c); }), 91);
}

TEST_F(Pedidos, AZeroQuantityOpensNoWindow)
{
    QString a = "a", b = "b";
    ClsCmnCptes cls;
    cls.PideSerieLote("ART", 0, "|S|", "|L|", a, b);
    EXPECT_EQ(a + b, "");
    a = "a", b = "b";
    cls.PidePosicionLote("ART", "UN", 0, "1", "|P*1|", "", a, b);
    EXPECT_EQ(a + b, "");
    // The outgoing request fills an empty deposit first, and keeps its outputs.
    Ejecuta("UPDATE TA_CONFIGURACION SET Valor = '2' WHERE Clave = 'DepositoDefault'");
    Articulos g({});
    double cantidad = 0;
    QString deposito;
    a = "a", b = "b";
    cls.PideSerieLote_Salidas(&g.grilla, "ART", "", cantidad, "", "", a, b, true, false, false, &deposito);
    EXPECT_EQ(a + b, "ab");
    EXPECT_EQ(deposito, "2");
    EXPECT_TRUE(dlg.shown().isEmpty());
}

TEST_F(Pedidos, WhatEachRequestPassesAndTheDefaultsOfItsOptions)
{
    Stock("ART-L", "L1", "", 4, "   2");
    // Left out: serials are asked, lots and sizes are not.
    dlg.onModal("FrmCargaLotesySeries", [](QWidget* w) {
        auto& f = *static_cast<lots::FrmCargaLotesySeries*>(w);
        EXPECT_EQ(f.windowTitle(), "Números de Serie (Deposito: )");
        EXPECT_FALSE(f.EsConsultaDeSerieLote);
        EXPECT_EQ(f.lblArticulo->text(), "ART-L");
        f.CmdAceptar->click();
    });
    QString s, l;
    ClsCmnCptes().PideSerieLote("ART-L", 1, "", "", s, l);
    EXPECT_EQ(s, "|-|");

    // Outgoing: the configured deposit (its one-blank answer when there is
    // none) or the given one brought to 4 characters; shown by default.
    Ejecuta("DELETE FROM TA_CONFIGURACION WHERE Clave = 'DepositoDefault'");
    const std::pair<QString, QString> depositos[] = {{"", "    "}, {"  ", "    "}, {"2", "   2"}};
    for (const auto& [dado, visto] : depositos) {
        dlg.onModal("FrmCargaLotesySeries", [&](QWidget* w) {
            auto& f = *static_cast<lots::FrmCargaLotesySeries*>(w);
            EXPECT_EQ(f.Deposito, visto);
            EXPECT_TRUE(f.MostrarForm);
            f.CmdCancelar->click();
        });
        Articulos g({});
        double cantidad = 4;
        QString deposito = dado, a = "a", b = "b";
        ClsCmnCptes().PideSerieLote_Salidas(&g.grilla, "ART-L", "", cantidad, "", "", a, b, true, false, false,
                                            &deposito);
        EXPECT_EQ(a + b, "") << "a cancel gives back the earlier (empty) lists";
    }

    // Positions: asked by default, lots not; earlier lists mark a query.
    for (const bool anteriores : {false, true}) {
        dlg.onModal("FrmLoteyPosicion", [&](QWidget* w) {
            auto& f = *static_cast<lots::FrmLoteyPosicion*>(w);
            EXPECT_EQ(f.EsConsultaDePosicionLote, anteriores);
            EXPECT_EQ(f.windowTitle(), "Posiciones (Deposito: 1)");
            EXPECT_EQ(f.IUNIDAD, "UN  ");
            f.CmdCancelar->click();
        });
        QString p, lo;
        ClsCmnCptes().PidePosicionLote("PINT-LATEX-20", "UN  ", 3, "1", "", anteriores ? "|L|" : "", p, lo);
        EXPECT_EQ(lo, anteriores ? "|L|" : "");
    }
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

// A request that arrives while another of the same object is under way (a
// second click that got through) opens no window and answers as a cancel;
// the grid's window takes no input meanwhile, and the object takes the next
// request once the first is over.
TEST_F(Pedidos, ARequestArrivingDuringAnotherIsRefusedAsACancel)
{
    Stock("ART-L", "L1", "", 4, "   2");
    ClsCmnCptes cls;
    Articulos g({});
    using Pide = std::function<void(QString&, QString&, bool*)>;
    const std::tuple<const char*, Pide, bool, QString> pedidos[] = {
        {"FrmCargaLotesySeries", [&](QString& a, QString& b, bool* ok) {
             cls.PideSerieLote("ART-L", 1, "|S|", "|L|", a, b, true, false, false, ok);
         }, false, "|S||L|"},
        {"FrmCargaLotesySeries", [&](QString& a, QString& b, bool* ok) {
             double cantidad = 4;
             QString deposito = "2";
             cls.PideSerieLote_Salidas(&g.grilla, "ART-L", "", cantidad, "|S|", "|L|", a, b, true, false, false,
                                       &deposito, true, ok);
         }, true, "|S||L|"},
        {"FrmLoteyPosicion", [&](QString& a, QString& b, bool* ok) {
             cls.PidePosicionLote("PINT-LATEX-20", "UN  ", 3, "1", "|P*3|", "|L|", a, b, true, false, ok);
         }, false, "|P*3||L|"},
    };
    for (const auto& [ventana, pide, conGrilla, anteriores] : pedidos) {
        SCOPED_TRACE(ventana);
        QString a2, b2, a, b;
        bool aceptado2 = true, bloqueada = false;
        dlg.onModal(ventana, [&](QWidget* w) {
            pide(a2, b2, &aceptado2);
            bloqueada = ui::InputBlocker::isBlocked(&g.grilla);
            w->findChild<QPushButton*>("CmdCancelar")->click();
        });
        pide(a, b, nullptr);
        EXPECT_EQ(a2 + b2, anteriores);
        EXPECT_FALSE(aceptado2);
        EXPECT_EQ(bloqueada, conGrilla);
        EXPECT_TRUE(dlg.remaining().isEmpty() && dlg.failures().isEmpty()) << dlg.failures().join("; ").toStdString();
    }
}

// A host window that makes a new voucher object for each click: a second
// click while the first request works reaches nothing; clicked again once it
// has returned, the request runs and gives the same lists.
TEST_F(Pedidos, ASecondClickOfAHostWithAnObjectPerClickWaitsForTheFirst)
{
    Stock("ART-L", "L1", "", 4);
    Stock("ART-L", "L2", "", 3);
    QWidget host;
    auto* boton = new QPushButton("Lotes", &host);
    host.show();
    Articulos g({});
    int enCurso = 0, anidadas = 0;
    QStringList listas;
    QObject::connect(boton, &QPushButton::clicked, [&] {
        anidadas += enCurso;
        ++enCurso;
        double cantidad = 5;
        QString deposito = "1", lotes, cantidades;
        ClsCmnCptes().PideSerieLote_Salidas(&g.grilla, "ART-L", "", cantidad, "", "", lotes, cantidades, true, false,
                                            false, &deposito, false);
        listas << lotes + cantidades;
        --enCurso;
    });
    const auto clic = [boton] {
        const QPointF centro(boton->rect().center());
        QMouseEvent baja(QEvent::MouseButtonPress, centro, boton->mapToGlobal(centro), Qt::LeftButton, Qt::LeftButton,
                         Qt::NoModifier);
        QMouseEvent sube(QEvent::MouseButtonRelease, centro, boton->mapToGlobal(centro), Qt::LeftButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(boton, &baja);
        QApplication::sendEvent(boton, &sube);
    };
    QTimer::singleShot(0, clic);
    clic();
    EXPECT_EQ(anidadas, 0);
    EXPECT_EQ(listas.size(), 1) << "the click during the request reached nothing";
    clic();
    const QString una = "|L1" + Y + "|L2" + Y + "|" + Y + "|" + "|4|1|0|";
    EXPECT_EQ(listas, (QStringList{una, una}));
}

TEST_F(Pedidos, AnErrorInTheWindowGoesToTheErrorBoxAndTheWindowIsUnloaded)
{
    dlg.onModal("FrmLoteyPosicion", [](QWidget*) { throw legacy::VbError(5); });
    dlg.expectMsgBox("", ui::vbAbort).title("PideSerieLote");
    QString p = "p", lo = "l";
    bool aceptado = true;
    ClsCmnCptes().PidePosicionLote("PINT-LATEX-20", "UN  ", 3, "1", "|P*3|", "", p, lo, true, false, &aceptado);
    EXPECT_EQ(p + lo, "pl") << "left before the outputs were written";
    EXPECT_FALSE(aceptado);
    EXPECT_FALSE(lots::frmLoteyPosicion().exists());
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(Pedidos, ApostrophesInKeysStayInsideTheirLiterals)
{
    Stock("D'ART", "L1", "", 2, "O'1 ");
    Saldo("D'ART", "A-01-01", "L1", 5, "UN  ", "O'1 ");
    dlg.onModal("FrmCargaLotesySeries", [](QWidget* w) {
        auto& f = *static_cast<lots::FrmCargaLotesySeries*>(w);
        EXPECT_EQ(Columna(f, 0), (QStringList{"L1", ""}));
        f.CmdAceptar->click();
    });
    Articulos g({});
    double cantidad = 2;
    QString deposito = "O'1", lotes, cantidades;
    ClsCmnCptes().PideSerieLote_Salidas(&g.grilla, "D'ART", "", cantidad, "", "", lotes, cantidades, true, false,
                                        false, &deposito);
    EXPECT_EQ(cantidades, "|2|0|");
    dlg.onModal("FrmLoteyPosicion", [](QWidget* w) {
        auto& f = *static_cast<lots::FrmLoteyPosicion*>(w);
        EXPECT_EQ(Columna(f, 0), (QStringList{"A-01-01"}));
        f.CmdAceptar->click();
    });
    Ejecuta("INSERT INTO MA_POSICIONES (IDDEPOSITO, IDPOSICION, ORDENINGRESO) VALUES ('O''1 ', 'A-01-01', 1)");
    QString p, lo;
    ClsCmnCptes().PidePosicionLote("D'ART", "UN  ", 2, "O'1", "", "", p, lo, true, true);
    EXPECT_EQ(p, "|A-01-01*2|");
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

// Chr(255) inside the lists survives every place a list goes.
TEST_F(Pedidos, TheSeparatorSurvivesCellsStatementsDriversAndFiles)
{
    const QString lista = "|L1" + Y + "S9|L2" + Y + "|";
    // a grid cell
    ui::MSFlexGrid g;
    g.setTextMatrix(1, 1, lista);
    EXPECT_EQ(g.TextMatrix(1, 1), lista);
    // a statement on the embedded engine
    const QString insert = "INSERT INTO STK_SERIES_Y_LOTES (IdArticulo, NroLote) VALUES ('Y', '" + lista + "')";
    ModGlobal::gDB().EjecutaConsultaSQL(insert);
    ASSERT_EQ(ModGlobal::gDB().gCnn->Errors().Count(), 0) << ""
        << insert.toStdString() << " " << ModGlobal::gDB().gCnn->Errors().Item(0).Description.toStdString();
    std::shared_ptr<ado::Recordset> rs;
    ModGlobal::gDB().AbrirRecordset("SELECT NroLote FROM STK_SERIES_Y_LOTES WHERE NroLote = '" + lista + "'", rs);
    ASSERT_FALSE(rs->Eof());
    EXPECT_EQ(rs->Fields("NroLote").Value().toString(), lista);
    // ODBC
    adotest::ProgramFolder carpeta;
    const QString archivo = carpeta.file("LISTAS.sqlite");
    adotest::createDatabase(archivo, "CREATE TABLE T (L VARCHAR(50));", false);
    auto cnn = std::make_shared<ado::Connection>();
    cnn->Open(QStringLiteral("Driver=%1;Database=%2").arg(adotest::sqliteOdbcDriver(), archivo));
    cnn->Execute("INSERT INTO T (L) VALUES ('" + lista + "')");
    auto odbc = cnn->Execute("SELECT L FROM T WHERE L = '" + lista + "'");
    ASSERT_FALSE(odbc->Eof());
    EXPECT_EQ(odbc->Fields(0).Value().toString(), lista);
    // a Windows-1252 file: one byte 0xFF per separator
    EXPECT_EQ(legacy::toWin1252(lista).count(char(0xFF)), 2);
    const QString txt = carpeta.file("listas.txt");
    legacy::WriteAllText(txt, lista);
    EXPECT_EQ(legacy::ReadAllText(txt), lista);
    // and the members that read it
    QString cant = "|0|1|", lotes = lista;
    EXPECT_EQ(ClsCmnCptes::ExtraeSerieLoteConValor(cant, lotes), "L2");
}

}  // namespace

namespace {

using namespace lotstest;

class Cantidades : public EntornoLotes {
protected:
    ui::ScriptedSession dlg;
};

// Whole numbers have no 16-bit limit, and sums are compared as amounts.
TEST_F(Cantidades, LargeWholeNumbersPassAndSumsCompareToFourDecimals)
{
    Stock("ART-S", "", "S1", 1);
    Stock("ART-S", "", "S2", 1);
    lots::FrmCargaLotesySeries f;
    f.EsConsultaDeSerieLote = true;
    f.EsSerie = true;
    f.Articulo = "ART-S";
    f.Deposito = "   1";
    f.Cantidad = 40001;
    f.CargaDatos();
    ASSERT_EQ(Columna(f, 1), (QStringList{"S1", "S2", ""}));
    EXPECT_EQ(Columna(f, 3), (QStringList{"1", "1", "0"})) << "each serial gives its one unit";
    Escribe(f, 3, 3, "39999");  // the row without lot or serial is not held to a stock
    EXPECT_EQ(Columna(f, 3), (QStringList{"1", "1", "39999"}));
    EXPECT_TRUE(f.ValidaCantidadCantidadPedida());

    lots::FrmLoteyPosicion p;
    p.EsPosicion = true;
    p.Articulo = "PINT-LATEX-20";
    p.Deposito = "1";
    p.IUNIDAD = "UN  ";
    p.Cantidad1 = 0.3;
    p.CargaDatos();
    Escribe(p, 1, 4, "0,1");
    Escribe(p, 2, 4, "0.2");
    Escribe(p, 3, 4, "0");
    p.CmdAceptar_Click();
    EXPECT_TRUE(p.Aceptado) << "0.1 + 0.2 is the 0.3 asked for";
    EXPECT_EQ(p.Posiciones, "|A-01-01*0,1|A-01-02*0.2|");
    EXPECT_TRUE(dlg.shown().isEmpty());
}

}  // namespace
