// Ledger record decoding: every field and cell of each 926-byte record as
// the readers take it (raw, cleaned, as a number), the record count of a
// file of that length, and a record re-encoded from its decoded text.
#include "storage/ledger_file.h"
#include "storage/ledger_record.h"

#include <cstddef>
#include <cstdint>

using kpv::LedgerRecord;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *bytes = reinterpret_cast<const char *>(data);
    (void)kpv::LedgerFile::countRecords(qint64(size));
    for (size_t at = 0; at < size || at == 0; at += LedgerRecord::kSize) {
        const int len = int(std::min<size_t>(LedgerRecord::kSize, size - std::min(size, at)));
        const LedgerRecord r = LedgerRecord::fromBytes(bytes + std::min(size, at), len);
        LedgerRecord copy;
        for (int f = 0; f < LedgerRecord::kFields; ++f) {
            (void)r.rawField(f);
            (void)r.fieldNumber(f);
            (void)kpv::fieldNumberOf(r.data() + LedgerRecord::fieldOffset(f), LedgerRecord::kFieldWidth);
            (void)kpv::cp932::isValid(r.data() + LedgerRecord::fieldOffset(f), LedgerRecord::kFieldWidth);
            copy.setField(f, r.field(f));
        }
        for (int row = 0; row < LedgerRecord::kCellRows; ++row)
            for (int m = 0; m < LedgerRecord::kCellSlots; ++m) {
                (void)r.rawCell(row, m);
                (void)r.cellNumber(row, m);
                copy.setCell(row, m, r.cell(row, m));
            }
        if (at + LedgerRecord::kSize >= size) break;
    }
    return 0;
}
