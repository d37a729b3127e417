#pragma once
// The in-memory index of the ledger: row i describes record i (rows
// 0..50010), columns 1..5 hold values; the other columns (0, 6..11) exist
// and stay empty.
//
// Each value is held as its code page 932 bytes, the way the ledger and the
// index cache file store it, all in one byte store instead of one allocation
// each, and is decoded only when it is asked for: filling 50,000 rows then
// costs little more than reading the ledger.

#include "storage/codepage.h"

#include <QByteArrayView>
#include <QString>

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <vector>

namespace kpv {

class IndexTable {
public:
    static constexpr int kRows = 50011;  // 0..50010
    static constexpr int kColumns = 12;  // 0..11

    IndexTable() : m_rows(kRows) {}

    QString value(int row, int column) const
    {
        const QByteArrayView b = bytes(row, column);
        return cp932::decodeAll(b.data(), int(b.size()));
    }
    // The stored bytes of a value (code page 932).
    QByteArrayView bytes(int row, int column) const
    {
        if (!valid(row, column)) return {};
        const Span s = m_rows[size_t(row)][size_t(column - 1)];
        return QByteArrayView(m_bytes.data() + s.offset, qsizetype(s.length));
    }
    // Stores text as the ledger would. False, and the value left as it was,
    // when text holds a character code page 932 cannot store (such a value
    // can come neither from the ledger nor from the cache file).
    bool set(int row, int column, const QString &text)
    {
        QByteArray b;
        if (!valid(row, column) || !cp932::encode(text, b)) return false;
        setBytes(row, column, b.constData(), size_t(b.size()));
        return true;
    }
    void setBytes(int row, int column, const char *data, size_t length)
    {
        if (!valid(row, column)) return;
        std::memcpy(room(length), data, length);
        commitCell(row, column, 0, length);
    }
    // Empties every row and the byte store (before a complete refill).
    void reset(size_t expectedBytes = 0) { startRefill(0, expectedBytes); }
    // Empties the byte store and every row but 1..rows, which the caller
    // then fills whole (every column) with beginCell and commitCell.
    void startRefill(int rows, size_t expectedBytes)
    {
        m_rows[0] = {};
        clearFrom(std::max(rows + 1, 1));
        m_used = 0;
        if (m_bytes.size() < expectedBytes) m_bytes.resize(expectedBytes);
    }
    // Empties rows first..50010.
    void clearFrom(int first)
    {
        for (int r = first < 0 ? 0 : first; r < kRows; ++r) m_rows[size_t(r)] = {};
    }

    // For the fill of a whole row: room for up to maxBytes bytes of a cell,
    // then commit with where the value lies in the room: it starts skip bytes
    // in and is length bytes long. Bytes of the room after it are not kept.
    char *beginCell(size_t maxBytes) { return room(maxBytes); }
    void commitCell(int row, int column, size_t skip, size_t length)
    {
        if (!valid(row, column)) return;
        m_rows[size_t(row)][size_t(column - 1)] = Span{uint32_t(m_used + skip), uint32_t(length)};
        m_used += skip + length;
    }

    // Rows 1..n (n = fromRows.size()) become what rows fromRows[0..n) held
    // in columns 1..4, and column 5 of row i holds i; rows after n are
    // emptied. The values are not copied, only where they lie.
    void reorderRows(const std::vector<int> &fromRows)
    {
        std::vector<std::array<Span, 4>> moved(fromRows.size());
        for (size_t i = 0; i < fromRows.size(); ++i) {
            const int from = fromRows[i];
            if (from >= 1 && from < kRows) std::copy_n(m_rows[size_t(from)].begin(), 4, moved[i].begin());
        }
        const int rows = int(std::min(fromRows.size(), size_t(kRows - 1)));
        clearFrom(rows + 1);
        for (int r = 1; r <= rows; ++r) {
            std::copy_n(moved[size_t(r - 1)].begin(), 4, m_rows[size_t(r)].begin());
            char *digits = room(11);
            const size_t length = size_t(std::to_chars(digits, digits + 11, r).ptr - digits);
            commitCell(r, 5, 0, length);
        }
    }

private:
    struct Span {
        uint32_t offset = 0;
        uint32_t length = 0;
    };
    static bool valid(int row, int column) { return row >= 0 && row < kRows && column >= 1 && column <= 5; }
    // Room for n more bytes after the used ones. The store only grows: it is
    // sized once and reused by every refill, so a refill writes into memory
    // that is already there.
    char *room(size_t n)
    {
        if (m_bytes.size() < m_used + n) m_bytes.resize(std::max(m_bytes.size() * 2, m_used + n));
        return m_bytes.data() + m_used;
    }

    std::vector<std::array<Span, 5>> m_rows;
    std::vector<char> m_bytes; // the first m_used bytes hold the values
    size_t m_used = 0;
};

} // namespace kpv
