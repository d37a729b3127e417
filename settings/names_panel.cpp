#include "settings/names_panel.h"

#include "settings/controls.h"
#include "settings/settings_slot_names.h"
#include "storage/dolvb.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"

#include <QKeyEvent>

namespace kpv::settings {

using ui::setGeometryTwips;

namespace {
constexpr int kGridLeft = 240;
constexpr int kGridTop = 1080;
constexpr int kRowHeight = 400;
constexpr int kNameWidth = 2500;
constexpr int kCountWidth = 1200;
} // namespace

NamesPanel::NamesPanel(Dolvb &d, NamesCounts &rules, QWidget *parent) : ui::PictureBox(parent, QStringLiteral("Picture9")), m_d(d), m_rules(rules)
{
    setFrameShape(QFrame::Box);
    makeLabel(this, QStringLiteral("Label15"), QStringLiteral("項目数及び名称設定"), 240, 120, 4200, 360);
    makeLabel(this, QStringLiteral("Label21"), QStringLiteral("予備品項目名称"), kGridLeft, 660, kNameWidth, 360)->setAlignment(Qt::AlignCenter);
    makeLabel(this, QStringLiteral("Label4"), QStringLiteral("数量Max値設定"), kGridLeft + kNameWidth, 660, kCountWidth + 600, 360);

    m_grid = new ui::FlexGrid(this, QStringLiteral("MS1Grid1"));
    m_grid->setAccessibleName(QStringLiteral("項目名称と項目数"));
    m_grid->setCols(2);
    m_grid->setRows(NamesCounts::kRows);
    m_grid->setColWidthTwips(0, kNameWidth);
    m_grid->setColWidthTwips(1, kCountWidth);
    for (int r = 0; r < NamesCounts::kRows; ++r) m_grid->setRowHeightTwips(r, kRowHeight);
    m_grid->setColAlignment(0, Qt::AlignCenter);
    m_grid->setColAlignment(1, Qt::AlignCenter);
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setGeometryTwips(m_grid, kGridLeft, kGridTop, kNameWidth + kCountWidth + 60, NamesCounts::kRows * kRowHeight + 60);
    connect(m_grid, &ui::FlexGrid::cellClickedAt, this, &NamesPanel::cellClicked);

    m_text2 = place(new QLineEdit(this), QStringLiteral("Text2"), 0, 0, kNameWidth, kRowHeight);
    m_text2->setAccessibleName(QStringLiteral("項目名称"));
    m_text2->hide();
    connect(m_text2, &QLineEdit::returnPressed, this, &NamesPanel::labelEntered);

    m_combo1 = place(new QComboBox(this), QStringLiteral("Combo1"), 0, 0, kCountWidth, kRowHeight);
    m_combo1->setAccessibleName(QStringLiteral("項目数"));
    m_combo1->hide();
    connect(m_combo1, &QComboBox::activated, this, &NamesPanel::countChosen);

    const int boundTop = kGridTop + NamesCounts::kRows * kRowHeight + 300;
    m_label6 = makeLabel(this, QStringLiteral("Label6"), QStringLiteral("項目数Max"), kGridLeft, boundTop, 1500, 360);
    m_combo2 = place(new QComboBox(this), QStringLiteral("Combo2"), kGridLeft + 1560, boundTop, 1200, 360);
    m_combo2->setAccessibleName(QStringLiteral("項目数Max"));
    m_combo2->addItems(NamesCounts::boundChoices());
    connect(m_combo2, &QComboBox::activated, this, &NamesPanel::boundChosen);

    const int buttonTop = boundTop + 600;
    m_register = makeButton(this, QStringLiteral("Command12"), QStringLiteral("登　録"), kGridLeft, buttonTop, 1300, 480);
    m_close = makeButton(this, QStringLiteral("Command13"), QStringLiteral("閉じる"), kGridLeft + 1400, buttonTop, 1300, 480);
    m_explain = makeButton(this, QStringLiteral("Command43"), QStringLiteral("説明"), kGridLeft + 2800, buttonTop, 900, 480);
    connect(m_register, &QPushButton::clicked, this, [this] {
        m_text2->hide();
        m_rules.registerChanges();
    });
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_explain, &QPushButton::clicked, this,
            [this] { m_d.messages().tell(QStringLiteral("登録確認"), NamesCounts::explanation()); });
}

void NamesPanel::fill()
{
    m_grid->setRedraw(false);
    for (int r = 0; r < NamesCounts::kRows; ++r) {
        m_grid->setTextMatrix(r, 0, m_rules.label(r));
        m_grid->setTextMatrix(r, 1, r == 0 ? QString() : m_rules.count(r));
    }
    m_grid->setCellBackground(0, 1, palette().color(QPalette::Window));
    m_grid->setRedraw(true);
    fillChoices();
}

void NamesPanel::fillChoices()
{
    m_combo1->clear();
    m_combo1->addItems(NamesCounts::countChoices(m_rules.bound()));
    const QString bound = m_d.sharedSettings.value(shared::kCountBound).trimmed();
    const int i = m_combo2->findText(bound);
    if (i >= 0) m_combo2->setCurrentIndex(i);
}

void NamesPanel::resetEditors()
{
    m_text2->hide();
    m_combo1->hide();
    m_editRow = -1;
}

void NamesPanel::resetHighlights()
{
    ui::paintBackground(m_label6, palette().color(QPalette::Window));
}

void NamesPanel::cellClicked(int row, int col)
{
    resetEditors();
    const int top = kGridTop + 30 + row * kRowHeight;
    if (col == 0) {
        m_editRow = row;
        setGeometryTwips(m_text2, kGridLeft + 30, top, kNameWidth, kRowHeight);
        m_text2->setText(m_grid->textMatrix(row, 0));
        m_text2->show();
        m_text2->raise();
        m_text2->setFocus();
        m_text2->end(false);
        return;
    }
    if (!m_rules.countEditable(row)) return;
    m_editRow = row;
    setGeometryTwips(m_combo1, kGridLeft + 30 + kNameWidth, top, kCountWidth, kRowHeight);
    const int i = m_combo1->findText(m_grid->textMatrix(row, 1));
    m_combo1->setCurrentIndex(i);
    m_combo1->show();
    m_combo1->raise();
}

void NamesPanel::labelEntered()
{
    if (m_editRow < 0) return;
    const auto stored = m_rules.setLabel(m_editRow, m_text2->text());
    if (!stored) return; // refused: the editor stays open with the text
    m_grid->setTextMatrix(m_editRow, 0, *stored);
    m_text2->hide();
    m_editRow = -1;
    emit labelsChanged();
}

void NamesPanel::countChosen(int index)
{
    if (m_editRow < 1 || index < 0) return;
    m_rules.setCount(m_editRow, m_combo1->itemText(index));
    m_grid->setTextMatrix(m_editRow, 1, m_rules.count(m_editRow));
    m_grid->setCol(1);
    m_combo1->hide();
    m_editRow = -1;
}

void NamesPanel::boundChosen(int index)
{
    if (index < 0) return;
    if (!m_rules.setBound(m_combo2->itemText(index))) return;
    m_combo1->clear();
    m_combo1->addItems(NamesCounts::countChoices(m_rules.bound()));
    ui::paintBackground(m_label6, QColor(255, 0, 0));
}

} // namespace kpv::settings
