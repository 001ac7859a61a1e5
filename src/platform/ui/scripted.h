#pragma once
// Scripted dialogs for tests: every box the code shows must have been
// expected, in order, with the answer the test wants; modal windows are
// driven by a callback instead of a nested event loop.
//
//   ui::ScriptedSession dlg;                     // installed until scope exit
//   dlg.expectMsgBox("Desea continuar", ui::vbYes).style(ui::vbYesNo);
//   dlg.onModal("frmAcceso", [](QWidget* w) { ... click its buttons ... });
//   RunTheCode();
//   EXPECT_EQ(dlg.remaining(), QStringList());
//
// A box that was not expected, or whose prompt does not match the next
// expectation, throws std::logic_error naming both; the failure is also kept
// (failures()) in case the code under test swallowed the exception.
#include "platform/ui/dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace ui {

class ScriptedDialogs : public Dialogs {
public:
    using ModalDriver = std::function<void(QWidget*)>;

    // One expected box. The setters narrow the match further.
    class Expectation {
    public:
        // The box's title must contain this text ("" matches only an empty title).
        Expectation& title(const QString& titleContains);
        // The message box's style must be exactly this number.
        Expectation& style(int exactStyle);

    private:
        friend class ScriptedDialogs;
        ShownBox::Kind kind = ShownBox::Message;
        QString match;  // prompt part, or window objectName / class name
        std::optional<QString> titleMatch;
        std::optional<int> styleMatch;
        int answer = 0;
        QString text;
        ModalDriver drive;
        QString describe() const;
    };

    ScriptedDialogs() = default;
    // Warns (qWarning) about anything expected and never shown.
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // A message box whose prompt contains promptContains ("" matches any),
    // answered with `answer`; the answer must be one of the box's buttons.
    Expectation& expectMsgBox(const QString& promptContains, int answer = vbOK);
    // An input box answered with `answer` ("" plays a cancel).
    Expectation& expectInputBox(const QString& promptContains, const QString& answer);
    // An open-file dialog answered with `path` ("" plays a cancel). The match
    // is on the dialog's title.
    Expectation& expectOpenFile(const QString& path, const QString& titleContains = {});
    // A modal window, named by its objectName or its class name (or a base
    // class name); drive types into it and clicks its buttons. The window is
    // shown before and counts as closed after the callback.
    Expectation& onModal(const QString& objectNameOrClass, ModalDriver drive);

    // Every box shown so far, in order.
    const QList<ShownBox>& shown() const { return shown_; }
    // Only the message boxes' prompts, in order.
    QStringList shownPrompts() const;
    // What was expected and never shown, described.
    QStringList remaining() const;
    // Mismatches and unexpected boxes seen so far, described.
    const QStringList& failures() const { return failures_; }
    // Throws std::logic_error when something was expected and not shown, or
    // when a box did not match.
    void verifyDone() const;
    void clear();

    int doEventsCount() const { return doEvents_; }
    int waitedMilliseconds() const { return waited_; }
    int tabsSent() const { return tabs_; }

    int msgBox(const QString& prompt, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) override;
    QString openFile(const OpenFileRequest& request) override;
    void showModal(QWidget* window) override;
    void doEvents() override;
    // Records the time without waiting, so tests stay quick.
    void wait(int milliseconds) override;
    void sendTab(QWidget* from) override;

private:
    Expectation& push(ShownBox::Kind kind, const QString& match, int answer, const QString& text = {},
                      ModalDriver drive = {});
    // The next expectation, which must be of `kind` and match; throws otherwise.
    Expectation take(ShownBox::Kind kind, const QString& what, const QString& title,
                     const std::function<bool(const Expectation&)>& matches);
    [[noreturn]] void fail(const QString& message);

    std::deque<Expectation> expected_;
    QList<ShownBox> shown_;
    QStringList failures_;
    int doEvents_ = 0;
    int waited_ = 0;
    int tabs_ = 0;
};

// Puts dialogs in use for a scope and restores the previous ones at its end.
class DialogsGuard {
public:
    explicit DialogsGuard(Dialogs* d) : previous_(setDialogs(d)) {}
    ~DialogsGuard() { setDialogs(previous_); }
    DialogsGuard(const DialogsGuard&) = delete;
    DialogsGuard& operator=(const DialogsGuard&) = delete;

private:
    Dialogs* previous_;
};

// Scripted dialogs installed for the lifetime of the object.
class ScriptedSession : public ScriptedDialogs {
public:
    ScriptedSession() : guard_(this) {}

private:
    DialogsGuard guard_;
};

}  // namespace ui
