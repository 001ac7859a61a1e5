#include "platform/ui/scripted.h"

#include <QCoreApplication>
#include <QDebug>
#include <QMetaObject>
#include <QPointer>
#include <QWidget>

#include <stdexcept>

namespace ui {

namespace {

QString kindName(ShownBox::Kind kind)
{
    switch (kind) {
    case ShownBox::Message: return QStringLiteral("message box");
    case ShownBox::Input: return QStringLiteral("input box");
    case ShownBox::OpenFile: return QStringLiteral("open-file dialog");
    case ShownBox::Modal: return QStringLiteral("modal window");
    }
    return {};
}

QString quoted(const QString& s)
{
    return u'"' + QString(s).replace(u'\r', QLatin1String("\\r")).replace(u'\n', QLatin1String("\\n")) + u'"';
}

// The window's objectName, its class or any base class.
bool windowMatches(QWidget* w, const QString& name)
{
    if (w->objectName() == name) return true;
    for (const QMetaObject* m = w->metaObject(); m; m = m->superClass())
        if (QLatin1String(m->className()) == name) return true;
    return false;
}

}  // namespace

ScriptedDialogs::~ScriptedDialogs()
{
    for (const QString& r : remaining()) qWarning("scripted dialogs: expected but not shown: %s", qPrintable(r));
}

ScriptedDialogs::Expectation& ScriptedDialogs::Expectation::title(const QString& titleContains)
{
    titleMatch = titleContains;
    return *this;
}

ScriptedDialogs::Expectation& ScriptedDialogs::Expectation::style(int exactStyle)
{
    styleMatch = exactStyle;
    return *this;
}

QString ScriptedDialogs::Expectation::describe() const
{
    QString s = kindName(kind);
    if (kind == ShownBox::Modal)
        s += QStringLiteral(" named ") + quoted(match);
    else if (!match.isEmpty())
        s += QStringLiteral(" containing ") + quoted(match);
    if (titleMatch) s += QStringLiteral(" titled ") + quoted(*titleMatch);
    if (styleMatch) s += QStringLiteral(" with style %1").arg(*styleMatch);
    return s;
}

ScriptedDialogs::Expectation& ScriptedDialogs::push(ShownBox::Kind kind, const QString& match, int answer,
                                                    const QString& text, ModalDriver drive)
{
    Expectation e;
    e.kind = kind;
    e.match = match;
    e.answer = answer;
    e.text = text;
    e.drive = std::move(drive);
    expected_.push_back(std::move(e));
    return expected_.back();
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectMsgBox(const QString& promptContains, int answer)
{
    return push(ShownBox::Message, promptContains, answer);
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectInputBox(const QString& promptContains,
                                                              const QString& answer)
{
    return push(ShownBox::Input, promptContains, 0, answer);
}

ScriptedDialogs::Expectation& ScriptedDialogs::expectOpenFile(const QString& path,
                                                              const QString& titleContains)
{
    return push(ShownBox::OpenFile, titleContains, 0, path);
}

ScriptedDialogs::Expectation& ScriptedDialogs::onModal(const QString& objectNameOrClass, ModalDriver drive)
{
    return push(ShownBox::Modal, objectNameOrClass, 0, {}, std::move(drive));
}

QStringList ScriptedDialogs::shownPrompts() const
{
    QStringList prompts;
    for (const ShownBox& b : shown_)
        if (b.kind == ShownBox::Message) prompts << b.prompt;
    return prompts;
}

QStringList ScriptedDialogs::remaining() const
{
    QStringList out;
    for (const Expectation& e : expected_) out << e.describe();
    return out;
}

void ScriptedDialogs::verifyDone() const
{
    QStringList problems = failures_;
    for (const QString& r : remaining()) problems << QStringLiteral("expected but not shown: ") + r;
    if (!problems.isEmpty())
        throw std::logic_error(("scripted dialogs: " + problems.join(QStringLiteral("; "))).toStdString());
}

void ScriptedDialogs::clear()
{
    expected_.clear();
    shown_.clear();
    failures_.clear();
    doEvents_ = waited_ = tabs_ = 0;
}

void ScriptedDialogs::fail(const QString& message)
{
    failures_ << message;
    throw std::logic_error(("scripted dialogs: " + message).toStdString());
}

ScriptedDialogs::Expectation ScriptedDialogs::take(ShownBox::Kind kind, const QString& what,
                                                   const QString& title,
                                                   const std::function<bool(const Expectation&)>& matches)
{
    const QString shownText = kindName(kind) + u' ' + quoted(what) + QStringLiteral(" titled ") + quoted(title);
    if (expected_.empty()) fail(QStringLiteral("unexpected ") + shownText + QStringLiteral(" (nothing more was expected)"));
    const Expectation& next = expected_.front();
    bool ok = next.kind == kind && matches(next);
    if (ok && next.titleMatch) {
        ok = next.titleMatch->isEmpty() ? title.isEmpty() : title.contains(*next.titleMatch);
    }
    if (!ok) fail(QStringLiteral("unexpected ") + shownText + QStringLiteral("; the next expected was ") + next.describe());
    Expectation e = std::move(expected_.front());
    expected_.pop_front();
    return e;
}

int ScriptedDialogs::msgBox(const QString& prompt, int style, const QString& title)
{
    Expectation e = take(ShownBox::Message, prompt, title, [&](const Expectation& x) {
        return prompt.contains(x.match) && (!x.styleMatch || *x.styleMatch == style);
    });
    ShownBox box;
    box.kind = ShownBox::Message;
    box.prompt = prompt;
    box.title = title;
    box.style = style;
    box.answer = e.answer;
    shown_.append(box);
    if (!msgBoxAnswers(style).contains(e.answer)) {
        fail(QStringLiteral("answer %1 is not a button of message box %2 (style %3)")
                 .arg(e.answer)
                 .arg(quoted(prompt))
                 .arg(style));
    }
    return e.answer;
}

QString ScriptedDialogs::inputBox(const QString& prompt, const QString& title, const QString& defaultText)
{
    Expectation e = take(ShownBox::Input, prompt, title,
                         [&](const Expectation& x) { return prompt.contains(x.match); });
    ShownBox box;
    box.kind = ShownBox::Input;
    box.prompt = prompt;
    box.title = title;
    box.text = e.text;
    box.answer = e.text.isEmpty() ? vbCancel : vbOK;
    Q_UNUSED(defaultText);
    shown_.append(box);
    return e.text;
}

QString ScriptedDialogs::openFile(const OpenFileRequest& request)
{
    Expectation e = take(ShownBox::OpenFile, request.title, request.title,
                         [&](const Expectation& x) { return request.title.contains(x.match); });
    ShownBox box;
    box.kind = ShownBox::OpenFile;
    box.prompt = request.title;
    box.title = request.title;
    box.text = e.text;
    box.answer = e.text.isEmpty() ? vbCancel : vbOK;
    shown_.append(box);
    return e.text;
}

void ScriptedDialogs::showModal(QWidget* window)
{
    if (!window) fail(QStringLiteral("a null window was shown modally"));
    const QString name = window->objectName().isEmpty() ? QString::fromLatin1(window->metaObject()->className())
                                                        : window->objectName();
    Expectation e = take(ShownBox::Modal, name, window->windowTitle(),
                         [&](const Expectation& x) { return windowMatches(window, x.match); });
    ShownBox box;
    box.kind = ShownBox::Modal;
    box.prompt = name;
    box.title = window->windowTitle();
    shown_.append(box);

    // Shown as the real loop would show it, so its show handlers run; after
    // the callback the window counts as closed.
    QPointer<QWidget> guard(window);
    window->show();
    if (e.drive) e.drive(window);
    if (guard && guard->isVisible()) guard->hide();
}

void ScriptedDialogs::doEvents()
{
    ++doEvents_;
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void ScriptedDialogs::wait(int milliseconds)
{
    if (milliseconds > 0) waited_ += milliseconds;
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void ScriptedDialogs::sendTab(QWidget* from)
{
    ++tabs_;
    moveFocusToNext(from);
}

}  // namespace ui
