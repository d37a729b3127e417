#include "ledger/list_paging.h"

namespace kpv::ledger {

void ListPaging::open()
{
    m_listPage = 0;
    m_firstPageMove = 2;
    m_listCursor = 0;
}

void ListPaging::next(int recordCount)
{
    ++m_listPage;
    if ((m_listPage - 1) * kItemsPerPage > recordCount) {
        m_listPage = 1;
        m_listCursor = 0;
    } else if (m_firstPageMove == 2) {
        // From the opened screen (page number 0, page 1 shown) to page 2,
        // unless there is no page 2.
        m_firstPageMove = 0;
        if (m_listPage * kItemsPerPage > recordCount) {
            m_listPage = 1;
            m_listCursor = 0;
        } else {
            m_listCursor = m_listPage * kItemsPerPage;
            m_listPage = 2;
        }
    } else {
        m_listCursor = (m_listPage - 1) * kItemsPerPage;
    }
}

void ListPaging::previous(int recordCount)
{
    m_firstPageMove = 0;
    --m_listPage;
    const double pages = double(recordCount) / kItemsPerPage;
    if (m_listPage < 1) {
        if (pages > 1) {
            m_listPage = recordCount / kItemsPerPage + 1;
            m_listCursor = (m_listPage - 1) * kItemsPerPage;
        } else {
            m_listPage = 1;
            m_listCursor = 0;
        }
    } else if (recordCount - (m_listPage - 1) * kItemsPerPage > 0) {
        m_listCursor = (m_listPage - 1) * kItemsPerPage;
    }
}

QString ListPaging::pageLabel() const
{
    return QStringLiteral(" P ") + QString::number(m_listPage < 1 ? 1 : m_listPage);
}

} // namespace kpv::ledger
