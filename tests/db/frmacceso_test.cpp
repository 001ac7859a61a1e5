// The access window, offscreen: its layout, the registered connections list,
// the hints and the keys, and a login driven through the modal-window seam.
#include "dbfixture.h"

#include "db/bases.h"
#include "db/frmreconectar.h"
#include "platform/kapores2/funciones.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/colors.h"
#include "support/layout_check.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <string>

namespace {

using dbtest::DbTest;
using dbtest::kDb;

class AccesoTest : public DbTest {
protected:
    void Registro(const QByteArray& bytes)
    {
        QFile f(tmp_.file(QStringLiteral("BASES.TXT")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    static void Tecla(QWidget* w, int tecla)
    {
        QKeyEvent pulsada(QEvent::KeyPress, tecla, Qt::NoModifier);
        QApplication::sendEvent(w, &pulsada);
    }
};

TEST_F(AccesoTest, LayoutInTwips)
{
    frmAcceso& w = frmAcceso::Default();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Control de Acceso"));
    // 8400 x 5520 twips, wider by what the server box takes for its hint
    const int crece = w.TxtServidor->width() - 136;
    EXPECT_GT(crece, 0);
    EXPECT_EQ(w.size(), QSize(560 + crece, 368));
    EXPECT_EQ(w.bcAceptar->geometry(), QRect(336 + crece, 316, 100, 30));
    EXPECT_EQ(w.TxtPuerto->text(), QStringLiteral("1433"));
    EXPECT_EQ(w.TxtUserPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(w.TxtUserPassword->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, w.TxtUserPassword),
              '*');
    EXPECT_EQ(&frmAcceso::Default(), &w) << "one window, kept loaded";
}

// The access and reconnect windows as shown, to <build>/frmacceso.png and
// frmreconectar.png, and the access window styled in the fonts and sizes the
// user may choose (frmacceso_<points>[_<font>].png): every control whole and
// inside its window, the hints of the empty boxes whole. The styling gives a
// control the user's font and size whenever the control's own font is not
// above 12 points: all but the 16-point product name, whatever size the user
// chose.
TEST_F(AccesoTest, PicturesOfTheWindows)
{
    auto foto = [](QWidget* w, const QString& archivo) {
        SCOPED_TRACE(archivo.toStdString());
        w->show();
        const QString ruta = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(archivo);
        EXPECT_TRUE(w->grab().save(ruta));
        testutil::ExpectWholeLabels(*w);
        w->hide();
    };
    foto(&frmAcceso::Default(), QStringLiteral("frmacceso.png"));
    foto(&frmReconectar::Default(), QStringLiteral("frmreconectar.png"));
    // alto: the height of the font's lines in pixels as installed (Segoe UI
    // is drawn in Liberation Sans, Calibri in DejaVu Sans, Courier New in
    // Liberation Mono); a box is as tall as those lines and its frame (a
    // pixel above and below), and keeps its 315 twips (21 pixels) where they
    // suffice; its row moves down by what the rows above it grew.
    const struct {
        const char* fuente;
        int puntos;
        int alto;
        int caja;
    } casos[] = {{"Segoe UI", 8, 12, 21},  {"Segoe UI", 9, 14, 21},  {"Segoe UI", 12, 17, 21},
                 {"Segoe UI", 14, 21, 23}, {"Segoe UI", 16, 23, 25}, {"Calibri", 12, 19, 21},
                 {"Courier New", 12, 18, 21}};
    for (const auto& c : casos) {
        // as the styling gives the window's controls the user's font and size
        frmAcceso::setAplicaEstilo([c](QWidget* w, bool) {
            for (QWidget* control : w->findChildren<QWidget*>()) {
                QFont f = control->font();
                if (f.pointSizeF() > 12)
                    continue;
                f.setFamily(QString::fromLatin1(c.fuente));
                f.setPointSizeF(c.puntos);
                control->setFont(f);
            }
        });
        frmAcceso::Unload();
        frmAcceso& w = frmAcceso::Default();
        EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("ingrese el nombre del servidor e instancia"));
        QString archivo = QStringLiteral("frmacceso_%1").arg(c.puntos);
        if (c.fuente != std::string("Segoe UI"))
            archivo += u'_' + QString::fromLatin1(c.fuente).replace(u' ', u'_');
        foto(&w, archivo + QStringLiteral(".png"));
        SCOPED_TRACE(archivo.toStdString());
        ASSERT_EQ(QFontMetrics(w.TxtDbName->font()).height(), c.alto) << "the font as installed";
        testutil::layout::ExpectWholeText(*w.CboPlataformaDB);
        const QWidget* filas[] = {w.TxtServidor, w.TxtDbName, w.TxtUserId, w.TxtUserPassword};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(filas[i]->height(), c.caja) << filas[i]->objectName().toStdString();
        EXPECT_EQ(w.TxtPuerto->geometry().top(), w.TxtServidor->geometry().top());
        // the rows keep the 15 pixels between them (36 from top to top at 21)
        EXPECT_EQ(w.TxtUserPassword->y() - w.TxtServidor->y(), 3 * (c.caja + 15));
        // the buttons and the address stay under the frame, the window 22
        // pixels longer than the lowest of them
        EXPECT_GT(w.bcAceptar->y(), w.framAcceso->geometry().bottom());
        EXPECT_GT(w.Label8->y(), w.lstBases->geometry().bottom());
        EXPECT_EQ(w.height(), std::max(w.bcAceptar->geometry().bottom(), w.Label8->geometry().bottom()) + 1 + 22);
    }
    frmAcceso::setAplicaEstilo({});
    frmAcceso::Unload();
}

TEST_F(AccesoTest, RetryOnACutRegistryListsEachNameOnce)
{
    Registro("VENTAS / SRV1,VENTAS,VENTAS,,srv1\r\nCOMPRAS / SRV2,COMPRAS");  // last record cut short
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (62)"), ui::vbRetry);
    dlg.expectMsgBox(QStringLiteral("Ha ocurrido el Siguiente Error (62)"), ui::vbIgnore);
    frmAcceso& w = frmAcceso::Default();
    ASSERT_EQ(w.lstBases->count(), 1);
    EXPECT_EQ(w.lstBases->item(0)->text(), QStringLiteral("VENTAS / SRV1"));
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(AccesoTest, RegisteredConnectionsFillTheBoxes)
{
    const QByteArray clave = kapores2::Funciones::CodificaClave(QStringLiteral("pw")).toLatin1();
    Registro("VENTAS / SRV1,VENTAS,VENTAS," + clave + ",srv1\r\n \r\nCOMPRAS / SRV2,COMPRAS,COMPRAS,," +
             " srv2\\inst:1500 \r\n");
    frmAcceso& w = frmAcceso::Default();
    ASSERT_EQ(w.lstBases->count(), 2);
    EXPECT_EQ(w.lstBases->item(1)->text(), QStringLiteral("COMPRAS / SRV2"));
    // The first entry is chosen on load.
    EXPECT_EQ(w.lstBases->currentRow(), 0);
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("srv1"));
    EXPECT_EQ(w.TxtDbName->text(), QStringLiteral("VENTAS"));
    EXPECT_EQ(w.TxtUserId->text(), QStringLiteral("Ingrese el usuario")) << "emptied, then given its hint by the load";
    EXPECT_EQ(w.TxtPuerto->text(), QString()) << "no port kept yet replaces 1433";
    EXPECT_EQ(w.claveBuscada(), QStringLiteral("pw"));

    // A server with a port: the host upper-cased, the port in its box.
    w.TxtUserId->setText(QStringLiteral("ANA"));
    w.lstBases->setCurrentRow(1);
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("SRV2\\INST"));
    EXPECT_EQ(w.TxtPuerto->text(), QStringLiteral("1500"));
    EXPECT_EQ(w.TxtDbName->text(), QStringLiteral("COMPRAS"));
    EXPECT_EQ(w.TxtUserId->text(), QString());
    // Back to the first: the port chosen before stays.
    w.lstBases->setCurrentRow(0);
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("srv1"));
    EXPECT_EQ(w.TxtPuerto->text(), QStringLiteral("1500"));

    // A double click chooses and connects.
    w.TxtUserId->setText(QStringLiteral("LUIS"));
    w.show();
    emit w.lstBases->itemDoubleClicked(w.lstBases->item(1));
    EXPECT_TRUE(w.Aceptar);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QString()) << "choosing an entry empties the user";
    EXPECT_EQ(w.TxtDbName->text(), QStringLiteral("COMPRAS"));
}

TEST_F(AccesoTest, AnEmptyBoxShowsItsHintSelectedAndPassesIt)
{
    frmAcceso& w = frmAcceso::Default();
    EXPECT_EQ(w.TxtUserId->text(), QStringLiteral("Ingrese el usuario"));
    EXPECT_EQ(w.TxtDbName->text(), QStringLiteral("ingrese el nombre de la base de datos"));
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("ingrese el nombre del servidor e instancia"));
    EXPECT_EQ(w.TxtUserPassword->text(), QString());

    // Typing replaces the selected hint; clearing the box (or leaving only
    // blanks) brings it back, selected.
    w.TxtServidor->setSelection(0, w.TxtServidor->text().size());
    w.TxtServidor->insert(QStringLiteral("SRV"));
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("SRV"));
    w.TxtServidor->setText(QStringLiteral("   "));
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("ingrese el nombre del servidor e instancia"));
    EXPECT_EQ(w.TxtServidor->selectedText(), w.TxtServidor->text());
    EXPECT_EQ(w.TxtServidor->palette().color(QPalette::Text), ui::toQColor(ui::RGB(2, 0, 0)));

    // Conectar with the user box still showing its hint passes the hint.
    w.TxtUserPassword->setText(QStringLiteral("x"));
    w.bcAceptar->click();
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("Ingrese el usuario"));
    EXPECT_EQ(ModGlobal::gPassword, QStringLiteral("x"));
    EXPECT_EQ(QFileInfo(tmp_.file(QStringLiteral("BASES.TXT"))).size(), 0) << "nothing registered";
}

TEST_F(AccesoTest, EnterMovesTheFocusAndPressesTheButton)
{
    frmAcceso& w = frmAcceso::Default();
    w.show();
    w.activateWindow();
    w.TxtUserId->setFocus();
    const QList<QWidget*> orden = {w.TxtUserPassword, w.TxtDbName, w.TxtServidor, w.bcAceptar};
    for (QWidget* siguiente : orden) {
        Tecla(w.focusWidget(), Qt::Key_Return);
        EXPECT_EQ(w.focusWidget(), siguiente) << siguiente->objectName().toStdString();
    }
    EXPECT_TRUE(w.isVisible()) << "Enter in the boxes never connects";
    Tecla(w.bcAceptar, Qt::Key_Enter);
    EXPECT_TRUE(w.Aceptar);
    EXPECT_FALSE(w.isVisible());

    // Escape cancels.
    w.show();
    Tecla(w.TxtDbName, Qt::Key_Escape);
    EXPECT_FALSE(w.Aceptar);
    EXPECT_FALSE(w.isVisible());
}

TEST_F(AccesoTest, LoginThroughTheModalSeam)
{
    ui::ScriptedSession dlg;
    frmAcceso& w = frmAcceso::Default();
    w.TxtDbName->setText(kDb);
    w.TxtServidor->setText(QStringLiteral("(sqlite)"));
    dlg.onModal(QStringLiteral("frmAcceso"), [](QWidget* ventana) {
        auto* f = static_cast<frmAcceso*>(ventana);
        f->TxtUserId->setText(QStringLiteral("D'Angelo"));
        f->TxtUserPassword->setText(QStringLiteral("clave"));
        f->bcAceptar->click();
    });
    ui::ShowModal(&w);
    EXPECT_TRUE(w.Aceptar);
    EXPECT_EQ(ModGlobal::gUsuarioLogeado, QStringLiteral("D'Angelo"));
    EXPECT_EQ(ModGlobal::gPassword, QStringLiteral("clave"));

    dlg.onModal(QStringLiteral("frmAcceso"), [](QWidget* ventana) {
        static_cast<frmAcceso*>(ventana)->bcCancelar->click();
    });
    ui::ShowModal(&w);
    EXPECT_FALSE(w.Aceptar);
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST_F(AccesoTest, BrokenRegistryGoesToTheErrorBox)
{
    Registro("A / S,A,A,,s\r\nB,C\r\n");
    ui::ScriptedSession dlg;
    dlg.expectMsgBox(QString(), ui::vbIgnore).title(QStringLiteral("FormLoad"));
    frmAcceso& w = frmAcceso::Default();
    EXPECT_TRUE(dlg.remaining().isEmpty());
    // Ignore goes on: the complete record is listed and chosen.
    ASSERT_EQ(w.lstBases->count(), 1);
    EXPECT_EQ(w.TxtServidor->text(), QStringLiteral("s"));

    // Looking up a name that is not before the cut record fails in its own box.
    dlg.expectMsgBox(QString(), ui::vbAbort).title(QStringLiteral("DatosBase"));
    w.DatosBase(QStringLiteral("Z"));
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_EQ(w.servidorBuscado(), QStringLiteral("s")) << "nothing found leaves the last values";
}

}  // namespace
