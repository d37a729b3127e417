#include "ledger/form11.h"

#include "ledger/ledger_slots.h"
#include "menu/background_palette.h"
#include "storage/dolvb.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kpv::ledger {

using ui::PictureBox;
using ui::setGeometryTwips;

namespace {
QPushButton *button(QWidget *parent, const char *name, const QString &text, int l, int t, int w, int h)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    setGeometryTwips(b, l, t, w, h);
    return b;
}

PictureBox *hiddenPanel(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    auto *p = new PictureBox(parent, QString::fromLatin1(name));
    setGeometryTwips(p, l, t, w, h);
    p->setFrameShape(QFrame::Box);
    p->hide();
    return p;
}

// The background colour chosen in the shared settings, else the screen's own.
QColor backgroundColour(Dolvb &d)
{
    menu::applyBackgroundColour(d);
    const QColor c = ui::colourFromConstant(d.backgroundColour);
    return c.isValid() ? c : ui::colourFromBgr(0x00E6D8AD);
}
} // namespace

Form11::Form11(Dolvb &d, std::function<void()> endProgram, const QDate &today, QWidget *parent)
    : QWidget(parent), m_session(d, std::move(endProgram))
{
    setObjectName(QStringLiteral("Form11"));
    buildWindow();
    buildCommandBar();
    m_list.build(background);
    buildPanels();
    m_card.build(background);
    connectList();
    connectCard();

    m_session.open(today);
    applySettings();
    m_list.layoutGrid(m_session.look());
    m_card.layoutGrids(d.itemLabels, m_session.card(), m_session.look().startOfUse);
    refresh();
}

void Form11::buildWindow()
{
    setWindowTitle(QStringLiteral("在庫台帳登録"));
    setGeometryTwips(this, 0, 0, 18880, 10540);
    background = new PictureBox(this, QStringLiteral("Picture30"));
    setGeometryTwips(background, 40, 40, 18800, 10460);
}

void Form11::buildCommandBar()
{
    commandBar = new PictureBox(background, QStringLiteral("Picture3"));
    setGeometryTwips(commandBar, 120, 80, 18540, 620);
    monthlyImport = button(commandBar, "Command28", QStringLiteral("月毎入出庫処理"), 80, 80, 2000, 460);
    sort = button(commandBar, "Command31", QStringLiteral("Sort"), 2200, 80, 1200, 460);
    remove = button(commandBar, "Command33", QStringLiteral("削　除"), 3500, 80, 1200, 460);
    narrow = button(commandBar, "Command29", QStringLiteral("絞　込"), 4800, 80, 1200, 460);
    correct = button(commandBar, "Command23", QStringLiteral("訂 正"), 6400, 80, 1400, 460);
    newItem = button(commandBar, "Command9", QStringLiteral("新 規"), 7900, 80, 1400, 460);
    ledgerBook = button(commandBar, "Command6", QStringLiteral("在庫品Excel"), 9700, 80, 1600, 460);
    machineSpec = button(commandBar, "Command42", QStringLiteral("機器詳細仕様"), 11400, 80, 1600, 460);
    close = button(commandBar, "Command4", QStringLiteral("終 了"), 17000, 80, 1400, 460);
}

void Form11::buildPanels()
{
    pickList = hiddenPanel(background, "Picture1", 1660, 6900, 8000, 3300);
    sortPanel = hiddenPanel(background, "Picture8", 1660, 1400, 12000, 8000);
    importPanel = hiddenPanel(background, "Picture24", 6000, 1400, 6000, 1600);
    narrowPanel = hiddenPanel(background, "Picture6", 6000, 1400, 5400, 1500);
    progress = hiddenPanel(background, "Picture5", 8000, 4800, 2800, 600);
    auto *note = new QLabel(QStringLiteral(" Excel出力中　"), progress);
    note->setObjectName(QStringLiteral("Label7"));
    setGeometryTwips(note, 80, 120, 2600, 360);
    startOfUse = hiddenPanel(background, "Picture21", 10000, 6900, 4000, 2400);
    button(importPanel, "Command25", QStringLiteral("入出庫転記"), 120, 120, 1800, 480);
    button(importPanel, "Command26", QStringLiteral("入出庫記載"), 2040, 120, 1800, 480);
    auto *closeImport = button(importPanel, "Command32", QStringLiteral("閉じる"), 3960, 120, 1200, 480);
    connect(closeImport, &QPushButton::clicked, importPanel, &QWidget::hide);
}

void Form11::applySettings()
{
    Dolvb &d = m_session.data();
    setWindowTitle(d.appTitle + QStringLiteral("　登録・訂正 "));
    const QColor bg = backgroundColour(d);
    ui::paintBackground(background, bg);
    ui::paintBackground(m_list.panel, bg);
    ui::paintBackground(m_card.panel, bg);
    ui::paintBackground(m_card.frame, bg);
    for (QWidget *p : {pickList, sortPanel, importPanel, narrowPanel, progress, startOfUse}) ui::paintBackground(p, bg);
    const bool monthly = d.sharedSettings.isOn(slotNo::shared::kMonthlyImport);
    for (const char *name : {"Command25", "Command26"})
        if (auto *b = importPanel->findChild<QPushButton *>(QString::fromLatin1(name))) b->setVisible(monthly);
    m_list.startMonth->setText(d.sharedSettings.value(slotNo::shared::kStartMonth));
    m_card.itemCaption->setText(d.sharedSettings.value(slotNo::shared::kItemNumberCaption));
    if (d.clientSettings.isOn(slotNo::client::kHideExplanations)) m_list.explain->hide();
    const bool viewOnly = m_session.viewOnly();
    sort->setVisible(!viewOnly);
    remove->setVisible(!viewOnly);
    monthlyImport->setVisible(!viewOnly && monthly);
}

void Form11::connectList()
{
    connect(m_list.nextPage, &QPushButton::clicked, this, [this] { run([this] { m_session.nextPage(); }); });
    connect(m_list.previousPage, &QPushButton::clicked, this, [this] { run([this] { m_session.previousPage(); }); });
    connect(m_list.recalculate, &QPushButton::clicked, this, [this] { run([this] { m_session.recalculateTotal(); }); });
    connect(m_list.explain, &QPushButton::clicked, this, [this] { m_session.explainCalculation(); });
    connect(m_list.backupNote, &ui::ClickLabel::clicked, this, [this] {
        m_session.data().messages().tell(QStringLiteral("登録確認"), QStringLiteral("データバックアップ設定有りで□が表示され")
                                                                      + QLatin1Char('\r')
                                                                      + QStringLiteral("　　正常にデータがﾊﾞｯｸｱｯﾌﾟで赤色に変色"));
    });
    connect(m_list.grid, &ui::FlexGrid::cellClickedAt, this, [this](int r, int c) { m_session.setListCell(r, c); });
    connect(newItem, &QPushButton::clicked, this, [this] { run([this] { m_session.openNewCard(); }); });
    connect(correct, &QPushButton::clicked, this, [this] {
        m_session.setListCell(m_list.grid->row(), m_list.grid->col());
        run([this] { m_session.openCorrectCard(); });
    });
    connect(close, &QPushButton::clicked, this, &QWidget::close);
}

void Form11::connectCard()
{
    connect(m_card.registerButton, &QPushButton::clicked, this, [this] { run([this] { m_session.registerCard(); }); });
    connect(m_card.clearAll, &QPushButton::clicked, this, [this] { run([this] { m_session.clearCard(); }); });
    connect(m_card.clearMovements, &QPushButton::clicked, this, [this] { run([this] { m_session.clearMovements(); }); });
    connect(m_card.copy, &QPushButton::clicked, this, [this] { run([this] { m_session.copyCard(); }); });
    connect(m_card.next, &QPushButton::clicked, this, [this] {
        m_session.setListCell(m_list.grid->row(), m_list.grid->col());
        run([this] { m_session.nextCard(); });
    });
    connect(m_card.close, &QPushButton::clicked, this, [this] {
        pickList->hide();
        run([this] { m_session.closeCard(); });
    });
    connect(m_card.fields, &ui::FlexGrid::cellClickedAt, this, [this](int r, int c) {
        if (r != 1) return;
        m_session.card().cardColumn = c;
        if (c == 9) run([this] { m_session.explainStockCell(); });
        emit fieldCellClicked(c);
    });
    connect(m_card.months, &ui::FlexGrid::cellClickedAt, this, [this](int r, int c) {
        if (r < 1) return;
        m_session.card().monthRow = r;
        m_session.card().monthColumn = c;
        emit monthCellClicked(r, c);
    });
    connect(m_card.itemNumber, &ui::ClickLabel::clicked, this, &Form11::itemNumberClicked);
}

bool Form11::fom11gamencler()
{
    for (QWidget *w : {static_cast<QWidget *>(progress), static_cast<QWidget *>(pickList),
                       static_cast<QWidget *>(m_list.narrowPaging), static_cast<QWidget *>(importPanel),
                       static_cast<QWidget *>(m_card.text)})
        w->hide();
    m_list.paging->show();
    const bool ok = m_session.reset();
    refresh();
    return ok;
}

void Form11::refresh()
{
    m_list.showPage(m_session.page(), m_session.look());
    m_list.grid->setRow(m_session.listRow());
    m_list.showLabels(m_session);
    m_card.panel->setVisible(m_session.cardOpen());
    if (m_session.cardOpen()) {
        m_card.panel->raise();
        m_card.showCard(m_session.card());
    }
}

} // namespace kpv::ledger
