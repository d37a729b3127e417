#pragma once
// The item list of the sort and delete panel (MSFlexGrid3): a heading row
// "No", "在庫品No", "品名", "仕様", "メーカー名" and one row per ledger record,
// read from the session when a row is painted.
//
// A ledger can hold 50,009 items, and the list is shown again after every
// deleted row: a grid holding a text item per cell would build a quarter of a
// million items each time. This list keeps no cells; it presents the
// session's rows through a model, with the grid's working model (rows
// counted with the heading row, a current row and column, cell texts by row
// and column) on top.

#include <QAbstractTableModel>
#include <QTableView>

namespace kpv::search {

class RewriteSession;

class PanelListModel : public QAbstractTableModel {
public:
    void setSession(const RewriteSession *session);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // Row r of the list (0 = the heading row), column 0..4.
    QString text(int row, int col) const;

private:
    const RewriteSession *m_session = nullptr;
};

class PanelList : public QTableView {
public:
    explicit PanelList(QWidget *parent = nullptr);

    // Shows the session's rows (again, after a change).
    void showSession(const RewriteSession &session);

    int rows() const { return m_model.rowCount() + 1; }
    int cols() const { return m_model.columnCount(); }
    QString textMatrix(int row, int col) const { return m_model.text(row, col); }
    // The current cell; rows count from the heading row 0.
    int row() const;
    int col() const;
    void setRow(int row);
    void setCol(int col);

private:
    PanelListModel m_model;
};

} // namespace kpv::search
