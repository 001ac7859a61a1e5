// The Qt dialogs in offscreen mode: a timer answers the box that is up.
#include "platform/ui/dialogs.h"

#include "platform/legacy/program.h"
#include "qt_app.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs `act` on the first modal widget once it is up.
void whenModal(std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

struct Visto {
    QStringList botones;
    QString porDefecto;
    QString titulo;
    QString texto;
    QMessageBox::Icon icono = QMessageBox::NoIcon;
    bool siguioTrasEscape = false;
    QStringList orden;  // the buttons as they stand
};

// Shows a box of `style`, records it and presses the button captioned `pulsar`
// (or Escape when `pulsar` is empty).
int muestra(int style, const QString& pulsar, Visto& visto, const QString& prompt = "Texto", const QString& title = "T")
{
    whenModal([&visto, pulsar](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        for (QAbstractButton* b : box->findChildren<QPushButton*>()) visto.orden << b->text();
        for (QAbstractButton* b : box->buttons()) visto.botones << b->text();
        std::sort(visto.botones.begin(), visto.botones.end());
        visto.porDefecto = box->defaultButton() ? box->defaultButton()->text() : QString();
        visto.titulo = box->windowTitle();
        visto.texto = box->text();
        visto.icono = box->icon();
        if (pulsar.isEmpty()) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(box, &esc);
            // A box that cannot be dismissed stays up: press its default.
            visto.siguioTrasEscape = box->isVisible();
            if (box->isVisible()) box->defaultButton()->click();
            return;
        }
        for (QAbstractButton* b : box->buttons())
            if (b->text() == pulsar) b->click();
    });
    return ui::MsgBox(prompt, style, title);
}

TEST(QtMsgBox, StylesGiveTheirButtonsAndAnswers)
{
    testApp();
    struct Caso {
        int style;
        QStringList botones;  // sorted
        const char* pulsar;
        int respuesta;
        const char* porDefecto;
    };
    const Caso casos[] = {
        {ui::vbOKOnly, {"Aceptar"}, "Aceptar", ui::vbOK, "Aceptar"},
        {ui::vbOKCancel, {"Aceptar", "Cancelar"}, "Cancelar", ui::vbCancel, "Aceptar"},
        {ui::vbAbortRetryIgnore + ui::vbCritical, {"Anular", "Omitir", "Reintentar"}, "Reintentar", ui::vbRetry,
         "Anular"},
        {ui::vbAbortRetryIgnore + ui::vbDefaultButton3, {"Anular", "Omitir", "Reintentar"}, "Omitir", ui::vbIgnore,
         "Omitir"},
        {ui::vbYesNoCancel + ui::vbDefaultButton2, {"Cancelar", "No", "Sí"}, "Sí", ui::vbYes, "No"},
        {ui::vbYesNo + ui::vbQuestion + ui::vbDefaultButton2, {"No", "Sí"}, "No", ui::vbNo, "No"},
        {ui::vbRetryCancel, {"Cancelar", "Reintentar"}, "Reintentar", ui::vbRetry, "Reintentar"},
        {ui::vbOKOnly + ui::vbDefaultButton3, {"Aceptar"}, "Aceptar", ui::vbOK, "Aceptar"},
    };
    for (const Caso& c : casos) {
        Visto v;
        EXPECT_EQ(muestra(c.style, QString::fromUtf8(c.pulsar), v), c.respuesta) << "style " << c.style;
        EXPECT_EQ(v.botones, c.botones) << "style " << c.style;
        EXPECT_EQ(v.porDefecto, QString::fromUtf8(c.porDefecto)) << "style " << c.style;
    }
}

TEST(QtMsgBox, IconsTitleAndText)
{
    testApp();
    const std::pair<int, QMessageBox::Icon> iconos[] = {
        {ui::vbCritical, QMessageBox::Critical},
        {ui::vbQuestion, QMessageBox::Question},
        {ui::vbExclamation, QMessageBox::Warning},
        {ui::vbInformation, QMessageBox::Information},
        {0, QMessageBox::NoIcon},
    };
    for (const auto& [style, icono] : iconos) {
        Visto v;
        muestra(style, "Aceptar", v);
        EXPECT_EQ(v.icono, icono) << style;
    }

    // An empty title shows the program's title; CR alone ends a line; text is
    // shown as it is, never as markup.
    legacy::ProgramInfo previo = legacy::App();
    legacy::ProgramInfo info = previo;
    info.title = "ANULACION FISICA DE COMPROBANTES";
    legacy::setApp(info);
    Visto v;
    muestra(0, "Aceptar", v, "Opcion no Implementada!\rComuniquese <b>ya</b>", "");
    legacy::setApp(previo);
    EXPECT_EQ(v.titulo, "ANULACION FISICA DE COMPROBANTES");
    EXPECT_EQ(v.texto, "Opcion no Implementada!\nComuniquese <b>ya</b>");
}

TEST(QtMsgBox, EscapeGivesCancelOnlyWhereTheBoxOffersIt)
{
    testApp();
    Visto v1, v2, v3, v4, v5;
    EXPECT_EQ(muestra(ui::vbOKCancel, "", v1), ui::vbCancel);
    EXPECT_FALSE(v1.siguioTrasEscape);
    EXPECT_EQ(muestra(ui::vbOKOnly, "", v2), ui::vbOK);
    EXPECT_EQ(muestra(ui::vbYesNoCancel + ui::vbDefaultButton1, "", v3), ui::vbCancel);
    // Abort/Retry/Ignore and Yes/No cannot be dismissed: the box stays up
    // and the helper then presses the default.
    EXPECT_EQ(muestra(ui::vbAbortRetryIgnore + ui::vbDefaultButton2, "", v4), ui::vbRetry);
    EXPECT_TRUE(v4.siguioTrasEscape);
    EXPECT_EQ(muestra(ui::vbYesNo, "", v5), ui::vbYes);
    EXPECT_TRUE(v5.siguioTrasEscape);
    EXPECT_EQ(v4.orden, QStringList({"Anular", "Reintentar", "Omitir"}));
    EXPECT_EQ(v3.orden, QStringList({"Sí", "No", "Cancelar"}));
}

TEST(QtInputBox, AnswerAndCancel)
{
    testApp();
    whenModal([](QWidget* w) {
        auto* d = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->textValue(), "inicial");
        d->setTextValue("escrito");
        d->accept();
    });
    EXPECT_EQ(ui::InputBox("ingrese el password:", "Password Access", "inicial"), "escrito");

    whenModal([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
    EXPECT_EQ(ui::InputBox("ingrese el password:", "Password Access", "inicial"), "");
}

TEST(QtShowModal, ReturnsWhenTheWindowIsHidden)
{
    testApp();
    QWidget w;
    w.setObjectName("ventana");
    QTimer::singleShot(20, &w, [&w] {
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
        w.hide();
    });
    ui::ShowModal(&w);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.windowModality(), Qt::NonModal);

    QWidget c;
    QTimer::singleShot(20, &c, [&c] { c.close(); });
    ui::ShowModal(&c);
    EXPECT_FALSE(c.isVisible());
}

TEST(QtShowModal, WindowDeletedOnCloseEndsTheLoop)
{
    testApp();
    auto* w = new QWidget;
    w->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<QWidget> guard(w);
    QTimer::singleShot(20, w, [w] { w->close(); });
    ui::ShowModal(w);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

TEST(QtWait, EventsFlowWhileWaiting)
{
    testApp();
    bool corrio = false;
    QTimer::singleShot(5, [&corrio] { corrio = true; });
    ui::Sleep(50);
    EXPECT_TRUE(corrio);
}

TEST(MsgBoxStyles, AnswersDefaultsAndEscape)
{
    EXPECT_EQ(ui::msgBoxAnswers(18), QList<int>({ui::vbAbort, ui::vbRetry, ui::vbIgnore}));
    EXPECT_EQ(ui::msgBoxDefaultAnswer(ui::vbYesNo + ui::vbDefaultButton2), ui::vbNo);
    EXPECT_EQ(ui::msgBoxDefaultAnswer(ui::vbYesNo + ui::vbDefaultButton3), ui::vbYes);
    EXPECT_EQ(ui::msgBoxEscapeAnswer(ui::vbYesNo), 0);
    EXPECT_EQ(ui::msgBoxEscapeAnswer(ui::vbYesNoCancel), ui::vbCancel);
    EXPECT_EQ(ui::msgBoxEscapeAnswer(ui::vbAbortRetryIgnore), 0);
    EXPECT_EQ(ui::normalizeLineEnds("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

TEST(FileFilter, RuntimeFilterToQt)
{
    const std::pair<const char*, const char*> casos[] = {
        {"Base de Datos de Microsoft Access |*.MDB", "Base de Datos de Microsoft Access (*.MDB *.mdb)"},
        {"Bases Access|*.mdb|Todos|*.*", "Bases Access (*.mdb *.MDB);;Todos (*)"},
        {"Textos|*.txt;*.Log", "Textos (*.txt *.TXT *.Log *.log *.LOG)"},
        {"Sin patron", ""},
        {"", ""},
    };
    for (const auto& [runtime, qt] : casos) EXPECT_EQ(ui::qtFileFilter(runtime), qt) << runtime;
}

}  // namespace
