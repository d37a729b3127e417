#include "search/collation.h"

#include <unicode/ucol.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <thread>

namespace kpv::search {

namespace {

struct CollatorCloser {
    void operator()(UCollator *c) const { ucol_close(c); }
};
using Collator = std::unique_ptr<UCollator, CollatorCloser>;

// Set as QCollator sets a Japanese collator that ignores letter case and
// punctuation nothing, numbers not read as numbers.
Collator japaneseCollator()
{
    UErrorCode status = U_ZERO_ERROR;
    Collator c(ucol_open("ja", &status));
    if (U_FAILURE(status)) return nullptr;
    ucol_setAttribute(c.get(), UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(c.get(), UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(c.get(), UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(c.get(), UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) return nullptr;
    return c;
}

// One text's key: eight bytes of it as a big-endian number (zeros after
// the key's end), read from `depth` bytes in, the whole key (ending with its
// NUL byte), its length with the NUL, and the text's position.
struct Entry {
    uint64_t head;
    const uint8_t *key;
    uint32_t length;
    int position;
};

bool before(const Entry &a, const Entry &b)
{
    return a.head != b.head ? a.head < b.head : a.position < b.position;
}

uint64_t headAt(const Entry &e, size_t depth)
{
    uint64_t head = 0;
    for (size_t b = depth; b < depth + 8; ++b) head = head << 8 | (b < e.length ? e.key[b] : 0);
    return head;
}

// Sorts entries [first, last), whose keys agree in their first `depth`
// bytes, by the eight bytes from there; runs whose eight bytes agree too
// and go on are sorted by the eight bytes after all that they agree in, and
// so on. A key holds no NUL
// before its end, so heads that agree and end in NUL are equal keys, which
// keep their positions' order.
void sortFrom(Entry *first, Entry *last, size_t depth)
{
    std::sort(first, last, before);
    for (Entry *run = first; run != last;) {
        Entry *end = run + 1;
        while (end != last && end->head == run->head) ++end;
        if (end - run > 1 && (run->head & 0xff) != 0) {
            // The run's keys agree beyond these eight bytes as far as all
            // of them agree with the first: the next heads are read from there.
            size_t agree = run->length;
            for (Entry *e = run + 1; e != end && agree > depth + 8; ++e) {
                size_t b = depth + 8;
                while (b < agree && e->key[b] == run->key[b]) ++b;
                agree = b;
            }
            for (Entry *e = run; e != end; ++e) e->head = headAt(*e, agree);
            sortFrom(run, end, agree);
        }
        run = end;
    }
}

// The whole keys compared, for the merge of two sorted halves.
bool keyBefore(const Entry &a, const Entry &b)
{
    const int c = std::memcmp(a.key, b.key, std::min(a.length, b.length));
    return c != 0 ? c < 0 : a.position < b.position;
}

// The keys of texts [0, texts.size()) into keys, their entries into
// entries[first, first + texts.size()), numbered from first.
void makeKeys(const UCollator *collator, const TextRun &texts, size_t first, std::unique_ptr<uint8_t[]> &keys, Entry *entries)
{
    const size_t n = texts.size();
    std::vector<size_t> offsets(n);
    size_t capacity = n * 40 + 256, used = 0;
    keys.reset(new uint8_t[capacity]);
    for (size_t i = 0; i < n; ++i) {
        const UChar *text = reinterpret_cast<const UChar *>(texts.chars() + texts.starts[i]);
        const int32_t length = int32_t(texts.starts[i + 1] - texts.starts[i]);
        int32_t size = ucol_getSortKey(collator, text, length, keys.get() + used, int32_t(capacity - used));
        if (size_t(size) > capacity - used) {
            capacity = std::max(capacity * 2, used + size_t(size));
            std::unique_ptr<uint8_t[]> more(new uint8_t[capacity]);
            std::copy_n(keys.get(), used, more.get());
            keys = std::move(more);
            size = ucol_getSortKey(collator, text, length, keys.get() + used, int32_t(capacity - used));
        }
        offsets[i] = used;
        used += size_t(size);
    }
    for (size_t i = 0; i < n; ++i) {
        Entry &e = entries[first + i];
        e.key = keys.get() + offsets[i];
        e.length = uint32_t((i + 1 < n ? offsets[i + 1] : used) - offsets[i]);
        e.position = int(first + i);
        e.head = headAt(e, 0);
    }
}

// Below this many texts one thread does it all.
constexpr size_t kSplitAt = 4096;

} // namespace

std::vector<int> collatedOrder(size_t n, const std::function<void(size_t, size_t, TextRun &)> &source)
{
    std::vector<int> order(n);
    if (n == 0) return order;
    Collator collator = japaneseCollator();
    if (!collator) {
        // No collator data: the texts in their given order rather than none.
        for (size_t i = 0; i < n; ++i) order[i] = int(i);
        return order;
    }
    std::vector<Entry> entries(n);
    const bool split = n >= kSplitAt && std::thread::hardware_concurrency() > 1;
    Collator second = split ? japaneseCollator() : nullptr;
    // Each half's texts and keys made and its entries sorted on a thread of
    // its own; then the two sorted halves are merged.
    auto sortRange = [&](const UCollator *c, size_t first, size_t last, std::unique_ptr<uint8_t[]> &keys) {
        TextRun texts;
        texts.reserve(last - first, (last - first) * 24);
        source(first, last, texts);
        makeKeys(c, texts, first, keys, entries.data());
        sortFrom(entries.data() + first, entries.data() + last, 0);
    };
    std::unique_ptr<uint8_t[]> keysA, keysB;
    if (second) {
        const size_t half = n / 2;
        std::thread other([&] { sortRange(second.get(), half, n, keysB); });
        sortRange(collator.get(), 0, half, keysA);
        other.join();
        std::inplace_merge(entries.begin(), entries.begin() + ptrdiff_t(half), entries.end(), keyBefore);
    } else {
        sortRange(collator.get(), 0, n, keysA);
    }
    for (size_t i = 0; i < n; ++i) order[i] = entries[i].position;
    return order;
}

std::vector<int> collatedOrder(const TextRun &texts)
{
    return collatedOrder(texts.size(), [&](size_t first, size_t last, TextRun &into) {
        for (size_t i = first; i < last; ++i) {
            const size_t length = texts.starts[i + 1] - texts.starts[i];
            std::copy_n(texts.chars() + texts.starts[i], length, into.room(length));
            into.end(length);
        }
    });
}

std::vector<int> collatedOrder(const std::vector<QString> &texts)
{
    TextRun run;
    for (const QString &t : texts) {
        char16_t *to = run.room(size_t(t.size()));
        std::memcpy(to, t.utf16(), size_t(t.size()) * sizeof(char16_t));
        run.end(size_t(t.size()));
    }
    return collatedOrder(run);
}

} // namespace kpv::search
