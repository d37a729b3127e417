#include "ledger/form11.h"

#include "ledger/entry_helpers.h"
#include "ledger/entry_panel_mover.h"
#include "ledger/pick_list_panel.h"
#include "ledger/start_of_use_panel.h"
#include "storage/settings_slots.h"
#include "ui/background_palette.h"
#include "search/narrow_panel.h"
#include "search/sort_panel.h"
#include "storage/dolvb.h"
#include "storage/numbers.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kpv::ledger {

using ui::PictureBox;
using ui::setGeometryTwips;
const auto button = ui::placedButton;

namespace {
PictureBox *hiddenPanel(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    auto *p = new PictureBox(parent, QString::fromLatin1(name));
    setGeometryTwips(p, l, t, w, h);
    p->setFrameShape(QFrame::Box);
    p->hide();
    return p;
}

// The screen's own colour where no background colour was chosen.
const QColor kDesignedBackground = ui::colourFromBgr(0x00E6D8AD);
} // namespace

Form11::Form11(menu::ScreenServices &services) : Form11(services.d, services.endProgram) {}

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
    connectEntry(today);
    buildSearchPanels();

    m_session.open(today);
    {
        // The card's word lists as the data folder holds them now.
        BusyGuard busy(d.pointer());
        d.loadPickLists();
    }
    applySettings();
    m_list.layoutGrid(m_session.look());
    m_card.layoutGrids(d.itemLabels, m_session.card(), m_session.look().startOfUse);
    refresh();
}

void Form11::buildWindow()
{
    setWindowTitle(QStringLiteral("在庫台帳登録"));
    setGeometryTwips(this, 0, 0, 18880, 10540);
    setFixedSize(size());
    // Centred, then a little higher.
    ui::centerForm(this);
    move(x(), y() - ui::twipsToPx(200));
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
    machineDetails = button(commandBar, "Command42", QStringLiteral("機器詳細仕様"), 11400, 80, 1600, 460);
    close = button(commandBar, "Command4", QStringLiteral("終 了"), 17000, 80, 1400, 460);
}

void Form11::buildPanels()
{
    sortPanel = hiddenPanel(background, "Picture8", 1660, 1400, 12000, 8000);
    importPanel = hiddenPanel(background, "Picture24", 6000, 1400, 6000, 1600);
    narrowPanel = hiddenPanel(background, "Picture6", 6000, 1400, 5400, 1500);
    progress = hiddenPanel(background, "Picture5", 8000, 4800, 2800, 600);
    auto *note = new QLabel(QStringLiteral(" Excel出力中　"), progress);
    note->setObjectName(QStringLiteral("Label7"));
    ui::showsValue(note, QStringLiteral("処理状況"));
    setGeometryTwips(note, 80, 120, 2600, 360);
    button(importPanel, "Command25", QStringLiteral("入出庫転記"), 120, 120, 1800, 480);
    button(importPanel, "Command26", QStringLiteral("入出庫記載"), 2040, 120, 1800, 480);
    auto *closeImport = button(importPanel, "Command32", QStringLiteral("閉じる"), 3960, 120, 1200, 480);
    connect(closeImport, &QPushButton::clicked, importPanel, &QWidget::hide);
}

void Form11::applySettings()
{
    Dolvb &d = m_session.data();
    setWindowTitle(d.appTitle + QStringLiteral("　登録・訂正 "));
    menu::applyBackgroundColour(d);
    // The word list and the start-of-use chooser keep their own colours.
    for (QWidget *p : {static_cast<QWidget *>(background), static_cast<QWidget *>(m_list.panel),
                       static_cast<QWidget *>(m_card.panel), static_cast<QWidget *>(m_card.frame),
                       static_cast<QWidget *>(sortPanel), static_cast<QWidget *>(importPanel),
                       static_cast<QWidget *>(narrowPanel), static_cast<QWidget *>(progress)})
        ui::paintBackground(p, d.backgroundColour, kDesignedBackground);
    const bool monthly = d.sharedSettings.isOn(slot::shared::kMonthlyImport);
    for (const char *name : {"Command25", "Command26"})
        if (auto *b = importPanel->findChild<QPushButton *>(QString::fromLatin1(name))) b->setVisible(monthly);
    m_list.startMonth->setText(d.sharedSettings.value(slot::shared::kStartMonth));
    m_card.itemCaption->setText(d.sharedSettings.value(slot::shared::kFirstItemLabel));
    if (d.clientSettings.isOn(slot::client::kHideExplanations)) m_list.explain->hide();
    const bool viewOnly = m_session.viewOnly();
    sort->setVisible(!viewOnly);
    remove->setVisible(!viewOnly);
    monthlyImport->setVisible(!viewOnly && monthly);
}

void Form11::connectList()
{
    connect(m_list.nextPage, &QPushButton::clicked, this, [this] {
        resetPanels();
        run([this] { m_session.nextPage(); });
    });
    connect(m_list.previousPage, &QPushButton::clicked, this, [this] {
        resetPanels();
        run([this] { m_session.previousPage(); });
    });
    connect(m_list.recalculate, &QPushButton::clicked, this, [this] {
        if (m_narrow && m_narrow->isOpen()) {
            // While narrowing, the total of the items listed.
            Dolvb &d = m_session.data();
            d.sumListedStockValue(m_narrow->narrowing().result());
            m_list.total->setText(formatNumber(d.listedStockValue, QStringLiteral("#,###,###,###")));
            return;
        }
        run([this] { m_session.recalculateTotal(); });
    });
    connect(m_list.explain, &QPushButton::clicked, this, [this] { m_session.explainCalculation(); });
    connect(m_list.backupNote, &ui::ClickLabel::clicked, this, [this] {
        m_session.data().messages().tell(QStringLiteral("登録確認"), QStringLiteral("データバックアップ設定有りで□が表示され")
                                                                      + QLatin1Char('\r')
                                                                      + QStringLiteral("　　正常にデータがﾊﾞｯｸｱｯﾌﾟで赤色に変色"));
    });
    connect(m_list.grid, &ui::FlexGrid::cellClickedAt, this, [this](int r, int c) { m_session.setListCell(r, c); });
    connect(newItem, &QPushButton::clicked, this, [this] {
        run([this] {
            m_session.openNewCard();
            if (m_session.cardOpen()) openCardPanels();
        });
    });
    connect(correct, &QPushButton::clicked, this, [this] {
        m_session.setListCell(m_list.grid->row(), m_list.grid->col());
        run([this] {
            m_session.openCorrectCard();
            if (m_session.cardOpen()) openCardPanels();
        });
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
    connect(m_card.close, &QPushButton::clicked, this, [this] { run([this] { m_session.closeCard(); }); });
    connect(m_card.fields, &ui::FlexGrid::cellClickedAt, this, [this](int r, int c) {
        if (r == 1) emit fieldCellClicked(c);
    });
    connect(m_card.months, &ui::FlexGrid::cellClickedAt, this, [this](int r, int c) {
        if (r >= 1) emit monthCellClicked(r, c);
    });
    connect(m_card.itemNumber, &ui::ClickLabel::clicked, this, &Form11::itemNumberClicked);
}

// The card's entry tools: the text box of the card, the word list and the
// start-of-use chooser on the screen's background, the calculator.
void Form11::connectEntry(const QDate &today)
{
    m_entry = new EntryHelpers(m_session.data(), m_session.entry(), background, today.year(), m_card.text);
    m_entry->setCardPanel(m_card.panel);
    pickList = m_entry->pickListPanel();
    startOfUse = m_entry->startOfUsePanel();
    // The entry tools close whenever the session ends the open entry.
    m_session.setEntryToolsCloser([this] { m_entry->closeTools(); });
    // A refused entry is painted while its message is up.
    m_session.card().setPainter([this] {
        showCard();
        m_card.panel->repaint();
    });
    connect(this, &Form11::fieldCellClicked, m_entry, &EntryHelpers::fieldGridClicked);
    connect(this, &Form11::monthCellClicked, m_entry, &EntryHelpers::monthGridClicked);
    connect(this, &Form11::itemNumberClicked, m_entry, &EntryHelpers::itemNumberClicked);
    connect(m_entry, &EntryHelpers::cardChanged, this, &Form11::showCard);
    connect(m_entry, &EntryHelpers::resetRequested, this, &Form11::fom11gamencler);
    connect(m_card.entryHelp, &QPushButton::clicked, m_entry, &EntryHelpers::showMoveCardHelp);
    new EntryPanelMover(m_card.panel, m_card.frame, narrowPanel, m_list.grid, m_list.panel);
}

void Form11::resetPanels()
{
    for (QWidget *w : {static_cast<QWidget *>(progress), static_cast<QWidget *>(m_list.narrowPaging),
                       static_cast<QWidget *>(importPanel)})
        w->hide();
    m_list.paging->show();
}

void Form11::openCardPanels()
{
    resetPanels();
    for (QWidget *w : {static_cast<QWidget *>(narrowPanel), static_cast<QWidget *>(sortPanel)}) w->hide();
    // A sort or delete panel left open gives its temporary ledger back; while
    // narrowing, "絞込解除" stays reachable.
    if (m_sortPanel) m_sortPanel->closeSessions();
    if (!m_narrow || !m_narrow->isOpen()) m_list.narrowButtons->hide();
}

bool Form11::fom11gamencler()
{
    resetPanels();
    // The text box and the word list go with the reset, and so does the
    // calculator: the entry ends (typed text is stored first).
    const bool ok = m_session.endEntry() && m_session.reset();
    refresh();
    return ok;
}

// The narrowing, sort and delete panels close the card: its entry ends and
// its unregistered values are not discarded without a question.
bool Form11::resetListState()
{
    if (!m_session.leaveCard()) {
        refresh();
        return false;
    }
    return fom11gamencler();
}

void Form11::afterCommand()
{
    // The ledger was replaced elsewhere and the list read again: a narrowed
    // list of the old record numbers is left too.
    if (m_session.takeListReloaded() && m_narrowed && m_narrow) m_narrow->close();
    refresh();
}

void Form11::closeEvent(QCloseEvent *event)
{
    if (!m_session.ending() && m_session.cardOpen() && !m_session.leaveCard()) {
        event->ignore();
        refresh();
        return;
    }
    QWidget::closeEvent(event);
}

void Form11::showCard()
{
    m_card.showCard(m_session.card());
    // The grids' current cells are the entry's.
    const auto [row, col] = m_session.cardCells().monthCurrentCell();
    m_card.months->setRow(row);
    m_card.months->setCol(col);
    m_card.fields->setRow(1);
    m_card.fields->setCol(m_session.cardCells().fieldCurrentColumn());
}

void Form11::refresh()
{
    m_list.showPage(m_session.page(), m_session.look());
    m_list.grid->setRow(m_session.listRow());
    if (!m_narrowed) m_list.showLabels(m_session);
    m_card.panel->setVisible(m_session.cardOpen());
    if (m_session.cardOpen()) {
        m_card.panel->raise();
        showCard();
    }
}

// ---- Narrowing, sorting and deleting ------------------------------------------

void Form11::buildSearchPanels()
{
    Dolvb &d = m_session.data();
    m_narrow = new search::NarrowPanel(d, *this, {narrowPanel, m_list.narrowButtons, m_list.narrowPaging, m_list.panel}, this);
    m_sortPanel = new search::SortPanel(d, *this, sortPanel, this);
    connect(narrow, &QPushButton::clicked, m_narrow, &search::NarrowPanel::open);
    connect(m_list.grid, &ui::FlexGrid::cellClickedAt, m_narrow, &search::NarrowPanel::listClicked);
    connect(sort, &QPushButton::clicked, m_sortPanel, &search::SortPanel::openSort);
    connect(remove, &QPushButton::clicked, m_sortPanel, &search::SortPanel::openDelete);
}

ui::FlexGrid &Form11::listGrid()
{
    return *m_list.grid;
}

void Form11::showRecords(const std::vector<int> &recordNos)
{
    // A narrowed list of a ledger replaced elsewhere names other items now.
    if (m_narrow && m_session.ledgerReplacedSince(m_narrow->narrowing().readFrom())) {
        m_session.reloadList();
        m_session.takeListReloaded();
        m_narrow->close();
        return;
    }
    m_session.showRecords(recordNos);
    // A card registered meanwhile repaints this page of the narrowed list.
    m_session.setPageRefill([this] { m_session.showRecords(m_narrow->narrowing().pageRecords()); });
    m_narrowed = true;
    m_list.showPage(m_session.page(), m_session.look());
}

void Form11::showWholeLedger()
{
    m_narrowed = false;
    m_session.setPageRefill({});
    m_session.showFirstPage();
    refresh();
}

void Form11::setCountAndPage(const QString &count, const QString &page)
{
    m_list.count->setText(count);
    m_list.pageNo->setText(page);
}

void Form11::setNarrowingMode(bool narrowing)
{
    if (narrowing) {
        m_sortPanel->closeSessions();
        m_session.closeCard();
        m_card.panel->hide();
        sortPanel->hide();
        for (QWidget *w : {static_cast<QWidget *>(m_list.paging), static_cast<QWidget *>(sort), static_cast<QWidget *>(remove),
                           static_cast<QWidget *>(narrow), static_cast<QWidget *>(ledgerBook)})
            w->hide();
        return;
    }
    m_list.paging->show();
    narrow->show();
    ledgerBook->show();
    applySettings();
}

void Form11::hideCardAndNarrowing()
{
    m_session.closeCard();
    m_card.panel->hide();
    narrowPanel->hide();
}

} // namespace kpv::ledger
