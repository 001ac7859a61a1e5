#include "platform/ui/msflexgrid.h"

#include "platform/legacy/vberror.h"
#include "platform/ui/controlsupport.h"
#include "platform/ui/fitting.h"
#include "platform/ui/keys.h"
#include "platform/ui/textwidth.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include <algorithm>
#include <vector>

namespace ui {

namespace {

// A new column's width, twips.
constexpr long DefaultColWidth = 960;
// Room left between a cell's edge and its text, pixels.
constexpr int TextMargin = kCellMargin;

enum FormatFlags : quint8 { HasBack = 1, HasFore = 2, HasAlign = 4 };

struct CellFormat {
    VbColor back = 0;
    VbColor fore = 0;
    qint8 align = 0;
    quint8 flags = 0;
};

// One row's cells. Both vectors stay empty until a cell of the row is
// written or formatted, so that adding rows costs next to nothing.
struct RowData {
    std::vector<QString> text;
    std::vector<CellFormat> format;
};

[[noreturn]] void outOfRange()
{
    raiseControlError(errSubscriptOutOfRange);
}

[[noreturn]] void invalidValue()
{
    raiseControlError(errInvalidPropertyValue);
}

// General alignment puts numbers to the right: a text of digits with signs,
// separators and blanks around them.
bool looksNumeric(const QString& text)
{
    bool digit = false;
    for (QChar ch : text) {
        if (ch.isDigit())
            digit = true;
        else if (!QStringView(u" .,+-").contains(ch))
            return false;
    }
    return digit;
}

Qt::Alignment qtAlignment(int align, const QString& text)
{
    if (align == flexAlignGeneral)
        align = looksNumeric(text) ? flexAlignRightCenter : flexAlignLeftCenter;
    Qt::Alignment h = align < 3 ? Qt::AlignLeft : align < 6 ? Qt::AlignHCenter : Qt::AlignRight;
    Qt::Alignment v = align % 3 == 0 ? Qt::AlignTop : align % 3 == 1 ? Qt::AlignVCenter : Qt::AlignBottom;
    return h | v;
}

}  // namespace

struct MSFlexGrid::Store {
    long rows = 2, cols = 2, fixedRows = 1, fixedCols = 1;
    long row = 1, col = 1, rowSel = 1, colSel = 1;
    long topRow = 1, leftCol = 1;
    int fillStyle = flexFillSingle;
    bool redraw = true;
    bool updatePending = false;
    bool syncingBars = false;
    bool selecting = false;
    int rowHeight = 16;  // pixels
    std::vector<RowData> cells = std::vector<RowData>(2);
    std::vector<long> colWidth = std::vector<long>(2, DefaultColWidth);
    std::vector<int> colAlign = std::vector<int>(2, flexAlignGeneral);

    static const QString& empty()
    {
        static const QString e;
        return e;
    }
    const QString& text(long r, long c) const
    {
        const auto& t = cells[std::size_t(r)].text;
        return std::size_t(c) < t.size() ? t[std::size_t(c)] : empty();
    }
    QString& textRef(long r, long c)
    {
        auto& t = cells[std::size_t(r)].text;
        if (t.size() <= std::size_t(c))
            t.resize(std::size_t(cols));
        return t[std::size_t(c)];
    }
    const CellFormat* format(long r, long c) const
    {
        const auto& f = cells[std::size_t(r)].format;
        return std::size_t(c) < f.size() && f[std::size_t(c)].flags ? &f[std::size_t(c)] : nullptr;
    }
    CellFormat& formatRef(long r, long c)
    {
        auto& f = cells[std::size_t(r)].format;
        if (f.size() <= std::size_t(c))
            f.resize(std::size_t(cols));
        return f[std::size_t(c)];
    }
    int colPixels(long c) const { return twipsToPixels(colWidth[std::size_t(c)]); }
    int fixedHeight() const { return int(fixedRows) * rowHeight; }
    int fixedWidth() const
    {
        int w = 0;
        for (long c = 0; c < fixedCols; ++c)
            w += colPixels(c);
        return w;
    }
    // Position of a row or column within the cell area (the viewport).
    int rowY(long r) const
    {
        return r < fixedRows ? int(r) * rowHeight : fixedHeight() + int(r - topRow) * rowHeight;
    }
    int colX(long c) const
    {
        if (c < fixedCols) {
            int x = 0;
            for (long i = 0; i < c; ++i)
                x += colPixels(i);
            return x;
        }
        int x = fixedWidth();
        for (long i = leftCol; i < c; ++i)
            x += colPixels(i);
        for (long i = c; i < leftCol; ++i)
            x -= colPixels(i);
        return x;
    }
    // The cells that formatting writes: the current cell, or the selection.
    template <class F>
    void forTargets(F&& f)
    {
        if (fillStyle != flexFillRepeat) {
            f(row, col);
            return;
        }
        const long r0 = std::min(row, rowSel), r1 = std::max(row, rowSel);
        const long c0 = std::min(col, colSel), c1 = std::max(col, colSel);
        for (long r = r0; r <= r1; ++r)
            for (long c = c0; c <= c1; ++c)
                f(r, c);
    }
    bool inSelection(long r, long c) const
    {
        return r >= std::min(row, rowSel) && r <= std::max(row, rowSel) && c >= std::min(col, colSel) &&
               c <= std::max(col, colSel);
    }
};

MSFlexGrid::MSFlexGrid(QWidget* parent) : QAbstractScrollArea(parent), d(std::make_unique<Store>())
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAutoFillBackground(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    d->rowHeight = fontMetrics().height() + 3;
    resize(320, 160);
}

MSFlexGrid::~MSFlexGrid() = default;

// ------------------------------------------------------------------ helpers

namespace {

void checkRow(long r, long rows)
{
    if (r < 0 || r >= rows)
        outOfRange();
}

}  // namespace

#define CHECK_CELL(r, c) (checkRow((r), d->rows), checkRow((c), d->cols))

QString MSFlexGrid::Name() const { return objectName(); }
void MSFlexGrid::setName(const QString& name) { setObjectName(name); }

long MSFlexGrid::Rows() const { return d->rows; }

void MSFlexGrid::setRows(long rows)
{
    if (rows < 0)
        invalidValue();
    d->rows = rows;
    d->cells.resize(std::size_t(rows));
    d->fixedRows = std::min(d->fixedRows, rows);
    const long last = std::max(0L, rows - 1);
    d->row = std::min(d->row, last);
    d->rowSel = std::min(d->rowSel, last);
    d->topRow = std::clamp(d->topRow, d->fixedRows, std::max(d->fixedRows, last));
    updateBars();
    scheduleUpdate();
}

long MSFlexGrid::Cols() const { return d->cols; }

void MSFlexGrid::setCols(long cols)
{
    if (cols < 0)
        invalidValue();
    d->cols = cols;
    d->colWidth.resize(std::size_t(cols), DefaultColWidth);
    d->colAlign.resize(std::size_t(cols), flexAlignGeneral);
    for (auto& r : d->cells) {
        if (r.text.size() > std::size_t(cols))
            r.text.resize(std::size_t(cols));
        if (r.format.size() > std::size_t(cols))
            r.format.resize(std::size_t(cols));
    }
    d->fixedCols = std::min(d->fixedCols, cols);
    const long last = std::max(0L, cols - 1);
    d->col = std::min(d->col, last);
    d->colSel = std::min(d->colSel, last);
    d->leftCol = std::clamp(d->leftCol, d->fixedCols, std::max(d->fixedCols, last));
    updateBars();
    scheduleUpdate();
}

long MSFlexGrid::FixedRows() const { return d->fixedRows; }

void MSFlexGrid::setFixedRows(long n)
{
    if (n < 0 || n > d->rows)
        invalidValue();
    d->fixedRows = n;
    d->topRow = std::max(d->topRow, n);
    updateBars();
    scheduleUpdate();
}

long MSFlexGrid::FixedCols() const { return d->fixedCols; }

void MSFlexGrid::setFixedCols(long n)
{
    if (n < 0 || n > d->cols)
        invalidValue();
    d->fixedCols = n;
    d->leftCol = std::max(d->leftCol, n);
    updateBars();
    scheduleUpdate();
}

long MSFlexGrid::Row() const { return d->row; }

void MSFlexGrid::setRow(long r)
{
    checkRow(r, d->rows);
    d->row = d->rowSel = r;
    d->colSel = d->col;
    scheduleUpdate();
}

long MSFlexGrid::Col() const { return d->col; }

void MSFlexGrid::setCol(long c)
{
    checkRow(c, d->cols);
    d->col = d->colSel = c;
    d->rowSel = d->row;
    scheduleUpdate();
}

long MSFlexGrid::RowSel() const { return d->rowSel; }

void MSFlexGrid::setRowSel(long r)
{
    checkRow(r, d->rows);
    d->rowSel = r;
    scheduleUpdate();
}

long MSFlexGrid::ColSel() const { return d->colSel; }

void MSFlexGrid::setColSel(long c)
{
    checkRow(c, d->cols);
    d->colSel = c;
    scheduleUpdate();
}

QString MSFlexGrid::TextMatrix(long r, long c) const
{
    CHECK_CELL(r, c);
    return d->text(r, c);
}

void MSFlexGrid::setTextMatrix(long r, long c, const QString& text)
{
    CHECK_CELL(r, c);
    d->textRef(r, c) = text;
    scheduleUpdate();
}

QString MSFlexGrid::TextArray(long index) const
{
    if (index < 0 || d->cols == 0)
        outOfRange();
    return TextMatrix(index / d->cols, index % d->cols);
}

void MSFlexGrid::setTextArray(long index, const QString& text)
{
    if (index < 0 || d->cols == 0)
        outOfRange();
    setTextMatrix(index / d->cols, index % d->cols, text);
}

QString MSFlexGrid::Text() const { return TextMatrix(d->row, d->col); }

void MSFlexGrid::setText(const QString& text)
{
    CHECK_CELL(d->row, d->col);
    d->forTargets([&](long r, long c) { d->textRef(r, c) = text; });
    scheduleUpdate();
}

void MSFlexGrid::Clear()
{
    for (auto& r : d->cells)
        r = RowData();
    scheduleUpdate();
}

long MSFlexGrid::ColWidth(long c) const
{
    checkRow(c, d->cols);
    return d->colWidth[std::size_t(c)];
}

void MSFlexGrid::setColWidth(long c, long twips)
{
    checkRow(c, d->cols);
    if (twips < 0)
        invalidValue();
    d->colWidth[std::size_t(c)] = twips;
    updateBars();
    scheduleUpdate();
}

int MSFlexGrid::ColAlignment(long c) const
{
    checkRow(c, d->cols);
    return d->colAlign[std::size_t(c)];
}

void MSFlexGrid::setColAlignment(long c, int alignment)
{
    checkRow(c, d->cols);
    if (alignment < 0 || alignment > flexAlignGeneral)
        invalidValue();
    d->colAlign[std::size_t(c)] = alignment;
    scheduleUpdate();
}

int MSFlexGrid::FillStyle() const { return d->fillStyle; }

void MSFlexGrid::setFillStyle(int style)
{
    if (style != flexFillSingle && style != flexFillRepeat)
        invalidValue();
    d->fillStyle = style;
}

int MSFlexGrid::CellAlignment() const
{
    CHECK_CELL(d->row, d->col);
    const CellFormat* f = d->format(d->row, d->col);
    return f && (f->flags & HasAlign) ? f->align : d->colAlign[std::size_t(d->col)];
}

void MSFlexGrid::setCellAlignment(int alignment)
{
    CHECK_CELL(d->row, d->col);
    if (alignment < 0 || alignment > flexAlignGeneral)
        invalidValue();
    d->forTargets([&](long r, long c) {
        CellFormat& f = d->formatRef(r, c);
        f.align = qint8(alignment);
        f.flags |= HasAlign;
    });
    scheduleUpdate();
}

VbColor MSFlexGrid::CellBackColor() const
{
    CHECK_CELL(d->row, d->col);
    const CellFormat* f = d->format(d->row, d->col);
    if (f && (f->flags & HasBack))
        return f->back;
    return d->row < d->fixedRows || d->col < d->fixedCols ? vbButtonFace : vbWindowBackground;
}

void MSFlexGrid::setCellBackColor(VbColor color)
{
    CHECK_CELL(d->row, d->col);
    d->forTargets([&](long r, long c) {
        CellFormat& f = d->formatRef(r, c);
        f.back = color;
        f.flags |= HasBack;
    });
    scheduleUpdate();
}

VbColor MSFlexGrid::CellForeColor() const
{
    CHECK_CELL(d->row, d->col);
    const CellFormat* f = d->format(d->row, d->col);
    if (f && (f->flags & HasFore))
        return f->fore;
    return d->row < d->fixedRows || d->col < d->fixedCols ? vbButtonText : vbWindowText;
}

void MSFlexGrid::setCellForeColor(VbColor color)
{
    CHECK_CELL(d->row, d->col);
    d->forTargets([&](long r, long c) {
        CellFormat& f = d->formatRef(r, c);
        f.fore = color;
        f.flags |= HasFore;
    });
    scheduleUpdate();
}

double MSFlexGrid::FontSize() const { return font().pointSizeF(); }

void MSFlexGrid::setFontSize(double points)
{
    if (points <= 0)
        invalidValue();
    QFont f = font();
    f.setPointSizeF(points);
    setFont(f);
}

bool MSFlexGrid::Redraw() const { return d->redraw; }

void MSFlexGrid::setRedraw(bool redraw)
{
    d->redraw = redraw;
    if (redraw)
        scheduleUpdate();
}

void MSFlexGrid::Refresh()
{
    d->updatePending = false;
    if (isVisible())
        viewport()->repaint();
}

long MSFlexGrid::TopRow() const { return d->topRow; }

void MSFlexGrid::setTopRow(long r)
{
    checkRow(r, d->rows);
    d->topRow = std::clamp(r, d->fixedRows, std::max(d->fixedRows, maxTopRow()));
    syncBars();
    scheduleUpdate();
}

long MSFlexGrid::CellLeft() const
{
    CHECK_CELL(d->row, d->col);
    return long(pixelsToTwips(frameWidth() + d->colX(d->col)));
}

long MSFlexGrid::CellTop() const
{
    CHECK_CELL(d->row, d->col);
    return long(pixelsToTwips(frameWidth() + d->rowY(d->row)));
}

long MSFlexGrid::CellWidth() const
{
    CHECK_CELL(d->row, d->col);
    return long(pixelsToTwips(d->colPixels(d->col)));
}

long MSFlexGrid::CellHeight() const
{
    CHECK_CELL(d->row, d->col);
    return long(pixelsToTwips(d->rowHeight));
}


void MSFlexGrid::SetFocus() { setFocus(Qt::OtherFocusReason); }

// ------------------------------------------------------------ scrolling

QSize MSFlexGrid::cellAreaSize() const
{
    // The viewport is laid out only once the grid is shown; the area inside
    // the frame, less the scroll bars that are on, serves before that.
    QSize s = contentsRect().size();
    if (verticalScrollBar()->isVisibleTo(this))
        s.rwidth() -= verticalScrollBar()->sizeHint().width();
    if (horizontalScrollBar()->isVisibleTo(this))
        s.rheight() -= horizontalScrollBar()->sizeHint().height();
    return s;
}

long MSFlexGrid::maxTopRow() const
{
    const int room = cellAreaSize().height() - d->fixedHeight();
    const long fit = std::max(1L, long(room / std::max(1, d->rowHeight)));
    return std::max(d->fixedRows, d->rows - fit);
}

long MSFlexGrid::maxLeftCol() const
{
    const int room = cellAreaSize().width() - d->fixedWidth();
    long c = d->cols;
    int used = 0;
    while (c > d->fixedCols && used + d->colPixels(c - 1) <= room)
        used += d->colPixels(--c);
    return std::max(d->fixedCols, std::min(c, d->cols - 1));
}

void MSFlexGrid::updateBars()
{
    d->syncingBars = true;
    verticalScrollBar()->setRange(0, int(maxTopRow() - d->fixedRows));
    verticalScrollBar()->setPageStep(std::max(1, (cellAreaSize().height() - d->fixedHeight()) / d->rowHeight));
    horizontalScrollBar()->setRange(0, int(maxLeftCol() - d->fixedCols));
    horizontalScrollBar()->setPageStep(1);
    d->syncingBars = false;
    syncBars();
}

void MSFlexGrid::syncBars()
{
    d->syncingBars = true;
    verticalScrollBar()->setValue(int(d->topRow - d->fixedRows));
    horizontalScrollBar()->setValue(int(d->leftCol - d->fixedCols));
    d->syncingBars = false;
}

void MSFlexGrid::scrollContentsBy(int, int)
{
    if (d->syncingBars)
        return;
    d->topRow = std::min(d->rows > 0 ? d->rows - 1 : 0, d->fixedRows + verticalScrollBar()->value());
    d->leftCol = std::min(d->cols > 0 ? d->cols - 1 : 0, d->fixedCols + horizontalScrollBar()->value());
    viewport()->update();
}

void MSFlexGrid::scheduleUpdate()
{
    if (!d->redraw || d->updatePending)
        return;
    d->updatePending = true;
    viewport()->update();
}

void MSFlexGrid::ensureVisible(long r, long c)
{
    if (r >= d->fixedRows) {
        const int room = cellAreaSize().height() - d->fixedHeight();
        const long fit = std::max(1L, long(room / std::max(1, d->rowHeight)));
        if (r < d->topRow)
            d->topRow = r;
        else if (r >= d->topRow + fit)
            d->topRow = r - fit + 1;
    }
    if (c >= d->fixedCols) {
        const int room = cellAreaSize().width() - d->fixedWidth();
        if (c < d->leftCol)
            d->leftCol = c;
        else
            while (d->leftCol < c && d->colX(c) + d->colPixels(c) - d->fixedWidth() > room)
                ++d->leftCol;
    }
    syncBars();
}

// --------------------------------------------------------------- events

void MSFlexGrid::moveCurrent(long r, long c)
{
    if (r == d->row && c == d->col) {
        d->rowSel = r;
        d->colSel = c;
        scheduleUpdate();
        return;
    }
    if (onLeaveCell)
        onLeaveCell();
    // A handler may have changed the size of the grid.
    if (r >= d->rows || c >= d->cols)
        return;
    d->row = d->rowSel = r;
    d->col = d->colSel = c;
    ensureVisible(r, c);
    if (onEnterCell)
        onEnterCell();
    if (onRowColChange)
        onRowColChange();
    scheduleUpdate();
}

long MSFlexGrid::shownCol(long c, int step) const
{
    // The next column the user can stand on: not fixed, not hidden.
    for (long i = c + step; i >= d->fixedCols && i < d->cols; i += step)
        if (d->colWidth[std::size_t(i)] > 0)
            return i;
    return c;
}

void MSFlexGrid::keyPressEvent(QKeyEvent* event)
{
    if (runKeyHandlers(*event, onKeyDown, onKeyPress) || d->rows <= d->fixedRows || d->cols <= d->fixedCols)
        return;
    long r = std::max(d->row, d->fixedRows), c = std::max(d->col, d->fixedCols);
    const long page = std::max(1, (cellAreaSize().height() - d->fixedHeight()) / d->rowHeight);
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_Up: r = std::max(d->fixedRows, r - 1); break;
    case Qt::Key_Down: r = std::min(d->rows - 1, r + 1); break;
    case Qt::Key_PageUp: r = std::max(d->fixedRows, r - page); break;
    case Qt::Key_PageDown: r = std::min(d->rows - 1, r + page); break;
    case Qt::Key_Left: c = shownCol(c, -1); break;
    case Qt::Key_Right: c = shownCol(c, 1); break;
    case Qt::Key_Home:
        if (ctrl)
            r = d->fixedRows;
        c = shownCol(d->fixedCols - 1, 1);
        break;
    case Qt::Key_End:
        if (ctrl)
            r = d->rows - 1;
        c = shownCol(d->cols, -1);
        break;
    default:
        // Keys the grid does not use go on to the window.
        event->ignore();
        return;
    }
    moveCurrent(r, c);
}

bool MSFlexGrid::cellAt(const QPoint& pos, long& r, long& c) const
{
    if (pos.y() < d->fixedHeight())
        r = pos.y() / d->rowHeight;
    else
        r = d->topRow + (pos.y() - d->fixedHeight()) / d->rowHeight;
    c = -1;
    int x = 0;
    for (long i = 0; i < d->fixedCols && c < 0; ++i) {
        x += d->colPixels(i);
        if (pos.x() < x)
            c = i;
    }
    for (long i = d->leftCol; i < d->cols && c < 0; ++i) {
        x += d->colPixels(i);
        if (pos.x() < x)
            c = i;
    }
    return pos.y() >= 0 && r < d->rows && c >= 0;
}

void MSFlexGrid::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    long r, c;
    if (!cellAt(event->position().toPoint(), r, c) || r < d->fixedRows || c < d->fixedCols)
        return;
    if (event->modifiers() & Qt::ShiftModifier) {
        d->rowSel = r;
        d->colSel = c;
        scheduleUpdate();
    } else {
        moveCurrent(r, c);
    }
    d->selecting = true;
}

void MSFlexGrid::mouseMoveEvent(QMouseEvent* event)
{
    long r, c;
    if (!d->selecting || !cellAt(event->position().toPoint(), r, c) || r < d->fixedRows || c < d->fixedCols)
        return;
    if (r != d->rowSel || c != d->colSel) {
        d->rowSel = r;
        d->colSel = c;
        scheduleUpdate();
    }
}

void MSFlexGrid::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    d->selecting = false;
    if (onClick)
        onClick();
}

void MSFlexGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton && onDblClick)
        onDblClick();
}

namespace {

bool windowSwitch(const QFocusEvent* event)
{
    return event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason;
}

}  // namespace

void MSFlexGrid::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
    // As the old GotFocus: the focus came from another control, not back
    // with the window's activation or a closed popup.
    if (onGotFocus && !windowSwitch(event))
        onGotFocus();
}

void MSFlexGrid::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
    if (onLostFocus && !windowSwitch(event))
        onLostFocus();
}

void MSFlexGrid::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateBars();
}

void MSFlexGrid::changeEvent(QEvent* event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        d->rowHeight = fontMetrics().height() + 3;
        updateBars();
        scheduleUpdate();
    }
}

// -------------------------------------------------------------- painting

void MSFlexGrid::paintEvent(QPaintEvent* event)
{
    d->updatePending = false;
    QPainter p(viewport());
    const QRect area = viewport()->rect();
    const QPalette& pal = palette();
    p.fillRect(event->rect(), toQColor(vbApplicationWorkspace));
    p.setFont(font());
    const QColor gridLine = toQColor(RGB(0xC0, 0xC0, 0xC0));
    const bool focused = hasFocus();
    const bool range = d->row != d->rowSel || d->col != d->colSel;
    const int fixedW = d->fixedWidth(), fixedH = d->fixedHeight();

    // The rows and columns in view, with their positions.
    std::vector<std::pair<long, int>> rowsShown, colsShown;
    for (long r = 0; r < d->fixedRows; ++r)
        rowsShown.emplace_back(r, int(r) * d->rowHeight);
    for (long r = d->topRow, y = fixedH; r < d->rows && y < area.height(); ++r, y += d->rowHeight)
        rowsShown.emplace_back(r, int(y));
    int x = 0;
    for (long c = 0; c < d->fixedCols; x += d->colPixels(c), ++c)
        colsShown.emplace_back(c, x);
    for (long c = d->leftCol; c < d->cols && x < area.width(); x += d->colPixels(c), ++c)
        colsShown.emplace_back(c, x);

    for (const auto& [r, y] : rowsShown) {
        for (const auto& [c, cx] : colsShown) {
            const int w = d->colPixels(c);
            if (w == 0)
                continue;
            const QRect cell(cx, y, w, d->rowHeight);
            const bool fixed = r < d->fixedRows || c < d->fixedCols;
            const CellFormat* f = d->format(r, c);
            QColor fore;
            if (fixed) {
                // Fixed cells keep their place: scrolled cells pass below them.
                p.setClipping(false);
                QStyleOptionHeader opt;
                opt.initFrom(this);
                opt.rect = cell;
                opt.state |= QStyle::State_Raised;
                opt.position = QStyleOptionHeader::Middle;
                style()->drawControl(QStyle::CE_HeaderSection, &opt, &p, this);
                if (f && (f->flags & HasBack))
                    p.fillRect(cell.adjusted(0, 0, -1, -1), toQColor(f->back));
                fore = f && (f->flags & HasFore) ? toQColor(f->fore) : pal.color(QPalette::ButtonText);
            } else {
                p.setClipRect(QRect(fixedW, fixedH, area.width(), area.height()));
                const bool selected = range && d->inSelection(r, c) && !(r == d->row && c == d->col);
                const QColor back = selected                       ? pal.color(QPalette::Highlight)
                                    : f && (f->flags & HasBack)    ? toQColor(f->back)
                                                                   : pal.color(QPalette::Base);
                fore = selected                    ? pal.color(QPalette::HighlightedText)
                       : f && (f->flags & HasFore) ? toQColor(f->fore)
                                                   : pal.color(QPalette::Text);
                p.fillRect(cell, back);
                p.setPen(gridLine);
                p.drawLine(cell.topRight(), cell.bottomRight());
                p.drawLine(cell.bottomLeft(), cell.bottomRight());
            }
            const QString& text = d->text(r, c);
            if (!text.isEmpty()) {
                const int align = f && (f->flags & HasAlign) ? f->align
                                  : fixed                  ? int(flexAlignLeftCenter)
                                                           : d->colAlign[std::size_t(c)];
                p.setPen(fore);
                // A text wider than its cell shows where it is cut.
                const QRect room = cell.adjusted(TextMargin, 1, -TextMargin, -1);
                const Qt::Alignment a = qtAlignment(align, text);
                p.drawText(room, int(a), CellText(text, p.fontMetrics(), room.width(), a));
            }
            if (!fixed && r == d->row && c == d->col) {
                p.setPen(QPen(focused ? pal.color(QPalette::Text) : gridLine, 1, Qt::DotLine));
                p.drawRect(cell.adjusted(1, 1, -2, -2));
            }
        }
    }
}

}  // namespace ui
