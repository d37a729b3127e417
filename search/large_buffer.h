#pragma once
// A buffer for a whole ledger (up to about 46 MB) that is filled once and
// thrown away. Fresh memory costs one page fault per 4 KB page on first
// touch, which for a whole ledger weighs more than reading it from the page
// cache; where the system offers large pages for the asking (Linux), the
// buffer asks for them, so it is faulted in 2 MB at a time.

#include <cstddef>

namespace kpv::search {

class LargeBuffer {
public:
    LargeBuffer() = default;
    explicit LargeBuffer(size_t size) { resize(size); }
    ~LargeBuffer();
    LargeBuffer(const LargeBuffer &) = delete;
    LargeBuffer &operator=(const LargeBuffer &) = delete;

    // Contents are not kept.
    void resize(size_t size);
    // Gives the memory back.
    void release();
    char *data() { return m_data; }
    const char *data() const { return m_data; }
    size_t size() const { return m_size; }

private:
    char *m_data = nullptr;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

} // namespace kpv::search
