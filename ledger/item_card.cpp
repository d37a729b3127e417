#include "ledger/item_card.h"

#include "storage/dolvb.h"
#include "storage/numbers.h"

#include <algorithm>

namespace kpv::ledger {

namespace {
const QString kTitle = QStringLiteral("登録確認");
const QString kShortage = QStringLiteral(" この数量では在庫数不足となります。");
const QString kGoingBack = QStringLiteral("入力以前の数値に戻します。　");
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
    show();
}

void ItemCard::blank()
{
    m_itemNumber.clear();
    m_values.clear();
    m_beforeEntry.clear();
    m_storedBytes.clear();
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

bool ItemCard::store(bool ok, const cp932::Refusal &refusal)
{
    if (!ok)
        m_d.messages().tell(kTitle, QStringLiteral("「") + refusal.character + QStringLiteral("」は登録できない文字です。")
                                        + QLatin1Char('\r') + QStringLiteral("　別の文字で入力してください。"));
    return ok;
}

bool ItemCard::storeField(int n, const QString &text)
{
    beginEntry();
    cp932::Refusal refusal;
    if (!store(m_values.setField(n, text, &refusal), refusal)) return false;
    m_d.changePending = 1;
    show();
    return true;
}

bool ItemCard::storeMonthCell(int r, int m, const QString &text)
{
    if (r < 1 || r > 2 || m < 1 || m > 12) return false;
    beginEntry();
    monthRow = r;
    monthColumn = m;
    cp932::Refusal refusal;
    if (!store(m_values.setCell(r, m, text, &refusal), refusal)) return false;
    m_monthCells[size_t(r)][size_t(m)] = m_mode.movement(m_values.cellNumber(r, m));
    return recomputeStock();
}

bool ItemCard::storePlan(int r, const QString &text)
{
    if (r < 1 || r > 2) return false;
    beginEntry();
    cp932::Refusal refusal;
    if (!store(m_values.setCell(r, 14, text, &refusal), refusal)) return false;
    m_monthCells[size_t(r)][14] = m_mode.movement(m_values.cellNumber(r, 14));
    recomputeRates();
    m_d.changePending = 1;
    return true;
}

bool ItemCard::storeQuantity(int n, const QString &text)
{
    if (n != 8 && n != 9) return false;
    beginEntry();
    cp932::Refusal refusal;
    if (!store(m_values.setField(n, text, &refusal), refusal)) return false;
    m_fieldCells[size_t(n - 1)] = m_mode.cardStock(m_values.fieldNumber(n));
    return recomputeStock();
}

bool ItemCard::storeUnitPrice(const QString &text)
{
    beginEntry();
    cp932::Refusal refusal;
    if (!store(m_values.setField(5, text, &refusal), refusal)) return false;
    m_fieldCells[4] = m_mode.cardMoney(m_values.fieldNumber(5));
    recomputeValue();
    m_d.changePending = 1;
    return true;
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

void ItemCard::refuseShortage(double stock, const QString &heading)
{
    m_fieldCells[9] = m_mode.computedStock(stock);
    m_stockShade = StockShade::Pink;
    m_d.messages().tell(kTitle, heading + kShortage + QLatin1Char('\r') + kGoingBack);
    m_values = m_beforeEntry;
    show();
}

bool ItemCard::recomputeStock()
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
    if (stock < 0) {
        refuseShortage(stock, QString());
        return false;
    }

    m_values.setField(10, numberText(stock));
    m_values.setCell(1, 13, numberText(receipts));
    m_values.setCell(2, 13, numberText(issues));
    m_monthCells[2][13] = m_mode.movement(issues);
    if (stock == 0) {
        m_values.setField(10, QStringLiteral("0"));
        m_fieldCells[9] = QStringLiteral("0");
        m_stockShade = StockShade::Pink;
    } else {
        m_fieldCells[9] = m_mode.computedStock(stock);
        m_stockShade = stock >= m_values.fieldNumber(9) ? StockShade::Window : StockShade::LightBlue;
    }
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

void ItemCard::recomputeRates()
{
    for (int r = 1; r <= 2; ++r) {
        const double total = m_values.cellNumber(r, 13);
        const double planned = m_values.cellNumber(r, 14);
        if (total == 0 || planned == 0) continue;
        const double rate = floorNumber(1000 * total / planned);
        m_values.setCell(r, 15, numberText(rate));
        m_monthCells[size_t(r)][15] = rate == 0 ? QString() : formatNumber(rate / 10, QStringLiteral("###.0"));
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
    m_storedBytes.clear();
    show();
}

} // namespace kpv::ledger
