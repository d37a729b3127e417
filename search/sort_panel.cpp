#include "search/sort_panel.h"

#include "search/list_host.h"
#include "search/panel_list.h"
#include "storage/dolvb.h"
#include "storage/numbers.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

namespace kpv::search {

using ui::setGeometryTwips;
const auto button = ui::placedButton;

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &accessible, int l, int t, int w, int h)
{
    auto *x = new QLabel(parent);
    x->setObjectName(QString::fromLatin1(name));
    ui::showsValue(x, accessible);
    setGeometryTwips(x, l, t, w, h);
    return x;
}

const QColor kWorking(0xFF, 0xC0, 0xC0);
const QColor kSorted(0xFF, 0x80, 0x80);
} // namespace

SortPanel::SortPanel(Dolvb &d, ListHost &host, QWidget *p, QObject *parent)
    : QObject(parent), panel(p), m_d(d), m_host(host), m_sort(d), m_delete(d)
{
    build();
}

void SortPanel::build()
{
    // The panel covers the list.
    setGeometryTwips(panel, 120, 760, 12400, 9680);
    ui::paintBackground(panel, QColor(0, 0, 64));
    title = label(panel, "Label21", QStringLiteral("パネル名"), 120, 120, 3000, 360);
    count = label(panel, "Label20", QStringLiteral("総数"), 3300, 120, 1800, 360);
    result = label(panel, "Label13", QStringLiteral("結果"), 5200, 120, 1500, 360);
    marker = label(panel, "Label14", QStringLiteral("状態"), 6800, 120, 360, 360);
    marker->setFrameShape(QFrame::Box);
    ui::showsState(marker, QStringLiteral("Sort完了"), kSorted);
    for (QLabel *l : {title, count, result}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, Qt::white);
        l->setPalette(pal);
    }
    progress = button(panel, "Command30", QString(), 7400, 80, 1400, 440);
    progress->hide();
    list = new PanelList(panel);
    list->setObjectName(QStringLiteral("MSFlexGrid3"));
    list->setAccessibleName(QStringLiteral("在庫品一覧"));
    setGeometryTwips(list, 120, 600, 12100, 8400);

    sortButtons = new ui::PictureBox(panel, QStringLiteral("Picture12"));
    setGeometryTwips(sortButtons, 120, 9120, 5000, 520);
    sortStart = button(sortButtons, "Command27", QStringLiteral("Sort開始"), 40, 40, 1500, 440);
    sortRegister = button(sortButtons, "Command19", QStringLiteral("登　録"), 1640, 40, 1500, 440);
    sortClose = button(sortButtons, "Command15", QStringLiteral("閉じる"), 3240, 40, 1500, 440);
    deleteButtons = new ui::PictureBox(panel, QStringLiteral("Picture10"));
    setGeometryTwips(deleteButtons, 120, 9120, 5000, 520);
    deleteRowButton = button(deleteButtons, "Command35", QStringLiteral("行削除"), 40, 40, 1500, 440);
    deleteRegister = button(deleteButtons, "Command34", QStringLiteral("登　録"), 1640, 40, 1500, 440);
    deleteClose = button(deleteButtons, "Command13", QStringLiteral("閉じる"), 3240, 40, 1500, 440);
    panel->hide();

    connect(sortStart, &QPushButton::clicked, this, &SortPanel::startSort);
    connect(sortRegister, &QPushButton::clicked, this, &SortPanel::registerSort);
    connect(sortClose, &QPushButton::clicked, this, &SortPanel::closeSort);
    connect(deleteRowButton, &QPushButton::clicked, this, &SortPanel::deleteRow);
    connect(deleteRegister, &QPushButton::clicked, this, &SortPanel::registerDeletions);
    connect(deleteClose, &QPushButton::clicked, this, &SortPanel::closeDelete);
}

void SortPanel::setCount(int n)
{
    count->setText(QStringLiteral("総数 ") + numberTextBlank(n));
}

void SortPanel::showProgress(const QString &text)
{
    ui::paintBackground(marker, kWorking);
    progress->setText(text);
    progress->show();
    progress->repaint();
}

// The panel's list: a heading row, then one row per ledger record; rows
// whose item was deleted (or left out of the sort) are blank.
void SortPanel::fillList(const RewriteSession &session)
{
    list->showSession(session);
    list->setRow(1);
    list->setCol(1);
}

void SortPanel::closeSessions()
{
    if (m_sort.isOpen()) m_sort.close();
    if (m_delete.isOpen()) m_delete.close();
    panel->hide();
}

bool SortPanel::openPanel(RewriteSession &session, bool sorting)
{
    // One session at a time: the other one of this client gives its lock back.
    RewriteSession &other = sorting ? static_cast<RewriteSession &>(m_delete) : static_cast<RewriteSession &>(m_sort);
    if (other.isOpen()) other.close();
    if (!m_host.resetListState()) return false;
    m_host.hideCardAndNarrowing();
    progress->hide();
    const bool opened = sorting ? m_sort.open() : m_delete.open();
    if (!opened) return false;
    // The screen paints its panels in its background colour: this one is
    // always dark blue.
    ui::paintBackground(panel, QColor(0, 0, 64));
    panel->show();
    panel->raise();
    sortButtons->setVisible(sorting);
    deleteButtons->setVisible(!sorting);
    title->setText(sorting ? QStringLiteral("在庫品台帳Sort") : QStringLiteral("在庫品削除"));
    ui::paintBackground(marker, kWorking);
    result->clear();
    fillList(session);
    setCount(session.listRows());
    return true;
}

void SortPanel::openSort()
{
    m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("　在庫品Noでソートします。　　登録で反映　"));
    openPanel(m_sort, true);
}

void SortPanel::startSort()
{
    showProgress(QStringLiteral("Sort中"));
    const bool sorted = m_sort.sort();
    progress->hide();
    if (!sorted) return;
    fillList(m_sort);
    ui::paintBackground(marker, kSorted);
    setCount(m_sort.listRows());
    result->setText(QStringLiteral("Sort完了"));
}

void SortPanel::finish()
{
    panel->hide();
    m_host.showWholeLedger();
}

void SortPanel::registerSort()
{
    if (m_sort.registerSort()) finish();
}

void SortPanel::closeSort()
{
    m_sort.close();
    finish();
}

void SortPanel::openDelete()
{
    m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("　在庫品一覧表を表示し　対象品クリック⇒削除で実行されます。") + QLatin1Char('\r')
                                                     + QStringLiteral("　登録で反映　"));
    openPanel(m_delete, false);
}

void SortPanel::deleteRow()
{
    showProgress(QStringLiteral("削除中"));
    const int row = list->row();
    const bool deleted = m_delete.deleteRow(row);
    if (deleted) {
        fillList(m_delete);
        list->setRow(std::min(row, std::max(1, m_delete.remaining())));
    }
    progress->hide();
    setCount(m_delete.remaining());
    if (deleted) result->setText(QStringLiteral("削除完了"));
}

void SortPanel::registerDeletions()
{
    if (m_delete.registerDeletions()) finish();
}

void SortPanel::closeDelete()
{
    m_delete.close();
    finish();
}

} // namespace kpv::search
