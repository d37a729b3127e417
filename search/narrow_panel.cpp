#include "search/narrow_panel.h"

#include "search/list_host.h"
#include "storage/codepage.h"
#include "storage/dolvb.h"
#include "storage/numbers.h"
#include "ui/accessible.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QKeyEvent>
#include <functional>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kpv::search {

using ui::setGeometryTwips;
const auto button = ui::placedButton;

namespace {
// The word editor reports Enter instead of acting on it.
class WordEditor : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void()> entered;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && entered) {
            entered();
            return;
        }
        QLineEdit::keyPressEvent(e);
    }
};

constexpr int kEditorTops[3] = {90, 430, 780};
} // namespace

NarrowPanel::NarrowPanel(Dolvb &d, ListHost &host, const NarrowPlaces &places, QObject *parent)
    : QObject(parent), m_d(d), m_host(host), m_places(places)
{
    build(places);
}

void NarrowPanel::build(const NarrowPlaces &p)
{
    conditionsGrid = new ui::FlexGrid(p.conditions, QStringLiteral("MSFlexGrid4"));
    conditionsGrid->setAccessibleName(QStringLiteral("絞込条件"));
    conditionsGrid->setRows(3);
    conditionsGrid->setCols(3);
    const int widths[3] = {340, 1600, 3200};
    for (int c = 0; c < 3; ++c) conditionsGrid->setColWidthTwips(c, widths[c]);
    for (int r = 0; r < 3; ++r) conditionsGrid->setRowHeightTwips(r, 350);
    conditionsGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    conditionsGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setGeometryTwips(conditionsGrid, 100, 60, 5200, 1080);
    auto *editor = new WordEditor(p.conditions);
    editor->setObjectName(QStringLiteral("Text2"));
    editor->setAccessibleName(QStringLiteral("検索語"));
    editor->entered = [this] { wordEntered(); };
    editor->hide();
    wordEditor = editor;
    clearRowButton = button(p.conditions, "Command48", QStringLiteral("行消"), 100, 1160, 900, 360);
    clearWordButton = button(p.conditions, "Command50", QStringLiteral("名消"), 1060, 1160, 900, 360);
    closeButton = button(p.conditions, "Command51", QStringLiteral("閉じる"), 4300, 1160, 1000, 360);
    ui::setGeometryTwips(p.conditions, ui::leftTwips(p.conditions), ui::topTwips(p.conditions), 5400, 1600);

    releaseButton = button(p.buttons, "Command8", QStringLiteral("絞込解除"), 80, 80, 1400, 400);
    againButton = button(p.buttons, "Command47", QStringLiteral("再絞込"), 80, 80, 1400, 400);
    startButton = button(p.buttons, "Command10", QStringLiteral("絞込開始"), 3040, 80, 1400, 400);
    excelButton = button(p.buttons, "Command44", QStringLiteral("Excel出力"), 4520, 80, 1400, 400);
    nextButton = button(p.paging, "Command11", QStringLiteral("次　項"), 40, 40, 1280, 480);
    previousButton = button(p.paging, "Command12", QStringLiteral("前項"), 1380, 40, 1280, 480);
    indicator = button(p.list, "Command41", QStringLiteral("準備中"), 15000, 80, 1200, 440);
    maxPage = new QLabel(p.list);
    maxPage->setObjectName(QStringLiteral("Label4"));
    ui::showsValue(maxPage, QStringLiteral("最大ページ"));
    setGeometryTwips(maxPage, 16300, 140, 1400, 330);

    for (QWidget *w : {static_cast<QWidget *>(againButton), static_cast<QWidget *>(releaseButton), static_cast<QWidget *>(startButton),
                       static_cast<QWidget *>(excelButton), static_cast<QWidget *>(indicator)})
        w->hide();
    p.conditions->hide();
    p.buttons->hide();
    p.paging->hide();

    connect(conditionsGrid, &ui::FlexGrid::cellClickedAt, this, [this](int r, int) { conditionClicked(r); });
    connect(clearRowButton, &QPushButton::clicked, this, &NarrowPanel::clearRow);
    connect(clearWordButton, &QPushButton::clicked, this, &NarrowPanel::clearWord);
    connect(closeButton, &QPushButton::clicked, this, &NarrowPanel::close);
    connect(releaseButton, &QPushButton::clicked, this, &NarrowPanel::close);
    connect(startButton, &QPushButton::clicked, this, &NarrowPanel::start);
    connect(againButton, &QPushButton::clicked, this, &NarrowPanel::again);
    connect(excelButton, &QPushButton::clicked, this, &NarrowPanel::excelRequested);
    connect(nextButton, &QPushButton::clicked, this, &NarrowPanel::nextPage);
    connect(previousButton, &QPushButton::clicked, this, &NarrowPanel::previousPage);
}

void NarrowPanel::fillRow(int row, int listCol, const QString &word)
{
    conditionsGrid->setTextMatrix(row, 0, QString::number(listCol));
    conditionsGrid->setTextMatrix(row, 1, m_host.listGrid().textMatrix(0, listCol));
    conditionsGrid->setTextMatrix(row, 2, word);
}

ConditionRows NarrowPanel::readRows() const
{
    ConditionRows rows;
    for (int r = 0; r < 3; ++r)
        rows[size_t(r)] = ConditionRow{conditionsGrid->textMatrix(r, 0), conditionsGrid->textMatrix(r, 1), conditionsGrid->textMatrix(r, 2)};
    return rows;
}

void NarrowPanel::writeRows(const ConditionRows &rows)
{
    for (int r = 0; r < 3; ++r) {
        conditionsGrid->setTextMatrix(r, 0, rows[size_t(r)].column);
        conditionsGrid->setTextMatrix(r, 1, rows[size_t(r)].heading);
        conditionsGrid->setTextMatrix(r, 2, rows[size_t(r)].word);
    }
}

void NarrowPanel::open()
{
    m_d.messages().tell(texts::helpTitle(), texts::help());
    ui::FlexGrid &list = m_host.listGrid();
    const int col = list.col();
    if (!isConditionColumn(col)) {
        m_d.messages().tell(texts::helpTitle(), texts::notAConditionColumn());
        return;
    }
    const QString word = list.textMatrix(list.row(), col);
    if (!m_host.resetListState()) return;
    m_host.setNarrowingMode(true);
    m_places.buttons->show();
    m_places.conditions->show();
    m_places.conditions->raise();
    wordEditor->hide();
    startButton->show();
    releaseButton->show();
    indicator->setText(QStringLiteral("絞込中"));
    ui::paintBackground(indicator, QColor(0xF5, 0xDE, 0xB3));
    indicator->show();

    conditionsGrid->clearCells();
    m_narrowing.clear();
    m_open = true;
    fillRow(0, col, word);
    m_row = 1;
}

void NarrowPanel::listClicked(int row, int col)
{
    if (!m_open) return;
    if (!isConditionColumn(col)) {
        m_d.messages().tell(texts::listTitle(), texts::outsideConditionColumns());
        return;
    }
    fillRow(m_row, col, m_host.listGrid().textMatrix(row, col));
    wordEditor->hide();
    m_row = (m_row + 1) % 3;
}

void NarrowPanel::conditionClicked(int row)
{
    if (row < 0 || row > 2) return;
    m_row = row;
    conditionsGrid->setRow(row);
    wordEditor->setText(conditionsGrid->textMatrix(row, 2));
    setGeometryTwips(wordEditor, 2040, kEditorTops[row], 3100, 330);
    wordEditor->show();
    wordEditor->raise();
    wordEditor->setFocus();
}

void NarrowPanel::wordEntered()
{
    if (conditionsGrid->textMatrix(m_row, 0).isEmpty()) {
        m_d.messages().tell(texts::helpTitle(), texts::noColumnForWord());
        return;
    }
    // A word typed with a Linux input method finds what Windows users stored.
    conditionsGrid->setTextMatrix(m_row, 2, cp932::fromInputMethod(wordEditor->text().trimmed()));
    wordEditor->hide();
    m_row = (m_row + 1) % 3;
}

void NarrowPanel::clearRow()
{
    for (int c = 0; c < 3; ++c) conditionsGrid->setTextMatrix(m_row, c, QString());
    wordEditor->clear();
    wordEditor->hide();
}

void NarrowPanel::clearWord()
{
    conditionsGrid->setTextMatrix(m_row, 2, QString());
    wordEditor->hide();
}

void NarrowPanel::showPage()
{
    m_host.showRecords(m_narrowing.pageRecords());
    ui::FlexGrid &list = m_host.listGrid();
    list.setRow(1);
    list.setCol(1);
}

void NarrowPanel::showLabels()
{
    m_host.setCountAndPage(QStringLiteral("総数 ") + numberTextBlank(m_narrowing.count()),
                           QStringLiteral(" P ") + numberTextBlank(m_narrowing.page()));
}

void NarrowPanel::tellNotFound(const Conditions &c, bool again)
{
    m_d.messages().tell(texts::notFoundTitle(), notFoundText(c, again));
    m_places.conditions->show();
}

void NarrowPanel::start()
{
    m_places.paging->show();
    ConditionRows rows = readRows();
    const Conditions c = orderConditions(rows);
    writeRows(rows);
    wordEditor->hide();
    if (!c.usable()) {
        m_d.messages().tell(texts::helpTitle(), texts::noConditions(false));
    } else {
        m_narrowing.narrowLedger(m_d, c);
        ui::setLeftTwips(releaseButton, 80);
        releaseButton->show();
        excelButton->show();
        if (m_narrowing.count() > kPageItems) {
            ui::setLeftTwips(releaseButton, 1560);
            ui::setLeftTwips(againButton, 80);
            againButton->show();
        }
        if (m_narrowing.count() > 0) {
            showPage();
            startButton->hide();
            m_places.paging->show();
            showLabels();
        } else {
            tellNotFound(c, false);
        }
    }
    m_row = 0;
    conditionsGrid->setRow(0);
    conditionsGrid->setCol(1);
}

void NarrowPanel::again()
{
    m_places.conditions->show();
    ConditionRows rows = readRows();
    const Conditions c = orderConditions(rows);
    writeRows(rows);
    wordEditor->hide();
    if (!c.usable()) {
        m_d.messages().tell(texts::helpTitle(), texts::noConditions(true));
        return;
    }
    m_narrowing.narrowAgain(m_d, c);
    againButton->hide();
    ui::setLeftTwips(releaseButton, 80);
    releaseButton->show();
    if (m_narrowing.count() > 0) {
        showPage();
        excelButton->show();
        showLabels();
        maxPage->setText(QStringLiteral("Max P") + numberTextBlank(m_narrowing.pages()));
    } else {
        tellNotFound(c, true);
    }
}

void NarrowPanel::nextPage()
{
    m_narrowing.nextPage();
    showLabels();
    showPage();
}

void NarrowPanel::previousPage()
{
    m_narrowing.previousPage();
    showLabels();
    showPage();
}

void NarrowPanel::close()
{
    for (QWidget *w : {m_places.paging, m_places.conditions, m_places.buttons}) w->hide();
    for (QWidget *w : {static_cast<QWidget *>(startButton), static_cast<QWidget *>(releaseButton), static_cast<QWidget *>(againButton),
                       static_cast<QWidget *>(excelButton), static_cast<QWidget *>(indicator), static_cast<QWidget *>(wordEditor)})
        w->hide();
    maxPage->clear();
    m_narrowing.clear();
    m_open = false;
    m_row = 0;
    m_host.setNarrowingMode(false);
    m_host.showWholeLedger();
}

} // namespace kpv::search
