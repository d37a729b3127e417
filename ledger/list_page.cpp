#include "ledger/list_page.h"

#include "ledger/list_paging.h"
#include "storage/dolvb.h"
#include "storage/numbers.h"

namespace kpv::ledger {

void ListPage::setHeaders(const std::array<QString, 21> &itemLabels, const QStringList &months, const ListLook &look)
{
    auto &h = m_cells[0];
    for (int c = 0; c <= 13; ++c) h[size_t(c)] = itemLabels[size_t(c + 1)];
    for (int i = 0; i < 12; ++i) h[size_t(14 + i)] = months.value(i);
    h[26] = QStringLiteral("予定数量");
    h[27] = QStringLiteral("達成率(%)");
    h[28] = look.startOfUse ? QStringLiteral("使用開始年") : QString();
}

void ListPage::setItem(int k, int recordNo, const LedgerRecord &r, const ListLook &look)
{
    if (k < 1 || k > kLines / 2) return;
    auto &in = m_cells[size_t(2 * k - 1)];
    auto &out = m_cells[size_t(2 * k)];
    const QuantityMode &mode = look.mode;
    in[0] = QString::number(recordNo);
    for (int c = 1; c <= 5; ++c) in[size_t(c)] = r.field(c - 1);
    in[6] = listMoney(r.fieldNumber(5));
    in[7] = listMoney(r.fieldNumber(6));
    in[8] = r.field(7);
    in[9] = mode.listStock(r.fieldNumber(8));
    in[10] = mode.listStock(r.fieldNumber(9));
    const QString stock = r.field(10);
    const StockShade shade = stockShade(stock, r.fieldNumber(9));
    m_shade[size_t(2 * k - 1)] = shade;
    const double stockValue = leadingNumber(stock);
    in[11] = (!stock.isEmpty() && stockValue == 0) ? QStringLiteral("0") : mode.listStock(stockValue);
    in[12] = mode.movement(r.cellNumber(1, 13));
    in[13] = QStringLiteral("入庫");
    out.fill(QString());
    out[12] = mode.movement(r.cellNumber(2, 13));
    out[13] = QStringLiteral("出庫");
    for (int m = 1; m <= 12; ++m) {
        in[size_t(13 + m)] = mode.movement(r.cellNumber(1, m));
        out[size_t(13 + m)] = mode.movement(r.cellNumber(2, m));
    }
    in[26] = mode.movement(r.cellNumber(1, 14));
    out[26] = mode.movement(r.cellNumber(2, 14));
    in[27] = rateText(r.cell(1, 15));
    out[27] = rateText(r.cell(2, 15));
    in[28] = look.startOfUse ? r.field(11) : QString();
}

void ListPage::clearItem(int k)
{
    if (k < 1 || k > kLines / 2) return;
    for (int line : {2 * k - 1, 2 * k}) {
        m_cells[size_t(line)].fill(QString());
        m_shade[size_t(line)] = StockShade::Window;
    }
}

void ListPage::clearAll()
{
    for (int k = 1; k <= kLines / 2; ++k) clearItem(k);
}

int ListPage::recordNoAt(int line) const
{
    if (line < 1 || line > kLines) return 0;
    return int(leadingNumber(m_cells[size_t(line)][0]));
}

int ListPage::itemCount() const
{
    int n = 0;
    for (int line = 1; line <= kLines; line += 2) n += m_cells[size_t(line)][0].isEmpty() ? 0 : 1;
    return n;
}

void fillListPage(Dolvb &d, ListPaging &paging, ListPage &page, const ListLook &look, FileIdentity *readFrom)
{
    d.openLedger();
    if (readFrom) *readFrom = d.ledgerIdentity();
    const int first = paging.listCursor() + 1;
    for (int k = 1; k <= ListPaging::kItemsPerPage; ++k) {
        const int n = first + k - 1;
        if (n <= d.recordCount && d.readRecord(n))
            page.setItem(k, n, d.recordBuffer, look);
        else
            page.clearItem(k);
    }
    d.closeLedger();
    paging.pageFilled();
}

} // namespace kpv::ledger
