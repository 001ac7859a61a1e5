#pragma once
// Every message box, input box, file dialog and modal window goes through
// here, so that tests can script the answers and see every box shown.
#include <QString>
#include <QList>
#include <QStringList>

#include <functional>

class QWidget;

namespace ui {

// Message box styles of the old runtime.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbApplicationModal = 0,
    vbSystemModal = 4096,
};

// Answers.
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

struct OpenFileRequest {
    QString title;
    QString filter;       // "Bases Access|*.mdb|Todos|*.*" as the runtime writes it
    QString initialDir;
};

// What a box looked like, for tests.
struct ShownBox {
    enum Kind { Message, Input, OpenFile, Modal } kind = Message;
    QString prompt;   // message text, input prompt, dialog title or window's objectName
    QString title;
    int style = 0;
    int answer = 0;
    QString text;     // the input box's or the file dialog's answer
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual int msgBox(const QString& prompt, int style, const QString& title) = 0;
    // "" when cancelled.
    virtual QString inputBox(const QString& prompt, const QString& title, const QString& defaultText) = 0;
    // The chosen path; "" when nothing was chosen.
    virtual QString openFile(const OpenFileRequest& request) = 0;
    // Shows the window modally and returns when it is hidden or closed.
    virtual void showModal(QWidget* window) = 0;
    // DoEvents: lets queued events run.
    virtual void doEvents() = 0;
    // Waits ms milliseconds while events keep flowing.
    virtual void wait(int milliseconds) = 0;
    // SendKeys "{TAB}": moves the focus to the next control.
    virtual void sendTab(QWidget* from) = 0;
};

// The dialogs in use: the Qt ones unless a test has put scripted ones in.
Dialogs& dialogs();
// Replaces the dialogs in use (nullptr restores the Qt ones); returns the old.
Dialogs* setDialogs(Dialogs* d);

// The runtime's names. An empty title shows the program's title.
int MsgBox(const QString& prompt, int style = vbOKOnly, const QString& title = {});
QString InputBox(const QString& prompt, const QString& title = {}, const QString& defaultText = {});
void DoEvents();
void Sleep(int milliseconds);  // waits with events flowing
void ShowModal(QWidget* window);
void SendTab(QWidget* from);

// What a message box style offers, in the order the buttons stand: the
// answer codes of its buttons, the answer of its default button and the
// answer that Escape or the close button gives (0 when the box cannot be
// dismissed that way, as with Abort/Retry/Ignore and Yes/No).
QList<int> msgBoxAnswers(int style);
int msgBoxDefaultAnswer(int style);
int msgBoxEscapeAnswer(int style);
// The runtime's filter text as Qt writes it: "Desc|*.ext;*.EXT|Todos|*.*"
// -> "Desc (*.ext *.EXT);;Todos (*)". The suite writes its patterns in
// capitals and Linux file names are mostly lower case, so both spellings go in.
QString qtFileFilter(const QString& runtimeFilter);
// The title a box shows: the given one, or the program's title when empty.
QString boxTitle(const QString& title);
// The runtime's texts end lines with CR alone or CR LF; plain "\n" for Qt.
QString normalizeLineEnds(const QString& text);
// Moves the focus from `from` (the focused widget when null) to the next
// control of its window that takes the focus by Tab.
void moveFocusToNext(QWidget* from);

}  // namespace ui
