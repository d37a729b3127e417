#include "search/large_buffer.h"

#include <cstdlib>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace kpv::search {

namespace {
constexpr size_t kLargePage = size_t(2) << 20;
}

LargeBuffer::~LargeBuffer()
{
    std::free(m_data);
}

void LargeBuffer::release()
{
    std::free(m_data);
    m_data = nullptr;
    m_size = m_capacity = 0;
}

void LargeBuffer::resize(size_t size)
{
    if (size <= m_capacity) {
        m_size = size;
        return;
    }
    release();
    const size_t capacity = (size + kLargePage - 1) / kLargePage * kLargePage;
    void *p = std::aligned_alloc(kLargePage, capacity);
    if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
    madvise(p, capacity, MADV_HUGEPAGE);
#endif
    m_data = static_cast<char *>(p);
    m_size = size;
    m_capacity = capacity;
}

} // namespace kpv::search
