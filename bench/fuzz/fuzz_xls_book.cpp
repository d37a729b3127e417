// The BIFF8 reader of stored books: any Workbook stream is refused or read;
// a read one gets rows written into its first sheet and is read again.
#include "excel/xls_book.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    auto book = kpv::excel::XlsBook::parse(bytes);
    if (!book) return 0;
    for (int s = 0; s < book->sheetCount() && s < 4; ++s)
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) (void)book->xfAt(s, r, c);
    // A book read is written again (a book beyond the format's limits is
    // refused, never written) and reads again.
    const auto plain = book->serialize();
    if (plain.ok() && !kpv::excel::XlsBook::parse(plain.value())) std::abort();
    if (book->sheetCount() > 0) {
        kpv::excel::XlsBook::Rows rows;
        rows.sheet = 0;
        rows.firstRow = 4;
        rows.count = 3;
        rows.clearTo = 8;
        rows.firstCol = 1;
        rows.columns = 3;
        rows.source = [](int row, std::vector<kpv::excel::XlsCell> &cells) {
            cells[0] = {kpv::excel::XlsCell::Kind::Number, 15, double(row), {}};
            cells[1] = {kpv::excel::XlsCell::Kind::Text, 15, 0, QStringLiteral("品名%1").arg(row)};
        };
        rows.rowLike = [](int) { return 4; };
        book->setRows(std::move(rows));
        const auto filled = book->serialize();
        if (filled.ok() && !kpv::excel::XlsBook::parse(filled.value())) std::abort();
    }
    return 0;
}
