#pragma once
// The old default-instance modal windows, done one way for every window:
//
//   class FrmLoteyPosicion : public ui::ModalForm {
//       void Form_Load() override { ... fill the grid ... }
//       void Form_Unload(int& Cancel) override { ... }
//   public:
//       double Cantidad1 = 0;   // public variables, read back by the caller
//   };
//   ui::DefaultInstance<FrmLoteyPosicion> frmLoteyPosicion;
//
//   frmLoteyPosicion->Cantidad1 = 5;   // first reference: created, not loaded
//   frmLoteyPosicion->Load();          // what touching a control does: Form_Load runs once
//   frmLoteyPosicion->ShowModal();     // loads when needed; returns once hidden or unloaded
//   x = frmLoteyPosicion->Posiciones;  // read back
//   frmLoteyPosicion.release();        // Unload + Set = Nothing
//
// The window ends its modal show by Hide (accept, cancel) or by being
// unloaded (its close box, Unload from code). The show goes through
// ui::ShowModal, so tests script the window with ScriptedDialogs::onModal.
//
// Code that yields (ui::DoEvents) while it works for a window holds an
// InputBlocker for it: the window takes no mouse or key input meanwhile, so
// no click re-enters it, while its close box still works; the code asks
// alive() after each yield and stops once the window was unloaded. A window
// released while such code runs is deleted only after the code is done.
//
//   ui::InputBlocker busy(this);
//   while (!rs.EOF()) {
//       ... add a row ...
//       ui::DoEvents();
//       if (!busy.alive()) return;   // closed meanwhile: touch nothing more
//   }
#include <QList>
#include <QPointer>
#include <QWidget>

namespace ui {

class ModalForm : public QWidget {
    Q_OBJECT
public:
    explicit ModalForm(QWidget* parent = nullptr);
    ~ModalForm() override;

    // Runs Form_Load unless the window is loaded already.
    void Load();
    bool Loaded() const { return loaded_; }
    // Loaded and not being unloaded or released: what a loop that yields
    // asks before it goes on.
    bool Alive() const { return loaded_ && !unloading_ && !released_; }
    // Loads when needed and shows the window modally through the dialogs in
    // use; returns when it is hidden, unloaded or destroyed. A window
    // unloaded by its own Form_Load is not shown.
    void ShowModal();
    // Unload: Form_Unload runs (it may cancel by setting Cancel nonzero) and
    // the window is hidden; its variables stay for the caller to read. A
    // later Load runs Form_Load again. False when the unload was cancelled.
    bool Unload();
    // Set = Nothing: unloads when loaded, then deletes the window; while
    // code that yields holds an InputBlocker for it, or its own modal show
    // is still on the stack, the deletion waits until that is over.
    void Release();
    // Code that yields is running for the window (an InputBlocker is held).
    bool Busy() const { return busy_ > 0; }

protected:
    virtual void Form_Load() {}
    virtual void Form_Unload(int& Cancel) { (void)Cancel; }
    // The close box unloads the window (cancelled when Form_Unload cancels).
    void closeEvent(QCloseEvent* event) override;

private:
    friend class InputBlocker;
    void busyEnded();

    int busy_ = 0;
    int modalDepth_ = 0;
    bool loaded_ = false;
    bool loading_ = false;
    bool unloading_ = false;
    bool released_ = false;
};

// Blocks the mouse and key input of a window (and of everything inside it)
// for its lifetime; blockers nest. For a ModalForm it also marks the window
// busy, so that Release waits for the blocker to end.
class InputBlocker {
public:
    explicit InputBlocker(QWidget* window);
    ~InputBlocker();
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

    // The window still exists, and a ModalForm is still loaded and not
    // released: the code that yields may go on.
    bool alive() const;
    // Lets one control of the window (and what is inside it) keep taking
    // input, such as a cancel button that stops the work, for as long as
    // this blocker lasts.
    void allow(QWidget* control);

    // Whether input to `widget` is blocked now (for tests).
    static bool isBlocked(const QWidget* widget);

private:
    QPointer<QWidget> window_;
    QList<QPointer<QWidget>> allowed_;
};

// The default instance of a window class: created by the first reference,
// released by release() (the next reference creates a fresh one).
template <class Form>
class DefaultInstance {
public:
    DefaultInstance() = default;
    // A window never released is left to the end of the program: default
    // instances are mostly static, and deleting a window while the program's
    // statics are being torn down is not safe.
    ~DefaultInstance() = default;
    DefaultInstance(const DefaultInstance&) = delete;
    DefaultInstance& operator=(const DefaultInstance&) = delete;

    Form& operator*() { return instance(); }
    Form* operator->() { return &instance(); }
    Form& instance()
    {
        if (!form_) form_ = new Form();
        return *form_;
    }
    // The instance, loaded (Form_Load has run).
    Form& loaded()
    {
        Form& f = instance();
        f.Load();
        return f;
    }
    bool exists() const { return !form_.isNull(); }
    // Unload: the instance stays with its variables.
    void unload()
    {
        if (form_) form_->Unload();
    }
    // Unload and Set = Nothing.
    void release()
    {
        if (Form* f = form_.data()) {
            form_.clear();
            f->Release();
        }
    }

private:
    QPointer<Form> form_;
};

}  // namespace ui
