#include "platform/ui/companions.h"

#include "platform/legacy/textfile.h"
#include "platform/legacy/vberror.h"
#include "platform/ui/controlsupport.h"
#include "platform/ui/keys.h"
#include "platform/ui/textwidth.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace ui {

// ---------------------------------------------------------------- status bar

QString Panel::Text() const { return label_->text(); }
void Panel::setText(const QString& text) { label_->setText(text); }
long Panel::Width() const { return twipsWidth(*label_); }
void Panel::setWidth(long twips) { label_->setFixedWidth(twipsToPixels(twips)); }

Panel& Panels::Add(const QString& key, const QString& text)
{
    auto* label = new QLabel(owner_);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    owner_->addPermanentWidget(label, 1);
    items_.push_back(std::unique_ptr<Panel>(new Panel(long(items_.size()) + 1, label)));
    Panel& p = *items_.back();
    p.setKey(key);
    p.setText(text);
    return p;
}

void Panels::Clear()
{
    for (auto& p : items_) {
        owner_->removeWidget(p->label_);
        delete p->label_;
    }
    items_.clear();
}

StatusBar::StatusBar(QWidget* parent) : QStatusBar(parent), panels_(this)
{
    setSizeGripEnabled(false);
}

StatusBar::~StatusBar() = default;

// ----------------------------------------------------------------- tab control

SSTab::SSTab(QWidget* parent) : QTabWidget(parent)
{
    connect(this, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (index < 0 || index == shown_)
            return;
        const int previous = shown_;
        shown_ = index;
        if (onClick)
            onClick(previous);
    });
    connect(this, &QTabWidget::currentChanged, this, [this](int index) { shown_ = index; });
}

void SSTab::checkIndex(int index) const
{
    if (index < 0 || index >= count())
        raiseControlError(errSubscriptOutOfRange);
}

int SSTab::Tabs() const { return count(); }

void SSTab::setTabs(int n)
{
    if (n < 1)
        raiseControlError(errInvalidPropertyValue);
    while (count() < n)
        addTab(new QWidget, QStringLiteral("Tab %1").arg(count()));
    while (count() > n) {
        QWidget* page = widget(count() - 1);
        removeTab(count() - 1);
        delete page;
    }
}

QWidget* SSTab::Page(int index) const
{
    checkIndex(index);
    return widget(index);
}

bool SSTab::TabVisible(int index) const
{
    checkIndex(index);
    return isTabVisible(index);
}

void SSTab::setTabVisible(int index, bool visible)
{
    checkIndex(index);
    QTabWidget::setTabVisible(index, visible);
}

QString SSTab::TabCaption(int index) const
{
    checkIndex(index);
    return tabText(index);
}

void SSTab::setTabCaption(int index, const QString& caption)
{
    checkIndex(index);
    setTabText(index, caption);
}

int SSTab::Tab() const { return currentIndex(); }

void SSTab::setTab(int index)
{
    checkIndex(index);
    setCurrentIndex(index);
}

// -------------------------------------------------------------------- tool bar

QString Button::Caption() const { return action_->text(); }
void Button::setCaption(const QString& caption) { action_->setText(caption); }
QString Button::ToolTipText() const { return toolTip_; }

void Button::setToolTipText(const QString& text)
{
    toolTip_ = text;
    action_->setToolTip(text);
}
bool Button::Enabled() const { return action_->isEnabled(); }
void Button::setEnabled(bool enabled) { action_->setEnabled(enabled); }
bool Button::Visible() const { return action_->isVisible(); }
void Button::setVisible(bool visible) { action_->setVisible(visible); }

Button& Buttons::Add(const QString& key, const QString& caption, const QString& toolTipText)
{
    QAction* action = owner_->addAction(caption);
    items_.push_back(std::unique_ptr<Button>(new Button(long(items_.size()) + 1, key, action)));
    Button* button = items_.back().get();
    if (!toolTipText.isEmpty())
        button->setToolTipText(toolTipText);
    Toolbar* bar = owner_;
    QObject::connect(action, &QAction::triggered, bar, [bar, button] {
        if (bar->onButtonClick)
            bar->onButtonClick(*button);
    });
    return *button;
}

void Buttons::Clear()
{
    for (auto& b : items_) {
        owner_->removeAction(b->action_);
        delete b->action_;
    }
    items_.clear();
}

Toolbar::Toolbar(QWidget* parent) : QToolBar(parent), buttons_(this)
{
    setMovable(false);
    setFloatable(false);
}

Toolbar::~Toolbar() = default;

// ---------------------------------------------------------- horizontal scroll bar

HScrollBar::HScrollBar(QWidget* parent) : QScrollBar(Qt::Horizontal, parent)
{
    QScrollBar::setRange(0, 32767);
    QScrollBar::setSingleStep(1);
    QScrollBar::setPageStep(1);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int) {
        if (onChange)
            onChange();
    });
}

int HScrollBar::Value() const { return value(); }

void HScrollBar::setValue(int v)
{
    if (v < minimum() || v > maximum())
        raiseControlError(errInvalidPropertyValue);
    QScrollBar::setValue(v);
}

int HScrollBar::Min() const { return minimum(); }
void HScrollBar::setMin(int v) { setMinimum(v); }
int HScrollBar::Max() const { return maximum(); }
void HScrollBar::setMax(int v) { setMaximum(v); }
int HScrollBar::SmallChange() const { return singleStep(); }
void HScrollBar::setSmallChange(int v) { setSingleStep(v); }
int HScrollBar::LargeChange() const { return pageStep(); }
void HScrollBar::setLargeChange(int v) { setPageStep(v); }


// --------------------------------------------------------- combo box control array

ComboBox::ComboBox(ComboBoxArray* owner, int index, QWidget* parent)
    : QComboBox(parent), owner_(owner), index_(index), backColor_(vbWindowBackground)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    connect(this, &QComboBox::editTextChanged, this, [this](const QString&) {
        if (owner_ && owner_->onChange)
            owner_->onChange(index_);
    });
    connect(this, &QComboBox::activated, this, [this](int) {
        if (owner_ && owner_->onClick)
            owner_->onClick(index_);
    });
}

QString ComboBox::Text() const { return currentText(); }
void ComboBox::setText(const QString& text) { setEditText(text); }
QString ComboBox::ToolTipText() const { return toolTip(); }
void ComboBox::setToolTipText(const QString& text) { setToolTip(text); }
VbColor ComboBox::BackColor() const { return backColor_; }

void ComboBox::setBackColor(VbColor color)
{
    backColor_ = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, toQColor(color));
    setPalette(p);
    if (lineEdit())
        lineEdit()->setPalette(p);
}

bool ComboBox::Visible() const { return !isHidden(); }
bool ComboBox::Enabled() const { return isEnabled(); }

void ComboBox::AddItem(const QString& item) { addItem(item); }
void ComboBox::Clear() { clear(); }
int ComboBox::ListCount() const { return count(); }
int ComboBox::ListIndex() const { return currentIndex(); }

void ComboBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        raiseControlError(errInvalidPropertyValue);
    setCurrentIndex(index);
}

QString ComboBox::List(int index) const { return itemText(index); }


void ComboBox::SetFocus() { setFocus(Qt::OtherFocusReason); }

void ComboBox::keyPressEvent(QKeyEvent* event)
{
    if (!owner_) {  // unloaded, or its array is gone
        QComboBox::keyPressEvent(event);
        return;
    }
    std::function<void(int&, int)> down;
    if (owner_->onKeyDown)
        down = [this](int& code, int shift) { owner_->onKeyDown(index_, code, shift); };
    const int original = keyAscii(*event);
    int ascii = original;
    std::function<void(int&)> press;
    if (owner_->onKeyPress)
        press = [this, &ascii](int& a) {
            owner_->onKeyPress(index_, a);
            ascii = a;
        };
    if (runKeyHandlers(*event, down, press))
        return;
    if (ascii != original && ascii >= 32) {
        // The handler changed the character: type the new one instead.
        QKeyEvent changed(event->type(), 0, event->modifiers(), legacy::fromWin1252(QByteArray(1, char(ascii))));
        QComboBox::keyPressEvent(&changed);
        return;
    }
    QComboBox::keyPressEvent(event);
}

void ComboBox::focusInEvent(QFocusEvent* event)
{
    QComboBox::focusInEvent(event);
    if (owner_ && owner_->onGotFocus)
        owner_->onGotFocus(index_);
}

void ComboBox::focusOutEvent(QFocusEvent* event)
{
    QComboBox::focusOutEvent(event);
    if (owner_ && owner_->onLostFocus)
        owner_->onLostFocus(index_);
}

ComboBoxArray::ComboBoxArray(QWidget* parent)
{
    items_[0] = new ComboBox(this, 0, parent);
}

ComboBoxArray::~ComboBoxArray()
{
    // The boxes belong to their parent widget when it goes first.
    for (auto& [index, box] : items_) {
        (void)index;
        if (box)
            box->owner_ = nullptr;
    }
}

ComboBox& ComboBoxArray::operator()(int index) const
{
    auto it = items_.find(index);
    if (it == items_.end() || !it->second)
        raiseControlError(errControlArrayElement);
    return *it->second;
}

bool ComboBoxArray::IsLoaded(int index) const { return items_.count(index) != 0; }

void ComboBoxArray::Load(int index)
{
    if (index < 0)
        raiseControlError(errControlArrayElement);
    if (IsLoaded(index))
        raiseControlError(errAlreadyLoaded);
    const ComboBox& first = *items_.begin()->second;
    auto* box = new ComboBox(this, index, first.parentWidget());
    box->setFont(first.font());
    box->setGeometry(first.geometry());
    box->setToolTip(first.toolTip());
    box->setTag(first.Tag());
    box->setBackColor(first.BackColor());
    box->hide();
    items_[index] = box;
}

void ComboBoxArray::Unload(int index)
{
    if (!IsLoaded(index))
        raiseControlError(errControlArrayElement);
    if (index == 0)
        raiseControlError(errDesignTimeControl);
    ComboBox* box = items_[index];
    items_.erase(index);
    box->owner_ = nullptr;
    box->deleteLater();
}

int ComboBoxArray::LBound() const { return items_.begin()->first; }
int ComboBoxArray::UBound() const { return items_.rbegin()->first; }

}  // namespace ui
