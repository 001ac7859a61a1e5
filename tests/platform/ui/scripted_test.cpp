#include "platform/ui/scripted.h"

#include "qt_app.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ScriptedDialogs, AnswersInOrderAndRecordsEveryBox)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox("Desea continuar", ui::vbNo).style(ui::vbYesNo + ui::vbQuestion).title("Atencion");
    dlg.expectInputBox("ingrese el password", "secreto");
    dlg.expectMsgBox("", ui::vbOK);  // any prompt

    EXPECT_EQ(ui::MsgBox("¿Desea continuar?", ui::vbYesNo + ui::vbQuestion, "Atencion"), ui::vbNo);
    EXPECT_EQ(ui::InputBox("ingrese el password:", "Password Access"), "secreto");
    EXPECT_EQ(ui::MsgBox("Listo"), ui::vbOK);

    ASSERT_EQ(dlg.shown().size(), 3);
    EXPECT_EQ(dlg.shown()[0].kind, ui::ShownBox::Message);
    EXPECT_EQ(dlg.shown()[0].style, ui::vbYesNo + ui::vbQuestion);
    EXPECT_EQ(dlg.shown()[0].answer, ui::vbNo);
    EXPECT_EQ(dlg.shown()[1].kind, ui::ShownBox::Input);
    EXPECT_EQ(dlg.shown()[1].title, "Password Access");
    EXPECT_EQ(dlg.shown()[2].title, "");  // the box's own title is kept as given
    EXPECT_EQ(dlg.shownPrompts(), QStringList({"¿Desea continuar?", "Listo"}));
    EXPECT_TRUE(dlg.remaining().isEmpty());
    EXPECT_NO_THROW(dlg.verifyDone());
}

TEST(ScriptedDialogs, UnexpectedOrMismatchedBoxesFailLoudly)
{
    struct Caso {
        const char* nombre;
        std::function<void(ui::ScriptedDialogs&)> guion;
        std::function<void()> accion;
        const char* enElMensaje;
    };
    const Caso casos[] = {
        {"nothing expected", [](ui::ScriptedDialogs&) {}, [] { ui::MsgBox("Hola"); }, "nothing more was expected"},
        {"other prompt", [](ui::ScriptedDialogs& d) { d.expectMsgBox("Adios"); }, [] { ui::MsgBox("Hola"); },
         "Adios"},
        {"other kind", [](ui::ScriptedDialogs& d) { d.expectInputBox("Hola", "x"); }, [] { ui::MsgBox("Hola"); },
         "input box"},
        {"other style", [](ui::ScriptedDialogs& d) { d.expectMsgBox("Hola").style(ui::vbYesNo); },
         [] { ui::MsgBox("Hola", ui::vbOKCancel); }, "style 4"},
        {"other title", [](ui::ScriptedDialogs& d) { d.expectMsgBox("Hola").title("Atencion"); },
         [] { ui::MsgBox("Hola", 0, "Aviso"); }, "Atencion"},
        {"answer not offered", [](ui::ScriptedDialogs& d) { d.expectMsgBox("Hola", ui::vbYes); },
         [] { ui::MsgBox("Hola", ui::vbOKOnly); }, "not a button"},
    };
    for (const Caso& c : casos) {
        ui::ScriptedSession dlg;
        c.guion(dlg);
        try {
            c.accion();
            ADD_FAILURE() << c.nombre << ": no failure";
        } catch (const std::logic_error& e) {
            EXPECT_NE(std::string(e.what()).find(c.enElMensaje), std::string::npos) << c.nombre << ": " << e.what();
        }
        // The failure is kept even if the code under test had swallowed it.
        EXPECT_FALSE(dlg.failures().isEmpty()) << c.nombre;
        EXPECT_THROW(dlg.verifyDone(), std::logic_error) << c.nombre;
    }
}

TEST(ScriptedDialogs, ExpectedButNeverShown)
{
    ui::ScriptedSession dlg;
    dlg.expectMsgBox("primero");
    dlg.expectOpenFile("/x.mdb", "Buscar");
    ui::MsgBox("el primero");
    EXPECT_EQ(dlg.remaining(), QStringList({"open-file dialog containing \"Buscar\""}));
    EXPECT_THROW(dlg.verifyDone(), std::logic_error);
}

TEST(ScriptedDialogs, GuardRestoresThePreviousDialogs)
{
    ui::Dialogs* antes = &ui::dialogs();
    {
        ui::ScriptedDialogs externos;
        ui::DialogsGuard g1(&externos);
        EXPECT_EQ(&ui::dialogs(), &externos);
        {
            ui::ScriptedSession interno;
            EXPECT_EQ(&ui::dialogs(), &interno);
        }
        EXPECT_EQ(&ui::dialogs(), &externos);
    }
    EXPECT_EQ(&ui::dialogs(), antes);
}

TEST(ScriptedDialogs, WaitsAndEventsAreCountedNotSpent)
{
    ui::ScriptedSession dlg;
    ui::Sleep(5000);
    ui::Sleep(250);
    ui::DoEvents();
    EXPECT_EQ(dlg.waitedMilliseconds(), 5250);
    EXPECT_EQ(dlg.doEventsCount(), 1);
}

// A small login window, as the program's modal windows are built.
class Acceso : public QDialog {
public:
    Acceso()
    {
        setObjectName("frmAcceso");
        setWindowTitle("Acceso");
        auto* l = new QVBoxLayout(this);
        usuario = new QLineEdit(this);
        clave = new QLineEdit(this);
        auto* ok = new QPushButton("&Aceptar", this);
        ok->setObjectName("CmdAceptar");
        l->addWidget(usuario);
        l->addWidget(clave);
        l->addWidget(ok);
        connect(ok, &QPushButton::clicked, this, [this] {
            aceptar = true;
            hide();
        });
    }
    void showEvent(QShowEvent* e) override
    {
        ++mostrado;
        QDialog::showEvent(e);
    }
    QLineEdit* usuario;
    QLineEdit* clave;
    bool aceptar = false;
    int mostrado = 0;
};

TEST(ScriptedDialogs, ModalWindowsAreDrivenByTheCallback)
{
    testApp();
    ui::ScriptedSession dlg;
    dlg.onModal("frmAcceso", [](QWidget* w) {
        auto* a = static_cast<Acceso*>(w);
        EXPECT_TRUE(a->isVisible());
        a->usuario->setText("ana");
        a->findChild<QPushButton*>("CmdAceptar")->click();
    });
    dlg.onModal("QDialog", [](QWidget*) {});  // by a base class; closed without a click

    Acceso a;
    ui::ShowModal(&a);
    EXPECT_TRUE(a.aceptar);
    EXPECT_EQ(a.usuario->text(), "ana");
    EXPECT_FALSE(a.isVisible());
    EXPECT_EQ(a.mostrado, 1);

    Acceso b;
    ui::ShowModal(&b);
    EXPECT_FALSE(b.aceptar);
    EXPECT_FALSE(b.isVisible());  // counts as closed after the callback

    ASSERT_EQ(dlg.shown().size(), 2);
    EXPECT_EQ(dlg.shown()[0].kind, ui::ShownBox::Modal);
    EXPECT_EQ(dlg.shown()[0].prompt, "frmAcceso");
    EXPECT_EQ(dlg.shown()[0].title, "Acceso");
    EXPECT_NO_THROW(dlg.verifyDone());
}

TEST(ScriptedDialogs, UnexpectedModalWindowFails)
{
    testApp();
    ui::ScriptedSession dlg;
    dlg.onModal("frmOtra", [](QWidget*) {});
    Acceso a;
    EXPECT_THROW(ui::ShowModal(&a), std::logic_error);
    EXPECT_FALSE(a.isVisible());
}

TEST(SendTab, MovesTheFocusToTheNextControl)
{
    testApp();
    ui::ScriptedSession dlg;
    QWidget w;
    auto* l = new QVBoxLayout(&w);
    auto* a = new QLineEdit(&w);
    auto* apagado = new QLineEdit(&w);
    auto* b = new QLineEdit(&w);
    auto* oculto = new QLineEdit(&w);
    l->addWidget(a);
    l->addWidget(apagado);
    l->addWidget(b);
    l->addWidget(oculto);
    apagado->setEnabled(false);
    oculto->hide();
    w.show();
    a->setFocus();
    ui::SendTab(a);
    EXPECT_EQ(w.focusWidget(), b);  // the disabled box is passed over
    ui::SendTab(b);
    EXPECT_EQ(w.focusWidget(), a);  // the hidden one too, and round again
    EXPECT_EQ(dlg.tabsSent(), 2);
}

}  // namespace
