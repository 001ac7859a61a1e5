// The window: layout, the access gate, the field family (colours, Enter),
// Cancelar, and a picture of the window to look at its layout.
#include "entorno_anulacion.h"

#include "platform/kapores2/equipo.h"
#include "platform/legacy/textfile.h"
#include "platform/ui/colors.h"
#include "support/layout_check.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>

using anulaciontest::EntornoAnulacion;

namespace {

class Ventana : public EntornoAnulacion {
protected:
    Form1& Muestra()
    {
        Form1& f = Carga();
        f.show();
        QApplication::setActiveWindow(&f);
        f.txtPassWord->setFocus();
        return f;
    }
    static QWidget* Enter()
    {
        QKeyEvent pulsada(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(QApplication::focusWidget(), &pulsada);
        return QApplication::focusWidget();
    }
};

TEST_F(Ventana, LayoutInTwipsAndStateAtLoad)
{
    Form1& f = Carga();
    EXPECT_EQ(f.windowTitle(), QStringLiteral("ANULACION FISICA DE COMPROBANTES"));
    EXPECT_EQ(f.size(), QSize(432, 200));  // 6480 x 3000 twips
    EXPECT_FALSE(f.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(f.FrmDetalle->geometry(), QRect(8, 32, 417, 161));
    EXPECT_EQ(f.CmdAceptar->geometry(), QRect(72, 136, 89, 17));
    EXPECT_EQ(f.CmdCancelar->geometry(), QRect(248, 168, 89, 17));
    EXPECT_EQ(f.txtPassWord->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, f.txtPassWord), '*');
    EXPECT_EQ(f.txtComplemento->text(), QStringLiteral("0"));
    EXPECT_FALSE(f.FrmDetalle->isEnabled());
    EXPECT_EQ(f.SkinFramework1->property("AppliedWindow").value<QObject*>(), &f) << "styled by the start-up";

    f.Inicializa();
    EXPECT_EQ(f.txtComplemento->text(), QString());
}

TEST_F(Ventana, AccessGateIgnoresCaseButNotBlanks)
{
    Form1& f = Carga();
    const std::pair<const char*, bool> casos[] = {{"gurm@", true},   {"GURM@", true},  {"GuRm@", true},
                                                  {" gurm@", false}, {"gurm@ ", false}, {"gurm@x", false},
                                                  {"gurm", false},   {"", false}};
    for (const auto& [texto, abierta] : casos) {
        f.txtPassWord->setText(QString::fromLatin1(texto));
        EXPECT_EQ(f.FrmDetalle->isEnabled(), abierta) << texto;
    }
    f.txtPassWord->setText("gurm@");
    f.txtPassWord->insert("1");
    EXPECT_FALSE(f.FrmDetalle->isEnabled()) << "one more character locks";
    f.txtPassWord->backspace();
    EXPECT_TRUE(f.FrmDetalle->isEnabled()) << "deleting it unlocks";
}

TEST_F(Ventana, EnterMovesTheFocusAndTheFocusedBoxIsColoured)
{
    Form1& f = Muestra();
    ASSERT_EQ(QApplication::focusWidget(), f.txtPassWord);
    EXPECT_EQ(f.txtPassWord->palette().color(QPalette::Base), ui::toQColor(ModGlobal::CFondo));
    EXPECT_EQ(f.txtPassWord->palette().color(QPalette::Text), ui::toQColor(ModGlobal::CLetra));
    EXPECT_EQ(Enter(), f.CmdCancelar) << "locked: the frame is skipped";
    EXPECT_EQ(f.txtPassWord->palette().color(QPalette::Base), QColor(Qt::white));

    f.txtPassWord->setFocus();
    f.txtPassWord->setText("gurm@");
    for (QWidget* siguiente : {(QWidget*)f.txtTC, (QWidget*)f.txtSUC, (QWidget*)f.txtNRO, (QWidget*)f.txtLetra,
                               (QWidget*)f.txtComplemento, (QWidget*)f.CmdAceptar})
        EXPECT_EQ(Enter(), siguiente) << siguiente->objectName().toStdString();
    EXPECT_EQ(f.txtComplemento->text(), QStringLiteral("0")) << "Enter types nothing";
}

TEST_F(Ventana, CancelarEndsTheProgram)
{
    Form1& f = Muestra();
    int codigo = -1;
    Form1::setFinPrograma([&](int c) { codigo = c; });
    f.CmdCancelar->setFocus();
    Enter();  // the end does not cross the event loop
    EXPECT_EQ(codigo, 0);
    EXPECT_FALSE(f.isVisible());
}

// Writes the window as the operator sees it, unlocked with a voucher typed,
// to <build>/form1.png in the default font (Segoe UI, 9 points) and to
// form1_<points>[_<font>].png in the other fonts and sizes the user may
// choose, to look at the layout. The styling gives a control the user's size
// whenever the control's own font is not above 12 points, and every control
// of this window starts at 9: the user's size is applied whatever it is.
// Below 8 points no text of the suite is legible, so 8 is the smallest size
// the windows are laid out for (decision), here and in the pictures of the
// access and lookup windows.
TEST_F(Ventana, PictureOfTheWindow)
{
    // alto: the height of the font's lines in pixels as installed (Segoe UI
    // is drawn in Liberation Sans, Calibri in DejaVu Sans, Courier New in
    // Liberation Mono); caja: a box is as tall as those lines and its frame
    // (a pixel above and below), and keeps its 285 twips (19 pixels) where
    // they suffice. The rows keep their 5 pixels apart and move down.
    const struct {
        const char* fuente;
        int puntos;
        int alto;
        int caja;
    } casos[] = {{"", 0, 14, 19},        {"", 8, 12, 19},       {"", 12, 17, 19},
                 {"", 14, 21, 23},       {"", 16, 23, 25},      {"Calibri", 12, 19, 21},
                 {"Courier New", 12, 18, 20}};
    for (const auto& c : casos) {
        SCOPED_TRACE(std::string(c.fuente) + ' ' + std::to_string(c.puntos));
        Reinicia();
        const QString usuario = kapores2::Equipo::UsuarioWindows().toUpper();
        QString ini;
        if (c.puntos > 0)
            ini += QStringLiteral("[%1_DEMOFontSize]\r\nFontSize=%2\r\n").arg(usuario).arg(c.puntos);
        if (*c.fuente)
            ini += QStringLiteral("[%1_DEMOFont]\r\nFont=%2\r\n").arg(usuario, QString::fromLatin1(c.fuente));
        if (!ini.isEmpty())
            legacy::WriteAllText(carpeta_.file(QStringLiteral("QM410TX.INI")), ini);
        Muestra();
        Form1& f = Prepara("FP", "1", "100", "A");
        f.txtSUC->setFocus();
        QString archivo = c.puntos ? QStringLiteral("form1_%1").arg(c.puntos) : QStringLiteral("form1");
        if (*c.fuente)
            archivo += u'_' + QString::fromLatin1(c.fuente).replace(u' ', u'_');
        archivo = QDir(QStringLiteral(VORDANE_BINARY_DIR)).filePath(archivo + QStringLiteral(".png"));
        EXPECT_TRUE(f.grab().save(archivo)) << archivo.toStdString();
        ASSERT_EQ(QFontMetrics(f.txtTC->font()).height(), c.alto) << "the font as installed";
        testutil::ExpectWholeLabels(f);
        // the voucher boxes keep their lines and share one column, moved
        // past "COMPLEMENTO"
        const QLineEdit* cajas[] = {f.txtTC, f.txtSUC, f.txtNRO, f.txtLetra, f.txtComplemento};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(QRect(cajas[i]->x(), cajas[i]->y(), 1, cajas[i]->height()),
                      QRect(f.txtTC->x(), 16 + (c.caja + 5) * i, 1, c.caja));
        EXPECT_GT(f.txtTC->x(), f.Label1[5]->geometry().right());
        EXPECT_EQ(f.txtPassWord->height(), c.caja);
        // the frame moves down by what the password row grew; "&Aceptar"
        // keeps its 5 pixels below the last row, "&Cancelar" its line beside
        // it, on the frame above its bottom border; the window keeps its 7
        // pixels below the frame
        EXPECT_EQ(f.FrmDetalle->y(), 32 + c.caja - 19);
        EXPECT_EQ(f.CmdAceptar->y(), 16 + (c.caja + 5) * 5);
        EXPECT_EQ(f.CmdCancelar->y(), f.FrmDetalle->y() + f.CmdAceptar->y());
        EXPECT_TRUE(testutil::layout::LiesOn(*f.CmdCancelar, *f.FrmDetalle, f)) << "clear of the frame's border";
        EXPECT_EQ(f.height(), f.FrmDetalle->geometry().bottom() + 1 + 7);
        if (c.puntos == 0) {
            // where the font fits, the password box and the buttons keep
            // their places in twips
            EXPECT_EQ(f.txtPassWord->geometry(), QRect(80, 8, 153, 19));
            EXPECT_EQ(f.CmdAceptar->geometry(), QRect(72, 136, 89, 17));
            EXPECT_EQ(f.CmdCancelar->geometry(), QRect(248, 168, 89, 17));
        }
    }
}

}  // namespace
