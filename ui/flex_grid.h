#pragma once
// A grid with the working model of the classic FlexGrid control that the
// ledger and settings screens are written against: a rectangle of text
// cells whose first rows and columns may be fixed (title cells), addressed by
// row and column from 0, with a current row and column that the program
// moves, per-cell background colours, per-column alignment, column widths
// and row heights in twips, and painting that can be suspended while many
// cells change.
//
// Unlike a QTableWidget there are no separate header sections: title cells
// are ordinary cells of the fixed rows and columns. Every cell reads as text;
// a cell never written reads as "".

#include <QColor>
#include <QTableWidget>

namespace kpv::ui {

class FlexGrid : public QTableWidget {
    Q_OBJECT
public:
    explicit FlexGrid(QWidget *parent = nullptr, const QString &name = {});

    // Size. Growing keeps existing cells and gives new columns the column
    // alignment already set; shrinking drops the cells beyond.
    void setRows(int rows);
    void setCols(int cols);
    int rows() const { return rowCount(); }
    int cols() const { return columnCount(); }
    void setFixedRows(int n);
    void setFixedCols(int n);
    int fixedRows() const { return m_fixedRows; }
    int fixedCols() const { return m_fixedCols; }

    // Cells. Out-of-range addresses are ignored on write and read as "".
    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString &text);
    QColor cellBackground(int row, int col) const; // invalid when never set
    void setCellBackground(int row, int col, const QColor &colour);
    Qt::Alignment cellAlignment(int row, int col) const;
    void setCellAlignment(int row, int col, Qt::Alignment alignment);

    // Columns and rows.
    void setColAlignment(int col, Qt::Alignment alignment); // all non-fixed cells of the column
    Qt::Alignment colAlignment(int col) const;
    void setColWidthTwips(int col, int twips);
    int colWidthTwips(int col) const;
    void setRowHeightTwips(int row, int twips);
    int rowHeightTwips(int row) const;

    // The current cell (the grid's Row and Col). Out-of-range values are
    // ignored.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int row);
    void setCol(int col);

    // Suspends painting while many cells change; resuming repaints once.
    void setRedraw(bool on);
    bool redraw() const { return m_redraw; }

    // Empties every cell's text and background; rows, columns, widths and
    // alignments stay.
    void clearCells();

signals:
    // A click on a cell, after the current cell has moved there.
    void cellClickedAt(int row, int col);

private:
    QTableWidgetItem *itemAt(int row, int col);
    bool inRange(int row, int col) const { return row >= 0 && col >= 0 && row < rowCount() && col < columnCount(); }
    void paintFixed();

    int m_fixedRows = 0;
    int m_fixedCols = 0;
    int m_row = 0;
    int m_col = 0;
    bool m_redraw = true;
    QList<Qt::Alignment> m_colAlignment;
};

} // namespace kpv::ui
