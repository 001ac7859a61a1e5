// The default-instance modal windows: load on first use, modal show through
// the dialogs seam, read back, release; a window closed or released while
// its own loop still fills it; input blocked while code yields for it.
#include "platform/ui/modalform.h"

#include "platform/ui/dialogs.h"
#include "platform/ui/listview.h"
#include "platform/ui/scripted.h"
#include "qt_app.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

// A lookup window as the suite builds them: public variables, a load that
// counts, a filling loop that yields after every row, a button.
class FrmPrueba : public ui::ModalForm {
public:
    FrmPrueba()
    {
        setObjectName("FrmPrueba");
        auto* layout = new QVBoxLayout(this);
        lista = new ui::ListView(this);
        lista->ColumnHeaders().Add(0, {}, "Codigo");
        boton = new QPushButton("&Buscar", this);
        cancelar = new QPushButton("&Cancelar", this);
        layout->addWidget(lista);
        layout->addWidget(boton);
        layout->addWidget(cancelar);
        QObject::connect(boton, &QPushButton::clicked, this, [this] { ++clicks; });
        QObject::connect(cancelar, &QPushButton::clicked, this, [this] { ++cancels; });
        ++instances;
    }
    ~FrmPrueba() override { --instances; }

    // Fills `rows` rows, yielding after each; `during(i)` runs before the
    // yield of row i. Returns the rows added.
    int Llenar(int rows, const std::function<void(int)>& during = {})
    {
        ui::InputBlocker busy(this);
        if (allowCancel) busy.allow(cancelar);
        for (int i = 1; i <= rows; ++i) {
            lista->ListItems().Add(0, {}, QString::number(i));
            if (during) during(i);
            ui::DoEvents();
            if (!busy.alive()) return i;
        }
        return rows;
    }

    QString Respuesta;
    int Parametro = 0;
    int loads = 0;
    int unloads = 0;
    int clicks = 0;
    int cancels = 0;
    bool allowCancel = false;
    int cancelUnload = 0;
    ui::ListView* lista;
    QPushButton* boton;
    QPushButton* cancelar;
    static int instances;

protected:
    void Form_Load() override { ++loads; }
    void Form_Unload(int& Cancel) override
    {
        ++unloads;
        lista->ListItems().Clear();
        Cancel = cancelUnload;
    }
};
int FrmPrueba::instances = 0;

void click(QWidget* w)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(ModalForm, DefaultInstanceLifecycle)
{
    testApp();
    ui::ScriptedSession dlg;
    ui::DefaultInstance<FrmPrueba> frm;
    EXPECT_FALSE(frm.exists());
    // Variables set before the load; the load runs once, at the show.
    frm->Parametro = 7;
    EXPECT_EQ(frm->loads, 0);
    int seenParametro = 0;
    dlg.onModal("FrmPrueba", [&](QWidget* w) {
        auto* f = static_cast<FrmPrueba*>(w);
        seenParametro = f->Parametro;
        f->Respuesta = "A0001";
        f->hide();  // accept: the window only hides
    });
    frm->ShowModal();
    EXPECT_EQ(seenParametro, 7);
    EXPECT_EQ(frm->loads, 1);
    EXPECT_EQ(frm->Respuesta, "A0001");  // read back after the show
    EXPECT_TRUE(frm->Loaded());
    QPointer<FrmPrueba> first = &*frm;
    frm.release();
    EXPECT_TRUE(first.isNull());  // released at once: no code of its own runs
    EXPECT_EQ(FrmPrueba::instances, 0);
    // The next reference is a fresh window with its initial values.
    EXPECT_EQ(frm->Parametro, 0);
    EXPECT_EQ(frm.loaded().loads, 1);
    frm.release();
    EXPECT_TRUE(dlg.remaining().isEmpty());
}

TEST(ModalForm, CloseBoxUnloadsAndUnloadMayBeCancelled)
{
    testApp();
    ui::ScriptedSession dlg;
    ui::DefaultInstance<FrmPrueba> frm;
    frm->cancelUnload = 1;
    dlg.onModal("FrmPrueba", [](QWidget* w) { w->close(); });
    frm->ShowModal();
    EXPECT_EQ(frm->unloads, 1);
    EXPECT_TRUE(frm->Loaded());  // Form_Unload said no
    frm->cancelUnload = 0;
    dlg.onModal("FrmPrueba", [](QWidget* w) { w->close(); });
    frm->ShowModal();
    EXPECT_EQ(frm->unloads, 2);
    EXPECT_FALSE(frm->Loaded());
    EXPECT_FALSE(frm->isVisible());
    // A reference after the unload loads it again.
    EXPECT_EQ(frm.loaded().loads, 2);
    frm.release();
    EXPECT_EQ(FrmPrueba::instances, 0);
}

// The window is closed (its close box) or released while its own loop still
// fills it: the loop stops at its next yield, and the window is deleted only
// after the loop has returned.
TEST(ModalForm, ClosedOrReleasedDuringItsOwnFillingLoop)
{
    testApp();
    struct Case {
        const char* what;
        bool release;
    };
    for (const Case c : {Case{"closed", false}, Case{"released", true}}) {
        ui::ScriptedSession dlg;
        ui::DefaultInstance<FrmPrueba> frm;
        int filled = 0;
        bool aliveAfterRelease = false;
        dlg.onModal("FrmPrueba", [&](QWidget* w) {
            auto* f = static_cast<FrmPrueba*>(w);
            QPointer<FrmPrueba> guard(f);
            filled = f->Llenar(1000, [&](int i) {
                if (i != 10) return;
                // Arrives with the next yield, as the user's click would.
                QTimer::singleShot(0, f, [&, f] {
                    if (c.release)
                        frm.release();
                    else
                        f->close();
                });
            });
            aliveAfterRelease = !guard.isNull();  // still there while its code runs
        });
        frm->ShowModal();
        EXPECT_EQ(filled, 10) << c.what;
        EXPECT_TRUE(aliveAfterRelease) << c.what;
        if (c.release) {
            EXPECT_FALSE(frm.exists()) << c.what;
            flushDeletes();
            EXPECT_EQ(FrmPrueba::instances, 0) << c.what;
        } else {
            EXPECT_FALSE(frm->Loaded()) << c.what;
            EXPECT_EQ(frm->unloads, 1) << c.what;
            frm.release();
            EXPECT_EQ(FrmPrueba::instances, 0) << c.what;
        }
    }
}

// The same through the real nested loop of the Qt dialogs: the user starts
// the filling from the window's button and closes the window meanwhile.
TEST(ModalForm, RealModalLoopClosedWhileFilling)
{
    testApp();
    ui::DefaultInstance<FrmPrueba> frm;
    int filled = 0;
    FrmPrueba& f = *frm;
    QObject::connect(f.boton, &QPushButton::clicked, &f, [&] {
        filled = f.Llenar(100000, [&](int i) {
            if (i == 50) QTimer::singleShot(0, &f, [&] { f.close(); });
        });
    });
    QTimer::singleShot(0, &f, [&] { click(f.boton); });
    f.ShowModal();  // returns once the closed window's loop has ended
    EXPECT_GE(filled, 50);
    EXPECT_LT(filled, 100000);
    EXPECT_FALSE(f.Loaded());
    frm.release();
    EXPECT_EQ(FrmPrueba::instances, 0);
}

TEST(ModalForm, InputIsBlockedWhileCodeYieldsForTheWindow)
{
    testApp();
    ui::ScriptedSession dlg;
    FrmPrueba f;
    f.Load();
    f.show();
    click(f.boton);
    EXPECT_EQ(f.clicks, 1);
    // Clicks during the loop: the blocked button takes none, the one let
    // through (the request of the picker: cancel stops the work) does.
    f.allowCancel = true;
    bool blockedInside = false;
    f.Llenar(3, [&](int i) {
        if (i != 2) return;
        blockedInside = ui::InputBlocker::isBlocked(f.lista);
        click(f.boton);
        click(f.cancelar);
    });
    EXPECT_TRUE(blockedInside);
    EXPECT_EQ(f.clicks, 1);
    EXPECT_EQ(f.cancels, 1);
    // Nested blockers: input comes back only when the outer one ends.
    {
        ui::InputBlocker outer(&f);
        {
            ui::InputBlocker inner(&f);
        }
        EXPECT_TRUE(ui::InputBlocker::isBlocked(f.boton));
    }
    EXPECT_FALSE(ui::InputBlocker::isBlocked(f.boton));
    click(f.boton);
    EXPECT_EQ(f.clicks, 2);
    // A box the blocked window owns (a message box shown meanwhile) takes
    // input; the window itself does not.
    {
        ui::InputBlocker busy(&f);
        QDialog caja(&f);
        auto* aceptar = new QPushButton(QStringLiteral("Aceptar"), &caja);
        EXPECT_FALSE(ui::InputBlocker::isBlocked(aceptar));
        EXPECT_TRUE(ui::InputBlocker::isBlocked(f.boton));
    }
    f.Unload();
}

// A yield after a pause runs what is waiting, as it always did; yields in a
// tight loop run it at least every few milliseconds.
TEST(DoEvents, RunsWaitingEventsWithTheQtDialogs)
{
    testApp();
    ASSERT_EQ(dynamic_cast<ui::ScriptedDialogs*>(&ui::dialogs()), nullptr);
    int fired = 0;
    ui::Sleep(5);
    QTimer::singleShot(0, [&] { ++fired; });
    ui::DoEvents();
    EXPECT_EQ(fired, 1);
    QTimer::singleShot(0, [&] { ++fired; });
    QElapsedTimer t;
    t.start();
    while (fired < 2 && t.elapsed() < 1000) ui::DoEvents();
    EXPECT_EQ(fired, 2);
    EXPECT_LT(t.elapsed(), 100);
}

}  // namespace
