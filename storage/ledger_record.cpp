#include "storage/ledger_record.h"

#include "storage/numbers.h"

#include <cstdint>
#include <cstring>

namespace kpv {

QString decodeCleanField(const char *data, int width)
{
    int begin;
    const int n = cp932::trimmedRange(data, width, begin);
    return cp932::decodeAll(data + begin, n);
}

double fieldNumberOf(const char *data, int width)
{
    return leadingNumber(data, width); // a NUL stops the number like any non-digit
}

LedgerRecord LedgerRecord::fromBytes(const char *data, int len)
{
    LedgerRecord r;
    std::memcpy(r.m_bytes.data(), data, size_t(std::min(len, kSize)));
    return r;
}

QString LedgerRecord::rawField(int n) const
{
    return cp932::decodeField(m_bytes.data() + fieldOffset(n), kFieldWidth);
}

QString LedgerRecord::field(int n) const
{
    return decodeCleanField(m_bytes.data() + fieldOffset(n), kFieldWidth);
}

double LedgerRecord::fieldNumber(int n) const
{
    return fieldNumberOf(m_bytes.data() + fieldOffset(n), kFieldWidth);
}

bool LedgerRecord::setField(int n, const QString &text, cp932::Refusal *refusal)
{
    if (n < 0 || n >= kFields || !cp932::canEncode(text, refusal)) return false;
    cp932::encodeFixed(text, m_bytes.data() + fieldOffset(n), kFieldWidth);
    return true;
}

QString LedgerRecord::rawCell(int r, int m) const
{
    return cp932::decodeField(m_bytes.data() + cellOffset(r, m), kCellWidth);
}

QString LedgerRecord::cell(int r, int m) const
{
    return decodeCleanField(m_bytes.data() + cellOffset(r, m), kCellWidth);
}

double LedgerRecord::cellNumber(int r, int m) const
{
    return fieldNumberOf(m_bytes.data() + cellOffset(r, m), kCellWidth);
}

bool LedgerRecord::setCell(int r, int m, const QString &text, cp932::Refusal *refusal)
{
    if (r < 0 || r >= kCellRows || m < 0 || m >= kCellSlots || !cp932::canEncode(text, refusal)) return false;
    cp932::encodeFixed(text, m_bytes.data() + cellOffset(r, m), kCellWidth);
    return true;
}

} // namespace kpv
