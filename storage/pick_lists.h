#pragma once
// The pick-list tables: for each list (0..28) the words of entries 1..10010
// and a companion value per entry. An empty word marks the end of a list.

#include <QString>

#include <array>
#include <vector>

namespace kpv {

class PickLists {
public:
    static constexpr int kMaxEntries = 10010;
    static constexpr int kMaxList = 28;

    QString word(int entry, int list) const { return get(m_words, entry, list); }
    QString id(int entry, int list) const { return get(m_ids, entry, list); }
    // Entries outside 1..10010 or lists outside 0..28 ignore the write.
    void setWord(int entry, int list, const QString &text) { put(m_words, entry, list, text); }
    void setId(int entry, int list, const QString &text) { put(m_ids, entry, list, text); }
    void clear()
    {
        for (auto &l : m_words) l.clear();
        for (auto &l : m_ids) l.clear();
    }

private:
    using Table = std::array<std::vector<QString>, kMaxList + 1>;
    static QString get(const Table &t, int entry, int list)
    {
        if (list < 0 || list > kMaxList || entry < 1 || entry >= int(t[size_t(list)].size())) return QString();
        return t[size_t(list)][size_t(entry)];
    }
    static void put(Table &t, int entry, int list, const QString &text)
    {
        if (list < 0 || list > kMaxList || entry < 1 || entry > kMaxEntries) return;
        auto &l = t[size_t(list)];
        if (int(l.size()) <= entry) {
            if (text.isEmpty()) return;
            l.resize(size_t(entry) + 1);
        }
        l[size_t(entry)] = text;
    }
    Table m_words, m_ids;
};

} // namespace kpv
