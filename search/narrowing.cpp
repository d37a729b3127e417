#include "search/narrowing.h"

#include "search/ledger_reader.h"
#include "search/narrow_matcher.h"
#include "storage/dolvb.h"

#include <algorithm>

namespace kpv::search {

int Narrowing::narrowLedger(Dolvb &d, const Conditions &conditions)
{
    BusyGuard busy(d.pointer());
    m_result.clear();
    m_cursor = 0;
    m_page = 1;
    const NarrowMatcher matcher(conditions);
    if (!d.openLedger()) return 0;
    const int records = d.recordCount;
    m_readFrom = d.ledgerIdentity();
    d.closeLedger();
    if (!matcher.canMatch()) return 0;
    LedgerReader reader(d.ledgerPath());
    for (int first = 1; first <= records; first += LedgerReader::kBlockRecords) {
        const int n = std::min(LedgerReader::kBlockRecords, records - first + 1);
        const char *block = reader.block(first, n);
        if (!block) break;
        for (int k = 0; k < n; ++k)
            if (matcher.matches(block + qsizetype(k) * LedgerRecord::kSize)) m_result.push_back(first + k);
    }
    return count();
}

int Narrowing::narrowAgain(Dolvb &d, const Conditions &conditions)
{
    BusyGuard busy(d.pointer());
    m_cursor = 0;
    m_page = 1;
    const NarrowMatcher matcher(conditions);
    if (!d.openLedger()) return count();
    const int records = d.recordCount;
    d.closeLedger();
    std::vector<int> kept;
    LedgerReader reader(d.ledgerPath());
    const size_t n = m_result.size();
    for (size_t i = 0; i < n && matcher.canMatch();) {
        const int first = m_result[i];
        if (first < 1 || first > records) {
            ++i;
            continue;
        }
        // One read for the entries that follow within a block's reach.
        size_t j = i + 1;
        while (j < n && m_result[j] > m_result[j - 1] && m_result[j] <= records
               && m_result[j] - first < LedgerReader::kBlockRecords)
            ++j;
        const char *block = reader.block(first, m_result[j - 1] - first + 1);
        if (!block) break;
        for (; i < j; ++i)
            if (matcher.matches(block + qsizetype(m_result[i] - first) * LedgerRecord::kSize)) kept.push_back(m_result[i]);
    }
    m_result = std::move(kept);
    return count();
}

std::vector<int> Narrowing::pageRecords() const
{
    std::vector<int> out(kPageItems, 0);
    for (int slot = 0; slot < kPageItems; ++slot) {
        const int position = m_cursor + slot + 1;
        if (position >= 1 && position <= count()) out[size_t(slot)] = m_result[size_t(position - 1)];
    }
    return out;
}

void Narrowing::nextPage()
{
    const int a = m_page;
    if (a * kPageItems > count()) {
        m_page = 1;
        m_cursor = 0;
    } else {
        m_page = a + 1;
        m_cursor = a * kPageItems;
    }
}

void Narrowing::previousPage()
{
    const int b = m_page - 1;
    if (b <= 0 && count() > kPageItems) {
        m_page = count() / kPageItems + 1;
        m_cursor = (m_page - 1) * kPageItems;
    } else if (b > 0) {
        m_page = b;
        if ((b - 1) * kPageItems < count()) m_cursor = (b - 1) * kPageItems;
    } else {
        m_page = 1;
        m_cursor = 0;
    }
}

void Narrowing::clear()
{
    m_readFrom = {};
    m_result.clear();
    m_cursor = 0;
    m_page = 1;
}

} // namespace kpv::search
