// The default-instance modal windows and the input blocking of windows for
// which code that yields is running.
#include "platform/ui/modalform.h"

#include "platform/ui/dialogs.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHash>

namespace ui {

namespace {

// Resets a flag when the scope ends, also by an exception.
struct FlagScope {
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    bool& flag_;
};

bool isInputEvent(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::Drop:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}

// The windows whose input is blocked, with how many blockers each has; one
// application-wide filter drops their mouse and key events.
class BlockedWindows : public QObject {
public:
    // Blocked windows, and controls let through, each with its count.
    void block(QWidget* w, bool allowed = false)
    {
        auto& counts = allowed ? allowed_ : counts_;
        if (counts_.isEmpty() && allowed_.isEmpty() && qApp) qApp->installEventFilter(this);
        if (counts[w]++ == 0)
            connect(w, &QObject::destroyed, this, [this, w] { forget(w); });
    }
    void unblock(QWidget* w, bool allowed = false)
    {
        auto& counts = allowed ? allowed_ : counts_;
        auto it = counts.find(w);
        if (it == counts.end()) return;
        if (--*it > 0) return;
        counts.erase(it);
        if (!counts_.contains(w) && !allowed_.contains(w)) disconnect(w, &QObject::destroyed, this, nullptr);
        removeFilterWhenIdle();
    }
    // The nearest of the widget and its parents that is either let through
    // or blocked decides, within the widget's own window: a box or window
    // that a blocked window owns is a window of its own and takes input.
    bool blocked(const QWidget* w) const
    {
        for (; w; w = w->parentWidget()) {
            if (allowed_.contains(w)) return false;
            if (counts_.contains(w)) return true;
            if (w->isWindow()) break;
        }
        return false;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!isInputEvent(event->type()) || !watched->isWidgetType()) return false;
        if (!blocked(static_cast<QWidget*>(watched))) return false;
        // An accepted override keeps a shortcut of the window from firing;
        // the key press that follows is dropped here too.
        if (event->type() == QEvent::ShortcutOverride) event->accept();
        return true;
    }

private:
    void forget(const QWidget* w)
    {
        counts_.remove(w);
        allowed_.remove(w);
        removeFilterWhenIdle();
    }
    void removeFilterWhenIdle()
    {
        if (counts_.isEmpty() && allowed_.isEmpty() && qApp) qApp->removeEventFilter(this);
    }
    QHash<const QWidget*, int> counts_;
    QHash<const QWidget*, int> allowed_;
};

BlockedWindows& blockedWindows()
{
    static BlockedWindows* b = new BlockedWindows;  // lives as long as the program
    return *b;
}

}  // namespace

ModalForm::ModalForm(QWidget* parent) : QWidget(parent, Qt::Window) {}

ModalForm::~ModalForm() = default;

void ModalForm::Load()
{
    if (loaded_ || loading_ || released_) return;
    {
        FlagScope loading(loading_);
        loaded_ = true;
        Form_Load();
    }
    busyEnded();
}

void ModalForm::ShowModal()
{
    Load();
    if (!Alive()) return;
    QPointer<ModalForm> self(this);
    ++modalDepth_;
    struct Depth {
        QPointer<ModalForm>& form;
        ~Depth()
        {
            if (form) {
                --form->modalDepth_;
                form->busyEnded();
            }
        }
    } depth{self};
    ui::ShowModal(this);
}

bool ModalForm::Unload()
{
    if (!loaded_ || unloading_) return true;
    int cancel = 0;
    {
        FlagScope unloading(unloading_);
        Form_Unload(cancel);
    }
    if (cancel != 0 && !released_) return false;
    loaded_ = false;
    hide();
    return true;
}

void ModalForm::Release()
{
    if (released_) return;
    if (loaded_) Unload();
    released_ = true;
    hide();
    if (busy_ > 0 || modalDepth_ > 0 || loading_) return;  // busyEnded finishes it
    delete this;
}

void ModalForm::busyEnded()
{
    // Code that was still running for a released window has returned: the
    // window goes once control is back in the event loop.
    if (released_ && busy_ == 0 && modalDepth_ == 0 && !loading_) deleteLater();
}

void ModalForm::closeEvent(QCloseEvent* event)
{
    if (Unload())
        event->accept();
    else
        event->ignore();
}

InputBlocker::InputBlocker(QWidget* window) : window_(window)
{
    if (!window) return;
    blockedWindows().block(window);
    if (auto* form = qobject_cast<ModalForm*>(window)) ++form->busy_;
}

InputBlocker::~InputBlocker()
{
    for (const QPointer<QWidget>& a : allowed_)
        if (a) blockedWindows().unblock(a, true);
    QWidget* w = window_.data();
    if (!w) return;
    blockedWindows().unblock(w);
    if (auto* form = qobject_cast<ModalForm*>(w)) {
        --form->busy_;
        form->busyEnded();
    }
}

bool InputBlocker::alive() const
{
    QWidget* w = window_.data();
    if (!w) return false;
    if (auto* form = qobject_cast<ModalForm*>(w)) return form->Alive();
    return true;
}

void InputBlocker::allow(QWidget* control)
{
    if (!control || !window_) return;
    allowed_.append(control);
    blockedWindows().block(control, true);
}

bool InputBlocker::isBlocked(const QWidget* widget)
{
    return blockedWindows().blocked(widget);
}

}  // namespace ui
