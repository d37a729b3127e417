#include "ledger/card_panel.h"

#include "ledger/item_card.h"
#include "ledger/ledger_colours.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kpv::ledger {

using ui::setGeometryTwips;

namespace {
QPushButton *button(QWidget *parent, const char *name, const QString &text, int l, int t, int w = 1200, int h = 480)
{
    return ui::placedButton(parent, QString::fromLatin1(name), text, l, t, w, h);
}

QLabel *label(QWidget *parent, const char *name, int l, int t, int w, int h)
{
    auto *x = new QLabel(parent);
    x->setObjectName(QString::fromLatin1(name));
    setGeometryTwips(x, l, t, w, h);
    return x;
}

constexpr int kFieldWidths[ItemCard::kFieldColumns] = {2600, 2600, 2600, 1800, 1200, 1200, 800, 900, 900, 900, 1100};
} // namespace

void CardPanel::build(QWidget *parent)
{
    panel = new ui::PictureBox(parent, QStringLiteral("Picture20"));
    setGeometryTwips(panel, 1660, 3360, 16900, 3500);
    panel->setFrameShape(QFrame::Box);
    frame = new ui::PictureBox(panel, QStringLiteral("Picture19"));
    setGeometryTwips(frame, 40, 40, 16820, 3420);

    itemCaption = label(frame, "Label1", 120, 160, 1500, 330);
    itemNumber = new ui::ClickLabel(frame, QStringLiteral("Label3"));
    setGeometryTwips(itemNumber, 1660, 120, 3200, 400);
    itemNumber->setFrameShape(QFrame::Box);
    ui::showsValue(itemNumber, QStringLiteral("在庫品No"));
    mode = label(frame, "Label11", 5000, 160, 1000, 330);
    ui::showsValue(mode, QStringLiteral("処理区分"));
    recordNo = label(frame, "Label23", 6100, 160, 1400, 330);
    ui::showsValue(recordNo, QStringLiteral("レコード番号"));

    copy = button(frame, "Command22", QStringLiteral("複 写"), 8200, 80);
    next = button(frame, "Command18", QStringLiteral("次　項"), 9460, 80);
    clearMovements = button(frame, "Command7", QStringLiteral("入出庫消去"), 10720, 80, 1400);
    clearAll = button(frame, "Command17", QStringLiteral("全消去"), 12180, 80);
    registerButton = button(frame, "Command5", QStringLiteral("登　録"), 13440, 80);
    close = button(frame, "Command37", QStringLiteral("閉じる"), 14700, 80);

    fields = new ui::FlexGrid(frame, QStringLiteral("MSFlexGrid1"));
    setGeometryTwips(fields, 120, 640, 16600, 720);
    fields->setAccessibleName(QStringLiteral("在庫品項目"));
    months = new ui::FlexGrid(frame, QStringLiteral("MSFlexGrid2"));
    setGeometryTwips(months, 120, 1440, 16450, 1040);
    months->setAccessibleName(QStringLiteral("入出庫"));

    text = new QLineEdit(frame);
    text->setObjectName(QStringLiteral("Text1"));
    text->setAccessibleName(QStringLiteral("入力"));
    setGeometryTwips(text, 120, 2620, 6000, 420);
    text->hide();
    specBook = button(frame, "Command16", QStringLiteral("個別仕様Excel"), 13000, 2580, 1800);
    entryHelp = button(frame, "Command36", QStringLiteral("説明"), 14900, 2580, 1000);
}

void CardPanel::layoutGrids(const std::array<QString, 21> &itemLabels, const ItemCard &card, bool startOfUse)
{
    fields->setRedraw(false);
    fields->setCols(ItemCard::kFieldColumns);
    fields->setRows(2);
    fields->setFixedRows(1);
    static constexpr int kLabelOf[ItemCard::kFieldColumns] = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 18};
    for (int c = 0; c < ItemCard::kFieldColumns; ++c) {
        fields->setTextMatrix(0, c, itemLabels[size_t(kLabelOf[c])]);
        fields->setCellBackground(0, c, colours::header());
        fields->setColWidthTwips(c, c == 10 && !startOfUse ? 0 : kFieldWidths[c]);
        Qt::Alignment a = Qt::AlignLeft;
        if (c == 6 || c == 9) a = Qt::AlignHCenter;
        else if (c == 4 || c == 5 || c == 7 || c == 8) a = Qt::AlignRight;
        fields->setColAlignment(c, a | Qt::AlignVCenter);
    }
    for (int r = 0; r < 2; ++r) fields->setRowHeightTwips(r, 320);
    fields->setRedraw(true);

    months->setRedraw(false);
    months->setCols(ItemCard::kMonthColumns);
    months->setRows(3);
    months->setFixedRows(1);
    months->setFixedCols(1);
    for (int c = 0; c < ItemCard::kMonthColumns; ++c) {
        months->setColWidthTwips(c, c == 0 ? 700 : c == 14 || c == 15 ? 1000 : 1050);
        months->setColAlignment(c, (c >= 1 && c <= 14 ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        for (int r = 0; r < 3; ++r) months->setTextMatrix(r, c, card.monthCell(r, c));
        months->setCellBackground(0, c, colours::header());
    }
    for (int r = 0; r < 3; ++r) {
        months->setRowHeightTwips(r, 320);
        months->setCellBackground(r, 0, colours::header());
    }
    months->setCellBackground(1, 13, colours::totals());
    months->setCellBackground(2, 13, colours::totals());
    months->setRedraw(true);
}

void CardPanel::showCard(const ItemCard &card)
{
    itemNumber->setText(card.itemNumberText());
    mode->setText(card.modeLabel);
    recordNo->setText(card.recordNoText());
    fields->setRedraw(false);
    for (int c = 0; c < ItemCard::kFieldColumns; ++c) fields->setTextMatrix(1, c, card.fieldCell(c));
    fields->setCellBackground(1, 9, colours::of(card.stockShade()));
    fields->setRedraw(true);
    months->setRedraw(false);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < ItemCard::kMonthColumns; ++c) months->setTextMatrix(r, c, card.monthCell(r, c));
    months->setRedraw(true);
}

} // namespace kpv::ledger
