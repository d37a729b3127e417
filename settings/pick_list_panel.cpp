#include "settings/pick_list_panel.h"

#include "settings/controls.h"
#include "storage/dolvb.h"
#include "storage/text.h"
#include "ui/accessible.h"
#include "ui/flex_grid.h"

#include <QKeyEvent>

namespace kpv::settings {

namespace {
constexpr int kWordColumn = 2;

int labelPosition(int list)
{
    return list == 6 ? 9 : list + 1;
}
} // namespace

PickListPanel::PickListPanel(Dolvb &d, PickListEditor &editor, QWidget *parent)
    : ui::PictureBox(parent, QStringLiteral("Picture6")), m_d(d), m_editor(editor)
{
    setFrameShape(QFrame::Box);
    m_label2 = makeLabel(this, QStringLiteral("Label2"), {}, 240, 120, 3000, 360);
    m_label1 = makeLabel(this, QStringLiteral("Label1"), {}, 3360, 120, 1400, 360);
    m_label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::showsValue(m_label2, QStringLiteral("リスト名"));
    ui::showsValue(m_label1, QStringLiteral("項目数"));
    m_text1 = place(new QLineEdit(this), QStringLiteral("Text1"), 240, 540, 4500, 400);
    m_text1->setAccessibleName(QStringLiteral("項目"));
    m_text1->installEventFilter(this);
    connect(m_text1, &QLineEdit::returnPressed, this, &PickListPanel::entered);

    m_grid = place(new ui::FlexGrid(this), QStringLiteral("sf1Grid"), 240, 1020, 4500, 5700);
    m_grid->setAccessibleName(QStringLiteral("リスト項目"));
    connect(m_grid, &ui::FlexGrid::cellClickedAt, this, &PickListPanel::cellClicked);

    const int bl = 4920, bw = 1500, bh = 480;
    auto *clear = makeButton(this, QStringLiteral("Command36"), QStringLiteral("以下消去 "), bl, 1020, bw, bh);
    auto *insert = makeButton(this, QStringLiteral("Command37"), QStringLiteral("挿  入"), bl, 1620, bw, bh);
    auto *remove = makeButton(this, QStringLiteral("Command38"), QStringLiteral("削  除"), bl, 2220, bw, bh);
    auto *swap = makeButton(this, QStringLiteral("Command53"), QStringLiteral("入れ替え"), bl, 2820, bw, bh);
    auto *save = makeButton(this, QStringLiteral("Command3"), QStringLiteral("登　録"), bl, 5640, bw, bh);
    auto *close = makeButton(this, QStringLiteral("Command7"), QStringLiteral("閉じる"), bl, 6240, bw, bh);
    connect(clear, &QPushButton::clicked, this, [this] { runOp(BufferOp::ClearBelow); });
    connect(insert, &QPushButton::clicked, this, [this] { runOp(BufferOp::Insert); });
    connect(remove, &QPushButton::clicked, this, [this] { runOp(BufferOp::Delete); });
    connect(swap, &QPushButton::clicked, this, [this] {
        emit resetRequested();
        if (m_editor.row() < 1) return;
        m_grid->setCol(kWordColumn);
        if (m_editor.beginSwap()) m_label1->setText(QStringLiteral("項目入替"));
    });
    connect(save, &QPushButton::clicked, this, [this] { m_editor.registerLists(); });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

QPushButton *PickListPanel::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void PickListPanel::prepareGrid()
{
    m_grid->setCols(3);
    m_grid->setRows(20);
    m_grid->setFixedRows(1);
    m_grid->setFixedCols(1);
    for (int r = 0; r < 20; ++r) m_grid->setRowHeightTwips(r, 350);
    m_grid->setColWidthTwips(0, 600);
    m_grid->setColWidthTwips(1, 1200);
    m_grid->setColWidthTwips(2, 3000);
    m_grid->setTextMatrix(0, 0, QStringLiteral("NO"));
    m_grid->setTextMatrix(0, 1, QStringLiteral("   ID　"));
    m_grid->setTextMatrix(0, 2, QStringLiteral("    項   目 "));
}

void PickListPanel::openList(int list)
{
    m_editor.open(list);
    m_label2->setText(m_d.itemLabels[size_t(labelPosition(list))]);
    showList();
    show();
    raise();
}

void PickListPanel::showList()
{
    BusyGuard busy(m_d.pointer());
    showRow(m_editor.entries());
    m_label1->setText(QString::number(m_editor.count()));
    m_grid->setCol(kWordColumn);
    m_grid->setRow(m_editor.row());
    showCurrent(false);
}

void PickListPanel::showRow(const std::vector<PickEntry> &entries)
{
    const int count = int(entries.size());
    m_grid->setRedraw(false);
    m_grid->setRows(count + 1);
    m_grid->setColWidthTwips(1, 0);
    for (int r = 0; r <= count; ++r) m_grid->setRowHeightTwips(r, 320);
    for (int k = 1; k <= count; ++k) {
        m_grid->setTextMatrix(k, 0, QString::number(k));
        m_grid->setTextMatrix(k, 1, entries[size_t(k - 1)].id);
        m_grid->setTextMatrix(k, kWordColumn, cleanText(entries[size_t(k - 1)].word));
    }
    m_grid->setRedraw(true);
}

void PickListPanel::showCurrent(bool cleaned)
{
    const int row = m_editor.row();
    m_grid->setRow(row);
    m_grid->setCol(kWordColumn);
    m_grid->setCurrentCell(row, kWordColumn);
    m_text1->setText(row < 1 ? QString() : cleaned ? m_editor.word(row) : m_editor.rawWord(row));
    m_text1->end(false);
}

void PickListPanel::entered()
{
    const int row = m_editor.row();
    QString keep;
    if (!m_editor.enter(m_text1->text(), &keep)) {
        m_text1->setText(keep);
        return;
    }
    if (row >= 1) m_grid->setTextMatrix(row, kWordColumn, m_editor.word(row));
    showCurrent(true);
}

bool PickListPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            key == Qt::Key_Up ? m_editor.moveUp() : m_editor.moveDown();
            showCurrent(true);
            return true;
        }
    }
    return ui::PictureBox::eventFilter(watched, event);
}

void PickListPanel::cellClicked(int row, int /*col*/)
{
    const bool swapping = m_editor.swapWaiting();
    m_editor.click(row);
    if (swapping && !m_editor.swapWaiting()) {
        showRow(m_editor.entries());
        m_label1->setText(QString::number(m_editor.count()));
    }
    showCurrent(false);
    m_text1->setFocus();
}

void PickListPanel::runOp(BufferOp op)
{
    emit resetRequested();
    m_editor.run(op, [this](const std::vector<PickEntry> &preview) { showRow(preview); });
    showList();
}

} // namespace kpv::settings
