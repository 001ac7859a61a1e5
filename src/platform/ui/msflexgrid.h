#pragma once
// The flex grid: a grid of text cells with the old grid control's members.
//
// Cells live in the grid's own store (no widget or item per cell), painted
// by the grid itself, so a 120-column grid of 10,000 rows fills quickly
// through setTextMatrix. Rows and columns count from 0; the first FixedRows
// rows and FixedCols columns are fixed (drawn as headers, never scrolled,
// never entered by the user) but are ordinary addressable cells.
//
// Widths, heights and positions are twips; colours are the old BGR values
// (ui/colors.h). Addressing a row or column outside the grid throws
// legacy::VbError 381; an invalid property value throws 380.
//
// Setting Row, Col, Rows, Cols or TopRow from code fires no handler: the
// events below fire only for what the user does (keys, mouse, focus).
#include "platform/ui/colors.h"
#include "platform/ui/textwidth.h"

#include <QAbstractScrollArea>
#include <QString>

#include <functional>
#include <memory>

namespace ui {

enum FillStyleSettings : int { flexFillSingle = 0, flexFillRepeat = 1 };

enum AlignmentSettings : int {
    flexAlignLeftTop = 0,
    flexAlignLeftCenter = 1,
    flexAlignLeftBottom = 2,
    flexAlignCenterTop = 3,
    flexAlignCenterCenter = 4,
    flexAlignCenterBottom = 5,
    flexAlignRightTop = 6,
    flexAlignRightCenter = 7,
    flexAlignRightBottom = 8,
    flexAlignGeneral = 9,  // text left-centre, numbers right-centre
};

// Left, Top, Width and Height (twips) are the grid's place in its parent.
class MSFlexGrid : public QAbstractScrollArea, public TwipsPlacement<MSFlexGrid> {
    Q_OBJECT
public:
    // A new grid has 2 rows, 2 columns, 1 fixed row and 1 fixed column.
    explicit MSFlexGrid(QWidget* parent = nullptr);
    ~MSFlexGrid() override;

    QString Name() const;
    void setName(const QString& name);

    // Size. Shrinking drops the cells beyond; growing adds empty cells.
    // Fewer rows (columns) than fixed ones lower the fixed count with them.
    long Rows() const;
    void setRows(long rows);
    long Cols() const;
    void setCols(long cols);
    long FixedRows() const;
    void setFixedRows(long rows);  // 380 when more than Rows
    long FixedCols() const;
    void setFixedCols(long cols);  // 380 when more than Cols

    // The current cell, and the other corner of the selection. Setting Row
    // or Col also collapses the selection to the current cell (RowSel = Row,
    // ColSel = Col); set RowSel and ColSel afterwards to select a range.
    long Row() const;
    void setRow(long row);
    long Col() const;
    void setCol(long col);
    long RowSel() const;
    void setRowSel(long row);
    long ColSel() const;
    void setColSel(long col);

    // Cell texts. TextArray(i) is the cell of row i / Cols, column i % Cols.
    // Text is the current cell; with FillStyle flexFillRepeat, setText
    // writes every cell of the selection.
    QString TextMatrix(long row, long col) const;
    void setTextMatrix(long row, long col, const QString& text);
    QString TextArray(long index) const;
    void setTextArray(long index, const QString& text);
    QString Text() const;
    void setText(const QString& text);
    // Empties every cell and drops every cell's colours and alignment; the
    // rows, columns, widths and column alignments stay.
    void Clear();

    // Columns. A width of 0 hides the column; ColWidth reads back the width
    // last set (twips, as given).
    long ColWidth(long col) const;
    void setColWidth(long col, long twips);
    int ColAlignment(long col) const;
    void setColAlignment(long col, int alignment);  // 0..9, else 380

    // Formatting of the current cell, or of the whole selection (Row..RowSel,
    // Col..ColSel in either order) when FillStyle is flexFillRepeat. Reading
    // gives the current cell's value: its own, else the grid's default.
    int FillStyle() const;
    void setFillStyle(int style);
    int CellAlignment() const;
    void setCellAlignment(int alignment);  // 0..9, else 380
    VbColor CellBackColor() const;
    void setCellBackColor(VbColor color);
    VbColor CellForeColor() const;
    void setCellForeColor(VbColor color);

    // The grid's font size in points (rows follow the font's height).
    double FontSize() const;
    void setFontSize(double points);

    // Redraw false: changes are not painted until Redraw is true again (the
    // window system may still ask for a paint, which shows the cells as
    // they stand). Refresh paints at once.
    bool Redraw() const;
    void setRedraw(bool redraw);
    void Refresh();

    // The first scrollable row shown below the fixed rows.
    long TopRow() const;
    void setTopRow(long row);  // kept within the rows that can scroll

    // The current cell's place and size, twips, relative to the grid's own
    // top-left corner (so grid Left + CellLeft is the cell's left in the
    // grid's parent). Reading them does not scroll.
    long CellLeft() const;
    long CellTop() const;
    long CellWidth() const;
    long CellHeight() const;

    void SetFocus();

    // Events. onKeyDown runs first (KeyCode 0 drops the key), then, for a
    // key that types a character, onKeyPress (KeyAscii 0 drops it). A move
    // of the current cell by the user runs onLeaveCell before it, then
    // onEnterCell and onRowColChange after it.
    std::function<void(int& KeyAscii)> onKeyPress;
    std::function<void(int& KeyCode, int Shift)> onKeyDown;
    std::function<void()> onLeaveCell;
    std::function<void()> onEnterCell;
    std::function<void()> onRowColChange;
    std::function<void()> onGotFocus;
    std::function<void()> onLostFocus;
    std::function<void()> onClick;
    std::function<void()> onDblClick;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;

private:
    QSize cellAreaSize() const;
    long maxTopRow() const;
    long maxLeftCol() const;
    void updateBars();
    void syncBars();
    void scheduleUpdate();
    void ensureVisible(long row, long col);
    void moveCurrent(long row, long col);
    long shownCol(long col, int step) const;
    bool cellAt(const QPoint& pos, long& row, long& col) const;

    struct Store;
    std::unique_ptr<Store> d;
};

}  // namespace ui
