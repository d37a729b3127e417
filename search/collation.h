#pragma once
// The order of the sort: texts compared by the Japanese collator with letter
// case ignored (differences of case and of width and kana kind weigh
// nothing, accents do), numbers read digit by digit (so "D-10" comes before
// "D-2") and punctuation counted. It is the order of QCollator for the
// Japanese locale set that way; here the collator's binary keys are made
// straight into one arena (no allocation per text, each key made once), the
// texts of a large set split between two threads, and the keys sorted by
// their first eight bytes held beside the entry, the rest read only where
// those are equal. Equal texts keep their given order.

#include <QString>

#include <cstdint>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace kpv::search {

// Texts one after the other in one UTF-16 buffer: text i is
// chars()[starts[i], starts[i + 1]) (starts has one entry more than texts).
// The buffer grows without clearing the room it adds.
class TextRun {
public:
    std::vector<uint32_t> starts{0};

    void reserve(size_t texts, size_t characters)
    {
        starts.reserve(texts + 1);
        grow(characters);
    }
    size_t size() const { return starts.size() - 1; }
    const char16_t *chars() const { return m_chars.get(); }
    // Room for up to n more characters at the end; end() with the number
    // used closes the text.
    char16_t *room(size_t n)
    {
        const size_t used = starts.back();
        if (m_capacity < used + n) grow(std::max(m_capacity * 2, used + n + 1024));
        return m_chars.get() + used;
    }
    void end(size_t used) { starts.push_back(uint32_t(starts.back() + used)); }

private:
    void grow(size_t capacity)
    {
        if (capacity <= m_capacity) return;
        std::unique_ptr<char16_t[]> more(new char16_t[capacity]);
        if (m_chars) std::copy_n(m_chars.get(), starts.back(), more.get());
        m_chars = std::move(more);
        m_capacity = capacity;
    }
    std::unique_ptr<char16_t[]> m_chars;
    size_t m_capacity = 0;
};

// Positions into texts in ascending order; equal texts in their given order.
std::vector<int> collatedOrder(const TextRun &texts);
// The same for texts 0..count-1 that source makes: it appends the texts
// [first, last) in order to the run it is given, one text each (empty ones
// too). It may be called on two threads at once, each for a range of its own.
std::vector<int> collatedOrder(size_t count, const std::function<void(size_t first, size_t last, TextRun &into)> &source);
std::vector<int> collatedOrder(const std::vector<QString> &texts);

} // namespace kpv::search
