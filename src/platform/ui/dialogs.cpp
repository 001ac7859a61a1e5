// The Qt dialogs: message boxes, input boxes and the open-file dialog with
// the old runtime's numbers and answers, modal windows and the message loop.
#include "platform/ui/dialogs.h"

#include "platform/legacy/program.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <thread>

namespace ui {

namespace {

// The window a box belongs to: the active window when there is one.
QWidget* boxParent()
{
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return nullptr;
    if (QWidget* w = QApplication::activeModalWidget()) return w;
    return QApplication::activeWindow();
}

// The captions a Spanish workstation shows on the runtime's boxes.
QString buttonCaption(int answer)
{
    switch (answer) {
    case vbOK: return QStringLiteral("Aceptar");
    case vbCancel: return QStringLiteral("Cancelar");
    case vbAbort: return QStringLiteral("Anular");
    case vbRetry: return QStringLiteral("Reintentar");
    case vbIgnore: return QStringLiteral("Omitir");
    case vbYes: return QStringLiteral("Sí");
    case vbNo: return QStringLiteral("No");
    }
    return {};
}

QMessageBox::Icon boxIcon(int style)
{
    switch (style & 0x70) {
    case vbCritical: return QMessageBox::Critical;
    case vbQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    }
    return QMessageBox::NoIcon;
}

// Ends a nested loop when its window is hidden, closed or destroyed.
class ModalWatcher : public QObject {
public:
    ModalWatcher(QWidget* window, QEventLoop* loop) : QObject(window), loop_(loop) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Hide && watched == parent()) {
            // Decided after the event has been handled, so the window's own
            // handlers run first; a minimised window is hidden but still
            // counts as shown.
            QPointer<QWidget> window(static_cast<QWidget*>(parent()));
            QEventLoop* loop = loop_;
            QMetaObject::invokeMethod(
                loop,
                [window, loop] {
                    if (!window || !window->isVisible()) loop->quit();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QEventLoop* loop_;
};

class QtDialogs final : public Dialogs {
public:
    int msgBox(const QString& prompt, int style, const QString& title) override
    {
        QMessageBox box(boxParent());
        box.setWindowTitle(boxTitle(title));
        box.setTextFormat(Qt::PlainText);
        box.setText(normalizeLineEnds(prompt));
        box.setIcon(boxIcon(style));
        if (style & vbSystemModal) box.setWindowFlag(Qt::WindowStaysOnTopHint, true);

        // Plain action buttons keep the runtime's order (Abort, Retry, Ignore;
        // Yes, No, Cancel) and stop Qt from choosing an escape button by role:
        // Abort/Retry/Ignore and Yes/No boxes cannot be dismissed.
        const QList<int> answers = msgBoxAnswers(style);
        QList<QPair<QAbstractButton*, int>> buttons;
        for (int answer : answers) {
            QPushButton* b = box.addButton(buttonCaption(answer), QMessageBox::ActionRole);
            buttons.append({b, answer});
        }
        const int def = msgBoxDefaultAnswer(style);
        const int esc = msgBoxEscapeAnswer(style);
        for (const auto& [button, answer] : buttons) {
            if (answer == def) box.setDefaultButton(qobject_cast<QPushButton*>(button));
            if (answer == esc) box.setEscapeButton(button);
        }
        box.exec();
        QAbstractButton* clicked = box.clickedButton();
        for (const auto& [button, answer] : buttons)
            if (button == clicked) return answer;
        // Closed some other way (the window manager): what Escape would give,
        // or the default button for boxes that have no escape answer.
        return esc ? esc : def;
    }

    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override
    {
        bool ok = false;
        const QString text = QInputDialog::getText(boxParent(), boxTitle(title),
                                                   normalizeLineEnds(prompt), QLineEdit::Normal,
                                                   defaultText, &ok);
        return ok ? text : QString();
    }

    QString openFile(const OpenFileRequest& request) override
    {
        return QFileDialog::getOpenFileName(boxParent(), boxTitle(request.title), request.initialDir,
                                            qtFileFilter(request.filter));
    }

    void showModal(QWidget* window) override
    {
        if (!window) return;
        if (auto* dialog = qobject_cast<QDialog*>(window)) {
            dialog->exec();
            return;
        }
        QPointer<QWidget> guard(window);
        QEventLoop loop;
        auto* watcher = new ModalWatcher(window, &loop);
        window->installEventFilter(watcher);
        QObject::connect(window, &QObject::destroyed, &loop, &QEventLoop::quit);
        const Qt::WindowModality before = window->windowModality();
        if (!window->isWindow()) window->setWindowFlag(Qt::Window, true);
        window->setWindowModality(Qt::ApplicationModal);
        window->show();
        if (guard && window->isVisible()) loop.exec(QEventLoop::DialogExec);
        if (guard) {
            window->removeEventFilter(watcher);
            delete watcher;
            window->setWindowModality(before);
        }
    }

    // A yield in a tight loop (a list filled with one after every row) would
    // spend most of the loop's time looking for events that are not there:
    // within a short interval after the last processing a yield returns at
    // once. A yield after a pause, the usual case, processes them as always.
    void doEvents() override
    {
        if (!QCoreApplication::instance()) return;
        if (lastYield_.isValid() && lastYield_.nsecsElapsed() < kYieldIntervalNs) return;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        lastYield_.start();
    }

    void wait(int milliseconds) override
    {
        if (milliseconds <= 0) {
            doEvents();
            return;
        }
        if (!QCoreApplication::instance()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
            return;
        }
        QEventLoop loop;
        QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
        loop.exec();
    }

    void sendTab(QWidget* from) override { moveFocusToNext(from); }

private:
    static constexpr qint64 kYieldIntervalNs = 2'000'000;  // 2 ms
    QElapsedTimer lastYield_;
};

QtDialogs& qtDialogs()
{
    static QtDialogs d;
    return d;
}

Dialogs* current = nullptr;

}  // namespace

Dialogs& dialogs()
{
    return current ? *current : qtDialogs();
}

Dialogs* setDialogs(Dialogs* d)
{
    Dialogs* old = current ? current : &qtDialogs();
    current = (d == &qtDialogs()) ? nullptr : d;
    return old;
}

int MsgBox(const QString& prompt, int style, const QString& title)
{
    return dialogs().msgBox(prompt, style, title);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    return dialogs().inputBox(prompt, title, defaultText);
}

void DoEvents()
{
    dialogs().doEvents();
}

void Sleep(int milliseconds)
{
    dialogs().wait(milliseconds);
}

void ShowModal(QWidget* window)
{
    dialogs().showModal(window);
}

void SendTab(QWidget* from)
{
    dialogs().sendTab(from);
}

QList<int> msgBoxAnswers(int style)
{
    switch (style & 7) {
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    default: return {vbOK};
    }
}

int msgBoxDefaultAnswer(int style)
{
    const QList<int> answers = msgBoxAnswers(style);
    int index = 0;
    if ((style & 0x300) == vbDefaultButton2) index = 1;
    if ((style & 0x300) == vbDefaultButton3) index = 2;
    // A default beyond the last button falls back to the first, as the
    // runtime's boxes do.
    return index < answers.size() ? answers[index] : answers.first();
}

int msgBoxEscapeAnswer(int style)
{
    const QList<int> answers = msgBoxAnswers(style);
    if (answers.size() == 1) return vbOK;
    if (answers.contains(vbCancel)) return vbCancel;
    return 0;
}

QString qtFileFilter(const QString& runtimeFilter)
{
    const QStringList parts = runtimeFilter.split(u'|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (QString p : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            p = p.trimmed();
            if (p.isEmpty()) continue;
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
            for (const QString& v : {p, p.toLower(), p.toUpper()})
                if (!patterns.contains(v)) patterns << v;
        }
        if (patterns.isEmpty()) continue;
        filters << QStringLiteral("%1 (%2)").arg(parts[i].trimmed(), patterns.join(u' '));
    }
    return filters.join(QStringLiteral(";;"));
}

QString boxTitle(const QString& title)
{
    if (!title.isEmpty()) return title;
    const legacy::ProgramInfo& app = legacy::App();
    return app.title.isEmpty() ? app.exeName : app.title;
}

QString normalizeLineEnds(const QString& text)
{
    QString s = text;
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(u'\r', u'\n');
    return s;
}

void moveFocusToNext(QWidget* from)
{
    if (!from && qobject_cast<QApplication*>(QCoreApplication::instance()))
        from = QApplication::focusWidget();
    if (!from) return;
    QWidget* top = from->window();
    // Walk the focus chain of the window: the next widget that takes the focus
    // by Tab, is enabled and can be seen. A chain without such a widget leaves
    // the focus where it is.
    for (QWidget* w = from->nextInFocusChain(); w && w != from; w = w->nextInFocusChain()) {
        if (w->window() != top) continue;
        if (!(w->focusPolicy() & Qt::TabFocus)) continue;
        if (!w->isEnabled() || !w->isVisibleTo(top)) continue;
        if (w->focusProxy()) continue;
        w->setFocus(Qt::TabFocusReason);
        return;
    }
}

}  // namespace ui
