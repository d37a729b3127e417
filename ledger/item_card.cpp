#include "ledger/item_card.h"

#include "ledger/card_messages.h"
#include "storage/dolvb.h"
#include "storage/numbers.h"

#include <algorithm>

namespace kpv::ledger {

namespace msg = card_messages;

namespace {
bool fitsCell(const QString &text)
{
    return text.size() <= LedgerRecord::kCellWidth;
}

// The widest rates a 7-byte cell holds.
} // namespace

void ItemCard::setLook(const QuantityMode &mode, const QStringList &monthHeadings)
{
    m_mode = mode;
    auto &h = m_monthCells[0];
    h[0] = QStringLiteral("入出庫");
    for (int m = 1; m <= 12; ++m) h[size_t(m)] = monthHeadings.value(m - 1);
    h[13] = QStringLiteral("入出庫計");
    h[14] = QStringLiteral("予定数量");
    h[15] = QStringLiteral("達成率％");
    m_monthCells[1][0] = QStringLiteral(" 入庫");
    m_monthCells[2][0] = QStringLiteral(" 出庫");
}

QString ItemCard::recordNoText() const
{
    return QStringLiteral(" No ") + QString::number(currentRecordNo);
}

void ItemCard::load(const LedgerRecord &record)
{
    m_values = record;
    m_beforeEntry = record;
    m_shown = record;
    show();
}

void ItemCard::blank()
{
    m_itemNumber.clear();
    m_values.clear();
    m_beforeEntry.clear();
    m_shown.clear();
    m_storedBytes.clear();
    m_readFrom = {};
    show();
}

void ItemCard::show()
{
    const LedgerRecord &v = m_values;
    m_itemNumber = v.field(0) + QLatin1Char(' ');
    if (v.field(0).isEmpty()) m_itemNumber.clear();
    for (int c = 0; c <= 3; ++c) m_fieldCells[size_t(c)] = v.field(c + 1);
    m_fieldCells[4] = m_mode.cardMoney(v.fieldNumber(5));
    m_fieldCells[5] = m_mode.cardMoney(v.fieldNumber(6));
    m_fieldCells[6] = v.field(7);
    m_fieldCells[7] = m_mode.cardStock(v.fieldNumber(8));
    m_fieldCells[8] = m_mode.cardStock(v.fieldNumber(9));
    m_fieldCells[9] = m_mode.cardStock(v.fieldNumber(10));
    m_fieldCells[10] = v.field(11);
    m_stockShade = ledger::stockShade(v.field(10), v.fieldNumber(9));
    for (int r = 1; r <= 2; ++r) {
        for (int m = 1; m <= 14; ++m) m_monthCells[size_t(r)][size_t(m)] = m_mode.movement(v.cellNumber(r, m));
        m_monthCells[size_t(r)][15] = rateText(v.cell(r, 15));
    }
}

double ItemCard::sumCells(int r, int last) const
{
    double s = 0;
    for (int m = 1; m <= last; ++m) s += m_values.cellNumber(r, m);
    return s;
}

void ItemCard::showMonthLine(int r)
{
    for (int m = 1; m <= 13; ++m) m_monthCells[size_t(r)][size_t(m)] = m_mode.movement(m_values.cellNumber(r, m));
}

// The refused state stays on the card while the message is up; then the
// card goes back to its values from before the entry.
void ItemCard::refuse(const QString &message)
{
    if (m_paint) m_paint();
    m_d.messages().tell(msg::cardTitle(), message);
    m_values = m_beforeEntry;
    show();
}

void ItemCard::refuseShortage(double stock, const QString &heading)
{
    m_fieldCells[9] = m_mode.computedStock(stock);
    m_stockShade = StockShade::Pink;
    refuse(msg::shortage(heading));
}

// A month cell holds 7 bytes: a total that does not fit would be stored cut
// (and read back as another number), so the entry is refused.
bool ItemCard::refuseLongTotal(double total)
{
    if (fitsCell(numberText(total))) return false;
    refuse(msg::totalTooLong());
    return true;
}

void ItemCard::storeStock(double stock)
{
    if (stock == 0) {
        m_values.setField(10, QStringLiteral("0"));
        m_fieldCells[9] = QStringLiteral("0");
        m_stockShade = StockShade::Pink;
    } else {
        m_values.setField(10, numberText(stock));
        m_fieldCells[9] = m_mode.computedStock(stock);
        m_stockShade = stock >= m_values.fieldNumber(9) ? StockShade::Window : StockShade::LightBlue;
    }
}

bool ItemCard::recomputeStock(int monthColumn)
{
    const int c = monthColumn;
    const QString heading = (c >= 0 && c < kMonthColumns) ? m_monthCells[0][size_t(c)] : QString();
    const double previous = m_values.fieldNumber(8);

    m_values.setCell(1, 13, numberText(sumCells(1, 12)));
    showMonthLine(1);

    const int upTo = std::clamp(c, 0, 12);
    const double toMonth = previous + sumCells(1, upTo) - sumCells(2, upTo);
    if (toMonth < 0) {
        refuseShortage(toMonth, heading);
        return false;
    }

    const double receipts = sumCells(1, 12);
    const double issues = sumCells(2, 12);
    showMonthLine(2);
    const double stock = previous + receipts - issues;
    if (refuseLongTotal(receipts) || refuseLongTotal(issues)) return false;
    if (stock < 0) {
        refuseShortage(stock, QString());
        return false;
    }

    m_values.setCell(1, 13, numberText(receipts));
    m_values.setCell(2, 13, numberText(issues));
    m_monthCells[2][13] = m_mode.movement(issues);
    storeStock(stock);
    recomputeRates();
    recomputeValue();
    m_d.changePending = 1;
    return true;
}

void ItemCard::recomputeValue()
{
    const double product = m_values.fieldNumber(5) * m_values.fieldNumber(10);
    if (product < 1) {
        m_values.setField(6, QStringLiteral("0"));
    } else {
        m_values.setField(6, numberText(product));
    }
    m_fieldCells[5] = m_mode.computedValue(product);
}

// A rate needs a total and a plan: without either it is empty, never the
// rate of earlier figures. A rate wider than its cell is held at the widest
// that fits, as the ledger import holds it.
void ItemCard::recomputeRates()
{
    for (int r = 1; r <= 2; ++r) {
        const QString stored = storedRate(m_values.cellNumber(r, 13), m_values.cellNumber(r, 14));
        m_values.setCell(r, 15, stored);
        m_monthCells[size_t(r)][15] = rateText(stored);
    }
}

void ItemCard::clearMonthCells()
{
    for (int r = 1; r <= 2; ++r) {
        for (int m = 1; m <= 15; ++m) {
            m_values.setCell(r, m, QString());
            m_monthCells[size_t(r)][size_t(m)].clear();
        }
    }
}

void ItemCard::clearMovements()
{
    clearMonthCells();
    for (int n : {6, 9, 10, 11, 13, 14}) m_values.setField(n, QString());
    for (int c : {5, 8, 9}) m_fieldCells[size_t(c)].clear();
    // What is left: the previous-year stock is the stock now.
    storeStock(m_values.fieldNumber(8));
    recomputeValue();
    m_d.changePending = 1;
}

void ItemCard::clearCard()
{
    for (int i = 0; i <= 9; ++i) {
        m_fieldCells[size_t(i)].clear();
        m_values.setField(i, QString());
    }
    for (int n : {9, 10, 11, 14}) m_values.setField(n, QString());
    clearMonthCells();
    m_itemNumber.clear();
    m_stockShade = StockShade::Window;
    m_d.changePending = 1;
}

void ItemCard::prepareCopy()
{
    clearMonthCells();
    for (int n : {6, 9, 10, 11, 13, 14}) m_values.setField(n, QString());
    storeStock(m_values.fieldNumber(8));
    recomputeValue();
    m_storedBytes.clear();
    m_readFrom = {};
    show();
    m_beforeEntry = m_values;
    m_shown = m_values;
}

} // namespace kpv::ledger
