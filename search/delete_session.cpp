#include "search/delete_session.h"

#include "storage/dolvb.h"

#include <numeric>

namespace kpv::search {

bool DeleteSession::open()
{
    BusyGuard busy(m_d.pointer());
    LargeBuffer ledger;
    if (!lockAndRead(ledger)) return false;
    takeStamp(ledger);
    fillSortRows(m_d.indexTable, ledger.data(), m_records);
    m_listed.resize(size_t(m_records));
    std::iota(m_listed.begin(), m_listed.end(), 1);
    return true;
}

bool DeleteSession::deleteRow(int listRow)
{
    if (!isOpen() || listRow < 1 || listRow > remaining()) return false;
    m_listed.erase(m_listed.begin() + (listRow - 1));
    return true;
}

bool DeleteSession::registerDeletions()
{
    if (!isOpen()) return false;
    if (!replaceLedger(m_listed, QStringLiteral("　もう一度削除の一覧を表示してから登録してください。"), changes::Op::Delete)) return false;
    m_listed.clear();
    return true;
}

int DeleteSession::indexRow(int listRow) const
{
    return listRow >= 1 && listRow <= remaining() ? m_listed[size_t(listRow - 1)] : 0;
}

} // namespace kpv::search
