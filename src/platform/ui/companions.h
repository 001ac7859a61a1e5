#pragma once
// The smaller controls that sit beside the grids and lists: status bar, tab
// control, tool bar, horizontal scroll bar, a control array of combo boxes
// and the serial-port control. Each carries the old control's names;
// positions and sizes are twips, colours the old BGR values. Handlers are
// public std::function members named after the old events.
#include "platform/ui/colors.h"
#include "platform/ui/controlsupport.h"
#include "platform/ui/textwidth.h"

#include <QComboBox>
#include <QPointer>
#include <QScrollBar>
#include <QStatusBar>
#include <QString>
#include <QTabWidget>
#include <QToolBar>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QKeyEvent;
class QLabel;

namespace ui {

// A 1-based collection of the items of a control. An index outside
// 1..Count throws 35600.
template <class T>
class OneBased {
public:
    long Count() const { return long(items_.size()); }
    T& Item(long index)
    {
        if (index < 1 || index > Count())
            raiseControlError(errIndexOutOfBounds);
        return *items_[std::size_t(index - 1)];
    }
    T& operator()(long index) { return Item(index); }

protected:
    std::vector<std::unique_ptr<T>> items_;
};

// ---------------------------------------------------------------- status bar

class StatusBar;

class Panel {
public:
    long Index() const { return index_; }
    QString Text() const;
    void setText(const QString& text);
    QString Key() const { return key_; }
    void setKey(const QString& key) { key_ = key; }
    long Width() const;  // twips
    void setWidth(long twips);

private:
    friend class Panels;
    Panel(long index, QLabel* label) : index_(index), label_(label) {}
    long index_;
    QLabel* label_;
    QString key_;
};

// The panels, 1-based.
class Panels : public OneBased<Panel> {
public:
    // Appends a panel.
    Panel& Add(const QString& key = {}, const QString& text = {});
    void Clear();

private:
    friend class StatusBar;
    explicit Panels(StatusBar* owner) : owner_(owner) {}
    StatusBar* owner_;
};

class StatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);
    ~StatusBar() override;
    ui::Panels& Panels() { return panels_; }

private:
    ui::Panels panels_;
};

// ----------------------------------------------------------------- tab control

// Tabs count from 0; an index outside 0..Tabs - 1 throws 381.
class SSTab : public QTabWidget {
    Q_OBJECT
public:
    explicit SSTab(QWidget* parent = nullptr);

    // The number of tabs; growing adds empty pages captioned "Tab n".
    int Tabs() const;
    void setTabs(int count);
    // The page of tab i, to place the tab's controls on.
    QWidget* Page(int index) const;
    bool TabVisible(int index) const;
    void setTabVisible(int index, bool visible);
    QString TabCaption(int index) const;
    void setTabCaption(int index, const QString& caption);
    // The tab shown. Setting it from code fires no handler.
    int Tab() const;
    void setTab(int index);

    // The user chose another tab; the argument is the tab shown before.
    std::function<void(int PreviousTab)> onClick;

private:
    void checkIndex(int index) const;
    int shown_ = 0;
};

// -------------------------------------------------------------------- tool bar

class Toolbar;

class Button {
public:
    long Index() const { return index_; }
    QString Key() const { return key_; }
    QString Caption() const;
    void setCaption(const QString& caption);
    QString ToolTipText() const;
    void setToolTipText(const QString& text);
    bool Enabled() const;
    void setEnabled(bool enabled);
    bool Visible() const;
    void setVisible(bool visible);
    QAction* action() const { return action_; }

private:
    friend class Buttons;
    Button(long index, QString key, QAction* action) : index_(index), key_(std::move(key)), action_(action) {}
    long index_;
    QString key_;
    QAction* action_;
    QString toolTip_;
};

// The buttons, 1-based.
class Buttons : public OneBased<Button> {
public:
    // Appends a button.
    Button& Add(const QString& key = {}, const QString& caption = {}, const QString& toolTipText = {});
    void Clear();

private:
    friend class Toolbar;
    explicit Buttons(Toolbar* owner) : owner_(owner) {}
    Toolbar* owner_;
};

class Toolbar : public QToolBar {
    Q_OBJECT
public:
    explicit Toolbar(QWidget* parent = nullptr);
    ~Toolbar() override;
    ui::Buttons& Buttons() { return buttons_; }

    // The user clicked an enabled button.
    std::function<void(Button& button)> onButtonClick;

private:
    ui::Buttons buttons_;
};

// ---------------------------------------------------------- horizontal scroll bar

class HScrollBar : public QScrollBar, public TwipsPlacement<HScrollBar> {
    Q_OBJECT
public:
    explicit HScrollBar(QWidget* parent = nullptr);

    // A Value outside Min..Max throws 380. Changing Min or Max brings Value
    // inside the new range.
    int Value() const;
    void setValue(int value);
    int Min() const;
    void setMin(int value);
    int Max() const;
    void setMax(int value);
    int SmallChange() const;
    void setSmallChange(int value);
    int LargeChange() const;
    void setLargeChange(int value);


    // Value changed, by the user or by code (as the old control's Change).
    std::function<void()> onChange;
};

// --------------------------------------------------------- combo box control array

class ComboBoxArray;

class ComboBox : public QComboBox, public TwipsPlacement<ComboBox> {
    Q_OBJECT
public:
    int Index() const { return index_; }

    QString Text() const;
    void setText(const QString& text);
    QString Tag() const { return tag_; }
    void setTag(const QString& tag) { tag_ = tag; }
    QString ToolTipText() const;
    void setToolTipText(const QString& text);
    VbColor BackColor() const;
    void setBackColor(VbColor color);
    bool Visible() const;
    bool Enabled() const;

    // The list of the box.
    void AddItem(const QString& item);
    void Clear();
    int ListCount() const;
    int ListIndex() const;
    void setListIndex(int index);  // -1 none; outside the list throws 380
    QString List(int index) const;


    void SetFocus();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class ComboBoxArray;
    ComboBox(ComboBoxArray* owner, int index, QWidget* parent);
    ComboBoxArray* owner_;
    int index_;
    QString tag_;
    VbColor backColor_;
};

// Element 0 exists from the start (the designed box); Load(i) adds element
// i as a copy of element 0 (parent, font, size, place, tool tip, tag),
// hidden as the old runtime left loaded elements. Loading an index that is
// loaded throws 360; reaching or unloading one that is not throws 340.
class ComboBoxArray {
public:
    explicit ComboBoxArray(QWidget* parent);
    ~ComboBoxArray();
    ComboBoxArray(const ComboBoxArray&) = delete;
    ComboBoxArray& operator=(const ComboBoxArray&) = delete;

    ComboBox& operator()(int index) const;
    void Load(int index);
    void Unload(int index);  // element 0 cannot be unloaded (362)
    bool IsLoaded(int index) const;
    int Count() const { return int(items_.size()); }
    int LBound() const;
    int UBound() const;

    // Handlers for every element; Index names the element.
    std::function<void(int Index)> onChange;  // the text changed (user or code)
    std::function<void(int Index)> onClick;   // an entry of the list was chosen
    std::function<void(int Index)> onGotFocus;
    std::function<void(int Index)> onLostFocus;
    std::function<void(int Index, int& KeyCode, int Shift)> onKeyDown;
    std::function<void(int Index, int& KeyAscii)> onKeyPress;

private:
    std::map<int, QPointer<ComboBox>> items_;
};

// --------------------------------------------------------------- serial port

// The serial-port control as the sales-entry window declares it: its
// properties are stored, and it never opens a port nor raises OnComm.
class MSComm {
public:
    int CommPort() const { return commPort_; }
    void setCommPort(int port) { commPort_ = port; }
    QString Settings() const { return settings_; }
    void setSettings(const QString& settings) { settings_ = settings; }
    bool PortOpen() const { return portOpen_; }
    void setPortOpen(bool open) { portOpen_ = open; }  // stored; nothing opens
    int CommEvent() const { return 0; }

    std::function<void()> onComm;

private:
    int commPort_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    bool portOpen_ = false;
};

}  // namespace ui
