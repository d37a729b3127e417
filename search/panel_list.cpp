#include "search/panel_list.h"

#include "search/rewrite_session.h"
#include "ui/twips.h"

#include <QHeaderView>

#include <algorithm>

namespace kpv::search {

namespace {
const char16_t *const kHeadings[5] = {u"No", u"在庫品No", u"品名", u"仕様", u"メーカー名"};
constexpr int kWidths[5] = {600, 1600, 2000, 2000, 2000};
} // namespace

void PanelListModel::setSession(const RewriteSession *session)
{
    beginResetModel();
    m_session = session;
    endResetModel();
}

int PanelListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_session ? 0 : m_session->listRows();
}

int PanelListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 5;
}

QString PanelListModel::text(int row, int col) const
{
    if (col < 0 || col > 4) return {};
    if (row == 0) return QString::fromUtf16(kHeadings[col]);
    if (!m_session || row < 1 || row > m_session->listRows()) return {};
    return col == 0 ? QString::number(row) : m_session->cell(row, col);
}

QVariant PanelListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
    return text(index.row() + 1, index.column());
}

QVariant PanelListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)) return text(0, section);
    return {};
}

PanelList::PanelList(QWidget *parent) : QTableView(parent)
{
    setModel(&m_model);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(ui::twipsToPx(300));
    for (int c = 0; c < 5; ++c) horizontalHeader()->resizeSection(c, ui::twipsToPx(kWidths[c]));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
}

void PanelList::showSession(const RewriteSession &session)
{
    const int keep = col();
    m_model.setSession(&session);
    for (int c = 0; c < 5; ++c) horizontalHeader()->resizeSection(c, ui::twipsToPx(kWidths[c]));
    setCol(keep < 1 ? 1 : keep);
}

int PanelList::row() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.row() + 1 : 0;
}

int PanelList::col() const
{
    const QModelIndex i = currentIndex();
    return i.isValid() ? i.column() : 0;
}

void PanelList::setRow(int row)
{
    if (row < 1 || row > m_model.rowCount()) return;
    setCurrentIndex(m_model.index(row - 1, std::max(0, col())));
}

void PanelList::setCol(int col)
{
    if (col < 0 || col > 4 || m_model.rowCount() == 0) return;
    setCurrentIndex(m_model.index(std::max(0, row() - 1), col));
}

} // namespace kpv::search
