#include "ledger/list_panel.h"

#include "ledger/ledger_colours.h"
#include "ledger/ledger_session.h"
#include "ledger/list_page.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QLabel>
#include <QPushButton>

namespace kpv::ledger {

using ui::setGeometryTwips;
const auto button = ui::placedButton;

namespace {
QLabel *label(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    auto *x = new QLabel(text, parent);
    x->setObjectName(QString::fromLatin1(name));
    setGeometryTwips(x, l, t, w, h);
    return x;
}

constexpr int kWidths[ListPage::kColumns] = {600,  2000, 2400, 2400, 2400, 1800, 1000, 1000, 800,  1000,
                                             1000, 1000, 1000, 800,  1000, 1000, 1000, 1000, 1000, 1000,
                                             1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1100};
} // namespace

void ListPanel::build(QWidget *parent)
{
    panel = new ui::PictureBox(parent, QStringLiteral("Picture7"));
    setGeometryTwips(panel, 120, 760, 18540, 9560);
    panel->setFrameShape(QFrame::Box);

    label(panel, "Label10", QStringLiteral("在庫品台帳"), 120, 140, 1500, 330);
    label(panel, "Label12", QStringLiteral("開始年月"), 1800, 140, 1000, 330);
    startMonth = label(panel, "Label27", QString(), 2820, 140, 1200, 330);
    count = label(panel, "Label8", QString(), 4200, 140, 1500, 330);
    pageNo = label(panel, "Label15", QString(), 5800, 140, 900, 330);
    label(panel, "Label5", QStringLiteral("在庫金額計"), 6900, 140, 1300, 330);
    total = label(panel, "Label16", QString(), 8200, 140, 1900, 330);
    total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::showsValue(startMonth, QStringLiteral("開始年月"));
    ui::showsValue(count, QStringLiteral("総数"));
    ui::showsValue(pageNo, QStringLiteral("ページ"));
    ui::showsValue(total, QStringLiteral("在庫金額計"));
    recalculate = button(panel, "Command24", QStringLiteral("再計算"), 10200, 80, 1000, 440);
    explain = button(panel, "Command20", QStringLiteral("説明"), 11300, 80, 800, 440);
    cardIndicator = label(panel, "Label9", QString(), 12300, 140, 330, 330);
    cardIndicator->setFrameShape(QFrame::Box);
    cardIndicator->setAccessibleName(QStringLiteral("個別枠表示"));
    backupNote = new ui::ClickLabel(panel, QStringLiteral("Label6"), QStringLiteral("データバックアップ"));
    setGeometryTwips(backupNote, 12800, 140, 2100, 330);
    backup = label(panel, "Label71", QString(), 14950, 140, 330, 330);
    backup->setFrameShape(QFrame::Box);
    ui::showsState(backup, QStringLiteral("データバックアップ"), colours::backupDone());

    grid = new ui::FlexGrid(panel, QStringLiteral("f1Grid1"));
    setGeometryTwips(grid, 120, 600, 18200, 8240);
    grid->setAccessibleName(QStringLiteral("在庫品台帳"));

    paging = new ui::PictureBox(panel, QStringLiteral("Picture4"));
    setGeometryTwips(paging, 120, 8900, 2700, 560);
    nextPage = button(paging, "Command1", QStringLiteral("次 項"), 40, 40, 1280, 480);
    previousPage = button(paging, "Command2", QStringLiteral("前 項"), 1380, 40, 1280, 480);
    narrowPaging = new ui::PictureBox(panel, QStringLiteral("Picture17"));
    setGeometryTwips(narrowPaging, 3000, 8900, 2700, 560);
    narrowPaging->hide();
    narrowButtons = new ui::PictureBox(panel, QStringLiteral("Picture27"));
    setGeometryTwips(narrowButtons, 12000, 8900, 6300, 560);
}

void ListPanel::layoutGrid(const ListLook &look)
{
    grid->setRedraw(false);
    grid->setCols(ListPage::kColumns);
    grid->setRows(ListPage::kLines + 1);
    grid->setFixedRows(1);
    for (int r = 0; r <= ListPage::kLines; ++r) grid->setRowHeightTwips(r, 320);
    for (int c = 0; c < ListPage::kColumns; ++c) {
        grid->setColWidthTwips(c, c == 28 && !look.startOfUse ? 0 : kWidths[c]);
        Qt::Alignment a = Qt::AlignLeft;
        if (c == 8 || c == 13) a = Qt::AlignHCenter;
        else if (c >= 6 && c != 28) a = Qt::AlignRight;
        grid->setColAlignment(c, a | Qt::AlignVCenter);
    }
    grid->setRedraw(true);
}

void ListPanel::showPage(const ListPage &page, const ListLook &look)
{
    grid->setRedraw(false);
    const int last = look.lastColumn();
    for (int line = 0; line <= ListPage::kLines; ++line) {
        for (int c = 0; c < ListPage::kColumns; ++c) {
            grid->setTextMatrix(line, c, page.cell(line, c));
            const bool banded = c <= last && (line == 0 || line % 2 == 0);
            grid->setCellBackground(line, c, banded ? colours::header() : colours::window());
        }
        if (line % 2 == 1) grid->setCellBackground(line, 11, colours::of(page.shade(line)));
    }
    grid->setRedraw(true);
}

void ListPanel::showLabels(const LedgerSession &s)
{
    count->setText(s.countText());
    pageNo->setText(s.pageText());
    total->setText(s.totalText());
    backup->setVisible(s.backupShown());
    ui::paintBackground(backup, s.backupDone() ? colours::backupDone() : colours::indicator());
    ui::paintBackground(cardIndicator, colours::indicator());
}

} // namespace kpv::ledger
