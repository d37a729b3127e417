#pragma once
// The in-memory index of the ledger: row i describes record i (rows
// 0..50010), columns 1..5 hold values; the other columns (0, 6..11) exist
// and stay empty.
//
// The texts live in one character store instead of one allocation each, so
// that filling 50,000 rows costs little more than reading the ledger.

#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace kpv {

class IndexTable {
public:
    static constexpr int kRows = 50011;  // 0..50010
    static constexpr int kColumns = 12;  // 0..11

    IndexTable() : m_rows(kRows) {}

    QString value(int row, int column) const { return view(row, column).toString(); }
    QStringView view(int row, int column) const
    {
        if (!valid(row, column)) return {};
        const Span s = m_rows[size_t(row)][size_t(column - 1)];
        return QStringView(m_chars.data() + s.offset, qsizetype(s.length));
    }
    void set(int row, int column, QStringView text)
    {
        if (!valid(row, column)) return;
        const size_t length = size_t(text.size());
        char16_t *dest = room(length);
        std::copy(text.utf16(), text.utf16() + length, dest);
        m_rows[size_t(row)][size_t(column - 1)] = Span{uint32_t(m_used), uint32_t(length)};
        m_used += length;
    }
    void set(int row, int column, const QString &text) { set(row, column, QStringView(text)); }
    // Empties every row and the character store (before a complete refill).
    void reset(size_t expectedChars = 0)
    {
        std::fill(m_rows.begin(), m_rows.end(), std::array<Span, 5>{});
        m_used = 0;
        if (m_chars.size() < expectedChars) m_chars.resize(expectedChars);
    }
    // Empties rows first..50010.
    void clearFrom(int first)
    {
        for (int r = first < 0 ? 0 : first; r < kRows; ++r) m_rows[size_t(r)] = {};
    }
    QStringView itemNumber(int row) const { return view(row, 1); }

    // For the fill of a whole row: room for up to maxLength characters of a
    // cell, then commit with the length written.
    // Characters of the room past the committed length are not kept.
    char16_t *beginCell(size_t maxLength) { return room(maxLength); }
    void commitCell(int row, int column, size_t length)
    {
        if (!valid(row, column)) return;
        m_rows[size_t(row)][size_t(column - 1)] = Span{uint32_t(m_used), uint32_t(length)};
        m_used += length;
    }

private:
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    static bool valid(int row, int column) { return row >= 0 && row < kRows && column >= 1 && column <= 5; }
    // Room for n more characters after the used ones. The store only grows:
    // it is sized once and reused by every refill, so a refill writes into
    // memory that is already there.
    char16_t *room(size_t n)
    {
        if (m_chars.size() < m_used + n) m_chars.resize(std::max(m_chars.size() * 2, m_used + n));
        return m_chars.data() + m_used;
    }

    std::vector<std::array<Span, 5>> m_rows;
    std::vector<char16_t> m_chars; // the first m_used characters hold the texts
    size_t m_used = 0;
};

} // namespace kpv
