#pragma once
// The in-memory index of the ledger: row i describes record i (rows
// 0..50010), columns 1..5 hold values; the other columns (0, 6..11) exist
// and stay empty.

#include <QString>

#include <array>
#include <vector>

namespace kpv {

class IndexTable {
public:
    static constexpr int kRows = 50011;   // 0..50010
    static constexpr int kColumns = 12;   // 0..11

    IndexTable() : m_rows(kRows) {}

    QString value(int row, int column) const
    {
        if (row < 0 || row >= kRows || column < 1 || column > 5) return QString();
        return m_rows[size_t(row)][size_t(column - 1)];
    }
    void set(int row, int column, const QString &text)
    {
        if (row < 0 || row >= kRows || column < 1 || column > 5) return;
        m_rows[size_t(row)][size_t(column - 1)] = text;
    }
    // Empties rows first..50010.
    void clearFrom(int first)
    {
        for (int r = std::max(first, 0); r < kRows; ++r)
            for (auto &v : m_rows[size_t(r)]) v.clear();
    }
    // Column 1 of a row, without a copy (the finds compare it often).
    const QString &itemNumber(int row) const { return m_rows[size_t(row)][0]; }

private:
    std::vector<std::array<QString, 5>> m_rows;
};

} // namespace kpv
