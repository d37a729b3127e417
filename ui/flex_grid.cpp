#include "ui/flex_grid.h"

#include "ui/twips.h"

#include <QHeaderView>

namespace kpv::ui {

namespace {
constexpr Qt::Alignment kDefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;
}

FlexGrid::FlexGrid(QWidget *parent, const QString &name) : QTableWidget(parent)
{
    if (!name.isEmpty()) setObjectName(name);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    connect(this, &QTableWidget::cellClicked, this, [this](int r, int c) {
        m_row = r;
        m_col = c;
        emit cellClickedAt(r, c);
    });
}

void FlexGrid::setRows(int rows)
{
    setRowCount(qMax(0, rows));
    if (m_row >= rowCount()) m_row = qMax(0, rowCount() - 1);
    paintFixed();
}

void FlexGrid::setCols(int cols)
{
    cols = qMax(0, cols);
    setColumnCount(cols);
    while (m_colAlignment.size() < cols) m_colAlignment.append(kDefaultAlignment);
    m_colAlignment.resize(cols);
    if (m_col >= columnCount()) m_col = qMax(0, columnCount() - 1);
    paintFixed();
}

void FlexGrid::setFixedRows(int n)
{
    m_fixedRows = qBound(0, n, rowCount());
    paintFixed();
}

void FlexGrid::setFixedCols(int n)
{
    m_fixedCols = qBound(0, n, columnCount());
    paintFixed();
}

QTableWidgetItem *FlexGrid::itemAt(int row, int col)
{
    QTableWidgetItem *it = item(row, col);
    if (!it) {
        it = new QTableWidgetItem;
        const bool fixed = row < m_fixedRows || col < m_fixedCols;
        it->setTextAlignment(fixed ? Qt::Alignment(Qt::AlignCenter) : m_colAlignment.value(col, kDefaultAlignment));
        if (fixed) it->setBackground(palette().color(QPalette::Button));
        setItem(row, col, it);
    }
    return it;
}

void FlexGrid::paintFixed()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (r < m_fixedRows || c < m_fixedCols) {
                QTableWidgetItem *it = itemAt(r, c);
                it->setBackground(palette().color(QPalette::Button));
                it->setFlags(it->flags() & ~Qt::ItemIsSelectable);
            }
}

QString FlexGrid::textMatrix(int row, int col) const
{
    if (!inRange(row, col)) return {};
    const QTableWidgetItem *it = item(row, col);
    return it ? it->text() : QString();
}

void FlexGrid::setTextMatrix(int row, int col, const QString &text)
{
    if (!inRange(row, col)) return;
    itemAt(row, col)->setText(text);
}

QColor FlexGrid::cellBackground(int row, int col) const
{
    if (!inRange(row, col)) return {};
    const QTableWidgetItem *it = item(row, col);
    if (!it || it->background().style() == Qt::NoBrush) return {};
    return it->background().color();
}

void FlexGrid::setCellBackground(int row, int col, const QColor &colour)
{
    if (!inRange(row, col)) return;
    itemAt(row, col)->setBackground(colour.isValid() ? QBrush(colour) : QBrush());
}

Qt::Alignment FlexGrid::cellAlignment(int row, int col) const
{
    if (!inRange(row, col)) return kDefaultAlignment;
    const QTableWidgetItem *it = item(row, col);
    if (!it) return (row < m_fixedRows || col < m_fixedCols) ? Qt::Alignment(Qt::AlignCenter)
                                                             : m_colAlignment.value(col, kDefaultAlignment);
    return Qt::Alignment(it->textAlignment());
}

void FlexGrid::setCellAlignment(int row, int col, Qt::Alignment alignment)
{
    if (!inRange(row, col)) return;
    itemAt(row, col)->setTextAlignment(alignment);
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    if (col < 0 || col >= columnCount()) return;
    m_colAlignment[col] = alignment;
    if (col < m_fixedCols) return;
    for (int r = m_fixedRows; r < rowCount(); ++r)
        if (QTableWidgetItem *it = item(r, col)) it->setTextAlignment(alignment);
}

Qt::Alignment FlexGrid::colAlignment(int col) const { return m_colAlignment.value(col, kDefaultAlignment); }

void FlexGrid::setColWidthTwips(int col, int twips)
{
    if (col < 0 || col >= columnCount()) return;
    setColumnWidth(col, twipsToPx(qMax(0, twips)));
}

int FlexGrid::colWidthTwips(int col) const { return pxToTwips(columnWidth(col)); }

void FlexGrid::setRowHeightTwips(int row, int twips)
{
    if (row < 0 || row >= rowCount()) return;
    setRowHeight(row, twipsToPx(qMax(0, twips)));
}

int FlexGrid::rowHeightTwips(int row) const { return pxToTwips(rowHeight(row)); }

void FlexGrid::setRow(int row)
{
    if (row < 0 || row >= rowCount()) return;
    m_row = row;
    if (m_redraw) setCurrentCell(m_row, qMin(m_col, qMax(0, columnCount() - 1)));
}

void FlexGrid::setCol(int col)
{
    if (col < 0 || col >= columnCount()) return;
    m_col = col;
    if (m_redraw && rowCount() > 0) setCurrentCell(qMin(m_row, rowCount() - 1), m_col);
}

void FlexGrid::setRedraw(bool on)
{
    if (on == m_redraw) return;
    m_redraw = on;
    setUpdatesEnabled(on);
    if (on) {
        if (inRange(m_row, m_col)) setCurrentCell(m_row, m_col);
        viewport()->update();
    }
}

void FlexGrid::clearCells()
{
    for (int r = 0; r < rowCount(); ++r)
        for (int c = 0; c < columnCount(); ++c)
            if (QTableWidgetItem *it = item(r, c)) {
                it->setText(QString());
                const bool fixed = r < m_fixedRows || c < m_fixedCols;
                it->setBackground(fixed ? QBrush(palette().color(QPalette::Button)) : QBrush());
            }
}

} // namespace kpv::ui
