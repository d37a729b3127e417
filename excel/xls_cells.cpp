#include "excel/xls_cells.h"

#include "excel/xls_records.h"

#include <cmath>
#include <cstring>

namespace kpv::excel::biff {

bool toRk(double v, std::uint32_t &rk)
{
    constexpr double kMin = -536870912.0, kMax = 536870911.0;
    if (v == std::floor(v) && v >= kMin && v <= kMax && !(v == 0 && std::signbit(v))) {
        rk = (std::uint32_t(std::int32_t(v)) << 2) | 2;
        return true;
    }
    const double h = v * 100;
    if (h == std::floor(h) && h >= kMin && h <= kMax && double(std::int32_t(h)) / 100 == v) {
        rk = (std::uint32_t(std::int32_t(h)) << 2) | 3;
        return true;
    }
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x3FFFFFFFFull) == 0) {
        rk = std::uint32_t(bits >> 32);
        return true;
    }
    return false;
}

namespace {

// The header of a cell record and its row, column and format.
void putCellHeader(std::string &out, std::uint16_t type, size_t length, int row, int col, std::uint16_t xf)
{
    put16(out, type);
    put16(out, std::uint16_t(length));
    put16(out, std::uint16_t(row));
    put16(out, std::uint16_t(col));
    put16(out, xf);
}

} // namespace

void putCells(std::string &out, int row, int firstCol, const std::vector<XlsCell> &cells,
              const std::function<std::uint32_t(const QString &)> &stringIndex)
{
    for (size_t c = 0; c < cells.size();) {
        const XlsCell &cell = cells[c];
        const int col = firstCol + int(c);
        if (cell.kind == XlsCell::Kind::Empty) {
            size_t e = c + 1;
            while (e < cells.size() && cells[e].kind == XlsCell::Kind::Empty) ++e;
            if (e - c == 1) {
                putCellHeader(out, kBlank, 6, row, col, cell.xf);
            }
            else { // MULBLANK: row, first column, the formats, last column
                put16(out, kMulBlank);
                put16(out, std::uint16_t(6 + 2 * (e - c)));
                put16(out, std::uint16_t(row));
                put16(out, std::uint16_t(col));
                for (size_t x = c; x < e; ++x) put16(out, cells[x].xf);
                put16(out, std::uint16_t(firstCol + int(e) - 1));
            }
            c = e;
            continue;
        }
        if (cell.kind == XlsCell::Kind::Text) {
            putCellHeader(out, kLabelSst, 10, row, col, cell.xf);
            put32(out, stringIndex(cell.text));
        }
        else if (std::uint32_t rk = 0; toRk(cell.number, rk)) {
            putCellHeader(out, kRk, 10, row, col, cell.xf);
            put32(out, rk);
        }
        else {
            putCellHeader(out, kNumber, 14, row, col, cell.xf);
            char bytes[8];
            std::memcpy(bytes, &cell.number, 8); // little-endian IEEE, as stored
            out.append(bytes, 8);
        }
        ++c;
    }
}

} // namespace kpv::excel::biff

namespace kpv::excel {

TextScript leadingScript(const QString &text)
{
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c <= 0x20 || c == 0xA0) continue; // spaces and controls
        if (c <= 0x02FF) return TextScript::Latin; // ASCII signs and digits too, as the office counts them
        if (c <= 0x036F) continue;                 // combining marks
        if (c <= 0x058F) return TextScript::Latin; // Greek, Cyrillic, Armenian
        if (c <= 0x109F) return TextScript::Complex; // Hebrew .. Myanmar
        if (c <= 0x10FF) return TextScript::Latin;   // Georgian
        if (c <= 0x11FF) return TextScript::Asian;   // Hangul Jamo
        if (c >= 0x1E00 && c <= 0x1FFF) return TextScript::Latin;
        if (c >= 0x2E80 && c <= 0xD7AF) return TextScript::Asian; // CJK symbols, kana, ideographs, Hangul
        if (c >= 0xF900 && c <= 0xFAFF) return TextScript::Asian;
        if (c >= 0xFE30 && c <= 0xFE4F) return TextScript::Asian;
        if (c >= 0xFF00 && c <= 0xFFEF) return TextScript::Asian; // full and half width forms
        // general punctuation, signs, arrows, shapes, number forms: none
    }
    return TextScript::Weak;
}

} // namespace kpv::excel
