// The voucher picker as the voucher windows use it: opened through the
// voucher class, the rows it lists, the accept, sorting, the keys, the touch
// layout, the search boxes and closing it while it fills.
#include "voucher/lookup/entorno_consulta.h"
#include "support/layout_check.h"
#include "voucher/lookup/frmconscomprobantes.h"

#include "platform/ui/imagelist.h"
#include "platform/ui/listview.h"
#include "platform/ui/scripted.h"
#include "platform/ui/textwidth.h"
#include "voucher/clscmncptes.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using Accion = std::function<void(FrmConsComprobantes&)>;

ui::ListItem* Fila(FrmConsComprobantes& f, const QString& id)
{
    for (int i = 1; i <= f.ListView1->ListItems().Count(); ++i) {
        ui::ListItem& it = f.ListView1->ListItems().Item(i);
        if (it.Text() == id || it.SubItems(1) == id || it.SubItems(2) == id) return &it;
    }
    ADD_FAILURE() << "no row " << id.toStdString();
    return nullptr;
}

// The vouchers listed, by their number column (sub-item 1; 2 for orders).
QStringList Listados(FrmConsComprobantes& f, int columna = 1)
{
    QStringList l;
    for (int i = 1; i <= f.ListView1->ListItems().Count(); ++i)
        l << f.ListView1->ListItems().Item(i).SubItems(columna);
    return l;
}

QString N(const char* n) { return QStringLiteral("00570000") + QString::fromLatin1(n); }

Accion Elige(const char* n)
{
    return [n](FrmConsComprobantes& f) {
        f.ListView1->setSelectedItem(Fila(f, N(n)));
        f.CmdAceptar_Click();
    };
}

class Ventana : public vlookuptest::EntornoConsulta {
protected:
    void TearDown() override
    {
        if (f_) f_->Release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EntornoConsulta::TearDown();
    }

    struct Respuesta {
        QString nro, id, prov;
    };
    // ClsCmnCptes::ConsultaComprobante with the window driven by `accion`;
    // the outputs start as "antes" so that overwriting shows.
    Respuesta Consulta(const QString& tc, const Accion& accion, const QString& filtro = {})
    {
        ui::ScriptedSession dlg;
        dlg.onModal(QStringLiteral("FrmConsComprobantes"),
                    [&](QWidget* w) { accion(*static_cast<FrmConsComprobantes*>(w)); });
        ClsCmnCptes cls;
        Respuesta r{QStringLiteral("antes"), QStringLiteral("antes"), QStringLiteral("antes")};
        cls.ConsultaComprobante(tc, r.nro, filtro, &r.id, &r.prov);
        EXPECT_TRUE(dlg.failures().isEmpty()) << dlg.failures().join(u'\n').toStdString();
        EXPECT_FALSE(frmConsComprobantes().exists()) << "released";
        return r;
    }

    // A window of its own, loaded (no boxes may show).
    FrmConsComprobantes& Abre(const QString& tc, const QString& filtro = {})
    {
        ui::ScriptedSession dlg;
        f_ = new FrmConsComprobantes;
        f_->TC = tc;
        f_->Filtro = filtro;
        f_->Load();
        return *f_;
    }

    QPointer<FrmConsComprobantes> f_;
};

TEST_F(Ventana, AcceptHandsBackNumberComplementAndSupplier)
{
    struct Caso {
        const char* tc;
        Accion accion;
        const char *nro, *id, *prov;
    };
    auto marca = [](std::vector<const char*> ids, const char* elegido) {
        return [=](FrmConsComprobantes& f) {
            for (const char* n : ids) Fila(f, N(n))->setChecked(true);
            f.ListView1->setSelectedItem(elegido ? Fila(f, N(elegido)) : nullptr);
            f.CmdAceptar_Click();
        };
    };
    const Caso casos[] = {
        {"FC", Elige("0012A"), "005700000012A", "3", ""},
        {"fc", Elige("0012A"), "005700000012A", "3", ""},
        {"FC ", Elige("0012A"), "005700000012A", "", ""},  // no group: the number only
        {"FCC", Elige("0020A"), "005700000020A", "", "P0002"},
        {"PR", Elige("0009X"), "005700000009X", "0", ""},
        // The pending-remittance statement has no complement column.
        {"RM/PENDIENTES", Elige("0001R"), "005700000001R", "", ""},
        {"T3", [](FrmConsComprobantes& f) {
             f.ListView1->setSelectedItem(Fila(f, QStringLiteral("5701")));
             f.CmdAceptar_Click();
         }, "5701", "0", ""},
        {"OC", marca({"0021X", "0022X"}, "0021X"), "005700000022X,005700000021X", "0", ""},
        {"OC", marca({}, "0021X"), "005700000021X", "0", ""},
        // With a row selected the checked rows are the answer; with none
        // selected nothing is chosen, checked rows or not.
        {"OC", marca({"0022X"}, "0021X"), "005700000022X", "0", ""},
        {"OC", marca({"0021X", "0022X"}, nullptr), "", "", ""},
        {"OC", marca({}, nullptr), "", "", ""},
        {"FC", [](FrmConsComprobantes& f) {
             f.ListView1->setSelectedItem(nullptr);
             f.CmdAceptar_Click();
         }, "", "", ""},
        {"FC", [](FrmConsComprobantes& f) {
             f.ListView1->setSelectedItem(Fila(f, N("0012A")));
             f.cmdCancelar_Click();
         }, "", "", ""},
        {"FC", [](FrmConsComprobantes& f) { f.close(); }, "", "", ""},
        // A double click, and Enter on the list, accept; other keys do nothing.
        {"FC", [](FrmConsComprobantes& f) {
             f.ListView1->setSelectedItem(Fila(f, N("0012A")));
             f.ListView1->onDblClick();
         }, "005700000012A", "3", ""},
        {"FC", [](FrmConsComprobantes& f) {
             f.ListView1->setSelectedItem(Fila(f, N("0012A")));
             for (int tecla : {65, 13}) f.ListView1->onKeyDown(tecla, 0);
         }, "005700000012A", "3", ""},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.tc);
        const Respuesta r = Consulta(QString::fromLatin1(c.tc), c.accion);
        EXPECT_EQ(r.nro, QString::fromLatin1(c.nro));
        EXPECT_EQ(r.id, QString::fromLatin1(c.id));
        EXPECT_EQ(r.prov, QString::fromLatin1(c.prov));
    }
}

TEST_F(Ventana, RowsOfEachGroupCarryTheirCellsAndIcons)
{
    struct Celdas {
        const char* tc;
        const char* id;   // looked up in the text or sub-items 1 and 2
        int icono;
        QStringList celdas;  // item text, then sub-items
    };
    // A supplier whose account holds an apostrophe.
    Ejecuta(QStringLiteral("INSERT INTO VT_PROVEEDORES (CODIGO, RAZON_SOCIAL) VALUES ('O''NEIL', 'O''Neil Hnos')"));
    Ejecuta(QStringLiteral("INSERT INTO MV_ASIENTOS (Cuenta, Secuencia, Fecha, Detalle, TC, SUCURSAL, NUMERO, LETRA, "
                           "Importe) VALUES ('O''NEIL', 1, '20261119 00:00:00', 'Devolucion', 'NCPE', '0057', "
                           "'00000027', 'A', 80.0)"));
    const Celdas casos[] = {
        {"RM/TRANSPORTE", "005700000015R", 0, {"", "005700000015R", "0", "24/11/26", "T0001"}},
        {"T3", "5702", 0, {"5702", "20/11/26", "005700000028A", "1", "21/11/2026", ""}},
        {"FCC", "005700000020A", 2, {"12/11/26", "005700000020A", "P0002", "Quimica Pinturas S.A.", "", "5000"}},
        {"NCPE", "005700000025A", 8,
         {"17/11/26", "005700000025A", "P0001", "Bulonera Industrial S.R.L.", "Nota de credito por devolucion", "450"}},
        {"NCPE", "005700000027A", 8, {"19/11/26", "005700000027A", "O'NEIL", "O'Neil Hnos", "Devolucion", "80"}},
        {"PR", "005700000010X", 1, {"01/10/26", "005700000010X", "Pintureria Centro", "", "A confirmar", "1200"}},
        {"OC", "005700000021X", 11, {"13/11/26", "P0001 Bulonera Industrial S.R.L.", "005700000021X", "7000", "Bulones", ""}},
        {"OC", "005700000022X", 10, {"14/11/26", "P0002 Quimica Pinturas S.A.", "005700000022X", "3500", "Latex", "005700000024X"}},
        {"NP/PENDIENTES", "005700000006X", 3, {"16/11/2026 10:00:00", "005700000006X", "1", "Ferreteria del Sur", "Pedido web", "4100"}},
        {"FC", "005700000012A", 3, {"21/11/2026 12:34:56", "005700000012A", "3", "Ferreteria del Sur", "Factura del remito", "1500"}},
        {"RM", "005700000002R", 3, {"12/11/26", "005700000002R", "", "Pintureria Centro", "Ya facturado", "2500"}},
        {"FP/PENDIENTES", "005700000013A", 3, {"22/11/26", "005700000013A", "", "Pintureria Centro", "", "640"}},
    };
    for (const Celdas& c : casos) {
        SCOPED_TRACE(c.tc);
        FrmConsComprobantes& f = Abre(QString::fromLatin1(c.tc));
        ui::ListItem* it = Fila(f, QString::fromLatin1(c.id));
        ASSERT_TRUE(it);
        QStringList celdas{it->Text()};
        for (int i = 1; i < f.ListView1->ColumnHeaders().Count(); ++i) celdas << it->SubItems(i);
        EXPECT_EQ(celdas, c.celdas);
        EXPECT_EQ(it->SmallIcon(), c.icono);
        f.Release();
    }
    // Orders and invoices show their note in bold orange; remittances plainly.
    FrmConsComprobantes& fc = Abre(QStringLiteral("FC"));
    EXPECT_TRUE(Fila(fc, N("0012A"))->ListSubItems(4).Bold());
    EXPECT_EQ(Fila(fc, N("0012A"))->ListSubItems(4).ForeColor(), 33023);
    fc.Release();
    FrmConsComprobantes& rm = Abre(QStringLiteral("RM"));
    EXPECT_FALSE(Fila(rm, N("0002R"))->ListSubItems(4).Bold());
    rm.Release();
    // An order not yet prepared is left out of the pending orders.
    FrmConsComprobantes& np = Abre(QStringLiteral("NP/PENDIENTES"));
    EXPECT_EQ(Listados(np), QStringList{N("0006X")});
}

TEST_F(Ventana, ColumnSetsAndImagesByType)
{
    const std::pair<const char*, const char*> juegos[] = {
        {"RM/TRANSPORTE", "ID 5|COMPROBANTE 15|COMPLEMENTO 6|FECHA 20|CUENTA 13"},
        {"fc", "FECHA 20|COMPROBANTE 15|ID 5|NOMBRE 21|Referencia 15|IMPORTE 10"},
        {"NDPR", "FECHA 13|COMPROBANTE 15|PROVEEDOR 15|NOMBRE 21|CONCEPTO 21|IMPORTE 10"},
        {"PR", "FECHA 13|COMPROBANTE 15|NOMBRE 21|ID 5|Referencia 21|IMPORTE 10"},
        {"T3", "Nº Int. 7|FECHA 13|COMPROBANTE 15|ID 4|FH Envio 10|FH Recep 10"},
        {"OC", "FECHA 13|PROVEEDOR 13|COMPROBANTE 17|IMPORTE 9|COMENTARIOS 15|Inf. Recepción 15"},
        // the other types' rows show the recording time: "21/11/2026 12:34:56"
        // and the picture need 19 X
        {"FC ", "FECHA 19|COMPROBANTE 15|CUENTA 15|NOMBRE 21|CONCEPTO 21|IMPORTE 10"},
    };
    for (const auto& [tc, esperado] : juegos) {
        SCOPED_TRACE(tc);
        FrmConsComprobantes& f = Abre(QString::fromLatin1(tc));
        QStringList columnas;
        for (int i = 1; i <= f.ListView1->ColumnHeaders().Count(); ++i) {
            const ui::ColumnHeader& h = f.ListView1->ColumnHeaders().Item(i);
            int letras = 0;
            while (ui::TextWidth(QString(letras, u'X'), f.font()) < h.Width()) ++letras;
            columnas << QStringLiteral("%1 %2").arg(h.Text()).arg(letras);
        }
        EXPECT_EQ(columnas.join(u'|'), QString::fromUtf8(esperado));
        EXPECT_EQ(f.ListView1->Checkboxes(), QString::fromLatin1(tc) == QStringLiteral("OC"));
        f.Release();
    }
    FrmConsComprobantes& f = Abre(QStringLiteral("FC"));
    const std::pair<const char*, int> imagenes[] = {{"FC", 4},  {" fc ", 4}, {"RM", 8},  {"Anulado", 2},
                                                    {"oc", 10}, {"OCG", 11}, {"PR", 1}, {"", 8}};
    for (const auto& [tc, indice] : imagenes) EXPECT_EQ(f.ObtieneIndiceImagen(QString::fromLatin1(tc)), indice) << tc;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Consulta de Comprobantes"));
    EXPECT_EQ(f.TxtNombre->toolTip(), QStringLiteral("Ingrese parte del nombre buscado"));
    EXPECT_EQ(f.TxtNumero->toolTip(), QStringLiteral("Ingrese parte del numero buscado"));
}

TEST_F(Ventana, HeaderClicksSortAsTextFirstColumnExcepted)
{
    FrmConsComprobantes& f = Abre(QStringLiteral("PR"));
    const QStringList inicial{N("0011X"), N("0009X"), N("0010X")};  // newest first
    EXPECT_EQ(Listados(f), inicial);
    f.ListView1_ColumnClick(f.ListView1->ColumnHeaders().Item(1));
    EXPECT_EQ(Listados(f), inicial);
    EXPECT_FALSE(f.ListView1->Sorted());
    // NOMBRE: the first click reverses the order, the second restores it.
    f.ListView1_ColumnClick(f.ListView1->ColumnHeaders().Item(3));
    EXPECT_EQ(Listados(f, 2).first(), QStringLiteral("Pintureria Centro"));
    EXPECT_EQ(f.ListView1->SortKey(), 2);
    f.ListView1_ColumnClick(f.ListView1->ColumnHeaders().Item(3));
    EXPECT_EQ(Listados(f, 2).last(), QStringLiteral("Pintureria Centro"));
    EXPECT_EQ(f.ListView1->SortOrder(), int(ui::lvwAscending));
}

TEST_F(Ventana, SearchListsThePlainTypeAndItsWordsCannotChangeTheStatement)
{
    // The load lists the pending remittances and leaves the plain type in
    // TC; a search then lists every remittance of that type (0002R, already
    // invoiced, too).
    FrmConsComprobantes& rm = Abre(QStringLiteral("RM/PENDIENTES"));
    EXPECT_EQ(Listados(rm), QStringList{N("0001R")});
    EXPECT_EQ(rm.TC, QStringLiteral("RM"));
    rm.CmdBuscar_Click();
    EXPECT_EQ(Listados(rm), (QStringList{N("0002R"), N("0001R")}));
    EXPECT_EQ(rm.TC, QStringLiteral("RM"));
    rm.Release();

    // The word "where" leaves the caller's condition once, and stays out.
    FrmConsComprobantes& oc = Abre(QStringLiteral("OC"), QStringLiteral("WHERE CUENTA = 'P0001'"));
    EXPECT_EQ(Listados(oc, 2), QStringList{N("0021X")});
    EXPECT_EQ(oc.Filtro, QStringLiteral(" CUENTA = 'P0001'"));
    oc.Release();

    ui::ScriptedSession dlg;  // no error box may show
    FrmConsComprobantes& f = Abre(QStringLiteral("FP"));
    EXPECT_EQ(Listados(f), QStringList{N("0013A")});
    const std::tuple<const char*, const char*, int> busquedas[] = {
        {"Pinture", "", 1},
        {"x' OR 1=1 --", "", 0},
        {"", "0' OR '1'='1", 0},
        {"D'Angelo", "", 0},
        {"Pint%Centro", "", 1},
        {"Ferreteria", "13", 1},  // the number wins
        {"Buscar por nombre...", "Buscar por Numero...", 1},
    };
    for (const auto& [nombre, numero, filas] : busquedas) {
        f.TxtNombre->setText(QString::fromLatin1(nombre));
        f.TxtNumero->setText(QString::fromLatin1(numero));
        f.CmdBuscar_Click();
        EXPECT_EQ(f.ListView1->ListItems().Count(), filas) << nombre << numero;
    }
    EXPECT_TRUE(dlg.shown().isEmpty());
    EXPECT_EQ(Columna(QStringLiteral("SELECT COUNT(*) AS n FROM V_MV_CPTE"), QStringLiteral("n")), QStringList{"14"});
}

TEST_F(Ventana, EnterMovesFromNameToNumberToSearch)
{
    FrmConsComprobantes& f = Abre(QStringLiteral("FP"));
    f.show();
    QApplication::setActiveWindow(&f);
    f.TxtNombre->setFocus();
    auto enter = [] {
        QKeyEvent e(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(QApplication::focusWidget(), &e);
        QKeyEvent r(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(QApplication::focusWidget(), &r);
    };
    EXPECT_EQ(QApplication::focusWidget(), f.TxtNombre);
    // The box selects its text without the blanks around it.
    EXPECT_EQ(f.TxtNombre->selectedText(), QStringLiteral("Buscar por nombre..."));
    f.TxtNombre->setText(QStringLiteral("Ferreteria"));
    enter();
    EXPECT_EQ(QApplication::focusWidget(), f.TxtNumero);
    enter();
    EXPECT_EQ(QApplication::focusWidget(), f.CmdBuscar);
    EXPECT_EQ(f.ListView1->ListItems().Count(), 1) << "the search waits for the button";
    enter();
    EXPECT_EQ(f.ListView1->ListItems().Count(), 0);
}

TEST_F(Ventana, TouchLayoutByMachineSetting)
{
    const char* const valores[] = {"NO", "", nullptr};
    for (const char* valor : valores) {
        Config(QStringLiteral("ZUNT_USATOUCH_PC1"), valor);
        FrmConsComprobantes& f = Abre(QStringLiteral("FC"));
        EXPECT_FALSE(f.ModoTouch()) << (valor ? valor : "<none>");
        EXPECT_EQ(f.ListView1->SmallIcons(), f.ImageList1);
        f.Release();
    }
    Config(QStringLiteral("ZUNT_USATOUCH_PC1"), "si");
    // The date column keeps its 2200 twips where its dates and the 32-pixel
    // picture fit (PR's "dd/mm/yy"), and grows to them where they do not:
    // FC's "21/11/2026 12:34:56" (about 173 pixels in Arial 14 bold) beside
    // the picture, with the picture's and the text's margins: 221 pixels.
    for (const auto& [tc, ancho] : {std::pair{"PR", 2200}, {"FC", 3315}}) {
        FrmConsComprobantes& f = Abre(QString::fromLatin1(tc));
        EXPECT_EQ(f.ListView1->ColumnHeaders().Item(1).Width(), ancho) << tc;
        f.show();
        testutil::layout::ExpectWholeItems(*f.ListView1->findChild<QTreeView*>(), -1, 0);
        f.Release();
    }
    FrmConsComprobantes& f = Abre(QStringLiteral("PR"));
    ASSERT_TRUE(f.ModoTouch());
    EXPECT_EQ(f.ListView1->Font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(f.ListView1->Font().pointSize(), 14);
    EXPECT_TRUE(f.ListView1->Font().bold() && f.ListView1->FullRowSelect() && f.ListView1->GridLines());
    EXPECT_FALSE(f.ListView1->HideSelection());
    EXPECT_EQ(f.ListView1->SmallIcons(), f.imgTouch);
    QList<double> anchos;
    for (int i = 1; i <= 6; ++i) anchos << f.ListView1->ColumnHeaders().Item(i).Width();
    EXPECT_EQ(anchos, (QList<double>{2200, 2500, 1000, 3500, 2500, 1800}));
    EXPECT_NEAR(ui::twipsWidth(f), 13730, 15);
    EXPECT_NEAR(f.ListView1->Width(), ui::twipsWidth(f) - 100, 15);
    // The one touch image stands for every icon, after the load and after a
    // search; a search brings the set's own widths back.
    for (int vez = 0; vez < 2; ++vez) {
        for (int i = 1; i <= f.ListView1->ListItems().Count(); ++i)
            EXPECT_EQ(f.ListView1->ListItems().Item(i).SmallIcon(), 1);
        f.CmdBuscar_Click();
    }
    // (but the date column no narrower than "dd/mm/yy" in Arial 14 bold
    // beside the picture: 118 pixels, where 13 X of the window's font are 107)
    EXPECT_EQ(f.ListView1->ColumnHeaders().Item(1).Width(), 1770);
    f.Release();
    // The transport set's five columns take the first five widths.
    FrmConsComprobantes& t = Abre(QStringLiteral("RM/TRANSPORTE"));
    ASSERT_EQ(t.ListView1->ColumnHeaders().Count(), 5);
    EXPECT_EQ(t.ListView1->ColumnHeaders().Item(5).Width(), 2500);
    EXPECT_EQ(Fila(t, N("0015R"))->SmallIcon(), 0);
}

// Scripted dialogs whose yields run `alYield`.
class YieldConCierre : public ui::ScriptedDialogs {
public:
    std::function<void()> alYield;
    void doEvents() override
    {
        ScriptedDialogs::doEvents();
        if (alYield) alYield();
    }
};

TEST_F(Ventana, ClosingWhileFillingStopsTheFilling)
{
    FrmConsComprobantes& f = Abre(QStringLiteral("PR"));
    ASSERT_EQ(f.ListView1->ListItems().Count(), 3);
    f.show();
    for (int via = 0; via < 3; ++via) {
        SCOPED_TRACE(via == 0 ? "close box" : via == 1 ? "cancel button" : "released");
        if (!f.Loaded()) f.Load();
        YieldConCierre dlg;
        ui::DialogsGuard guard(&dlg);
        int alCerrar = -1;
        dlg.alYield = [&] {
            if (alCerrar < 0 && f.ListView1->ListItems().Count() == 1) {  // the first row's yield
                alCerrar = dlg.doEventsCount();
                // Only the cancel button takes input meanwhile.
                EXPECT_TRUE(ui::InputBlocker::isBlocked(f.CmdBuscar) && ui::InputBlocker::isBlocked(f.ListView1));
                EXPECT_FALSE(ui::InputBlocker::isBlocked(f.CmdCancelar));
                if (via == 0) f.close();
                if (via == 1) f.CmdCancelar->click();
                if (via == 2) f.Release();
            }
        };
        f.CmdBuscar_Click();
        EXPECT_EQ(dlg.doEventsCount(), alCerrar) << "nothing read after the close";
        EXPECT_EQ(f_.isNull(), false) << "a released window goes only once the filling is over";
        if (!f_) return;
        EXPECT_FALSE(f.Loaded());
        EXPECT_EQ(f.ListView1->ListItems().Count(), 0);
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(f_.isNull());
}

// Writes the window with a filled list to <build>/vlookup.png.
TEST_F(Ventana, PictureOfTheWindow)
{
    FrmConsComprobantes& f = Abre(QStringLiteral("NP/PENDIENTES"));
    Ejecuta("UPDATE V_MV_CPTE SET FechaPreparacion = '20261118 00:00:00' WHERE TC = 'NP'");
    f.CmdBuscar_Click();
    f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(1));
    f.show();
    const QString archivo = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(QStringLiteral("vlookup.png"));
    EXPECT_TRUE(f.grab().save(archivo)) << archivo.toStdString();
    testutil::ExpectWholeLabels(f);
}

// The window in the fonts the desktop may give it, to
// <build>/vlookup_<points>[_<font>].png: the boxes as tall as their lines
// and a pixel of frame above and below (19 pixels where they suffice), the
// search button too (17 where they suffice), the hints whole; the list, the
// buttons and the window move down and grow by what that row grew.
TEST_F(Ventana, PictureOfTheWindowInEveryFont)
{
    std::vector<testutil::layout::PictureFont> fuentes(std::begin(testutil::layout::kPictureFonts),
                                                       std::end(testutil::layout::kPictureFonts));
    fuentes.push_back({"Courier New", 16, 23});
    for (const testutil::layout::PictureFont& fuente : fuentes) {
        SCOPED_TRACE(std::string(fuente.fuente) + ' ' + std::to_string(fuente.puntos));
        testutil::layout::ProgramFont programa(fuente);
        FrmConsComprobantes& f = Abre(QStringLiteral("FC"));
        f.ListView1->setSelectedItem(&f.ListView1->ListItems().Item(1));
        f.show();
        testutil::layout::Picture(f, testutil::layout::PicturePath(QStringLiteral("vlookup"), fuente));
        // the dates whole beside their pictures
        testutil::layout::ExpectWholeItems(*f.ListView1->findChild<QTreeView*>(), -1, 0);
        ASSERT_EQ(QFontMetrics(f.TxtNombre->font()).height(), fuente.alto) << "the font as installed";
        const int caja = std::max(19, fuente.alto + 2);
        const int crece = std::max(0, fuente.alto + 2 - 17);
        EXPECT_EQ(f.TxtNombre->height(), caja);
        EXPECT_EQ(f.TxtNumero->height(), caja);
        EXPECT_EQ(f.CmdBuscar->height(), 17 + crece);
        EXPECT_EQ(f.ListView1->y(), 32 + crece);
        EXPECT_EQ(f.CmdAceptar->y(), 310 + crece);
        EXPECT_EQ(f.CmdCancelar->y(), 310 + crece);
        EXPECT_EQ(f.height(), 348 + crece);
        // the line keeps its gaps: 7 pixels between the boxes, 7 before the button
        EXPECT_EQ(f.TxtNumero->x(), f.TxtNombre->geometry().right() + 1 + 7);
        EXPECT_EQ(f.CmdBuscar->x(), f.TxtNumero->geometry().right() + 1 + 7);
        f_->Release();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

}  // namespace
