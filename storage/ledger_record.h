#pragma once
// One ledger record: 926 bytes, kept as its bytes. 21 text fields of 28 bytes
// (field n at byte 28 n), 48 month cells of 7 bytes (cell (r, m) at byte
// 588 + 7 (r + 3 m)), then CR LF. A field is decoded when it is read and
// encoded when it is assigned, so bytes nobody assigned (spare fields, NUL
// fill) are written back exactly as they were read.

#include "storage/codepage.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace kpv {

class LedgerRecord {
public:
    static constexpr int kSize = 926;
    static constexpr int kFields = 21;
    static constexpr int kFieldWidth = 28;
    static constexpr int kCellRows = 3;
    static constexpr int kCellSlots = 16;
    static constexpr int kCellWidth = 7;
    static constexpr int kCellsOffset = 588;
    static constexpr int kLineEndOffset = 924;

    static constexpr int fieldOffset(int n) { return kFieldWidth * n; }
    static constexpr int cellOffset(int r, int m) { return kCellsOffset + kCellWidth * (r + kCellRows * m); }

    LedgerRecord() { m_bytes.fill(0); }
    // A record from stored bytes; fewer than 926 bytes are NUL-filled.
    static LedgerRecord fromBytes(const char *data, int len);

    // The text up to the first NUL, untrimmed.
    QString rawField(int n) const;
    // The cleaned text (up to the first NUL, ASCII spaces trimmed).
    QString field(int n) const;
    double fieldNumber(int n) const;
    // Stores the text padded with spaces (cut at 28 bytes, a double-byte
    // character that would straddle the end is dropped). False, and nothing
    // changes, when the text holds a character code page 932 cannot store.
    bool setField(int n, const QString &text, cp932::Refusal *refusal = nullptr);

    QString rawCell(int r, int m) const;
    QString cell(int r, int m) const;
    double cellNumber(int r, int m) const;
    bool setCell(int r, int m, const QString &text, cp932::Refusal *refusal = nullptr);

    void setLineEnd() { m_bytes[kLineEndOffset] = '\r'; m_bytes[kLineEndOffset + 1] = '\n'; }
    bool hasLineEnd() const { return m_bytes[kLineEndOffset] == '\r' && m_bytes[kLineEndOffset + 1] == '\n'; }

    const char *data() const { return m_bytes.data(); }
    char *data() { return m_bytes.data(); }
    QByteArray bytes() const { return QByteArray(m_bytes.data(), kSize); }
    void clear() { m_bytes.fill(0); }

    bool operator==(const LedgerRecord &) const = default;

private:
    std::array<char, kSize> m_bytes;
};

// Decodes a fixed-width field the way every reader takes it: up to the first
// NUL, ASCII spaces trimmed at both ends.
QString decodeCleanField(const char *data, int width);
// The number of a fixed-width field by the leading-number rule.
double fieldNumberOf(const char *data, int width);

} // namespace kpv
