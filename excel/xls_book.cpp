#include "excel/xls_book.h"

#include "excel/spreadsheet.h"
#include "excel/xls_cells.h"
#include "excel/xls_records.h"
#include "excel/xls_sst.h"

#include <QHash>

#include <algorithm>

namespace kpv::excel {

using namespace biff;

std::optional<XlsBook> XlsBook::parse(std::string_view workbook, QString *why)
{
    auto fail = [&](const char *reason) -> std::optional<XlsBook> {
        if (why) *why = QString::fromLatin1(reason);
        return std::nullopt;
    };
    XlsBook b;
    b.m_bytes.assign(workbook.begin(), workbook.end());
    const std::string_view all(b.m_bytes.data(), b.m_bytes.size());
    Cursor cur{all};
    std::uint16_t type = 0;
    std::string_view data;
    size_t start = 0;

    // The globals.
    if (!cur.next(type, data, start) || type != kBof || data.size() < 4 || rd16(data, 0) != 0x0600
        || rd16(data, 2) != 0x0005)
        return fail("not a BIFF8 workbook stream");
    std::vector<std::pair<size_t, std::uint32_t>> boundSheets; // offset, sheet position
    bool ended = false;
    while (!ended && cur.next(type, data, start)) {
        if (type == kEof) {
            ended = true;
            b.m_eofAt = start;
        }
        else if (type == kFont)
            b.m_fonts.push_back(data);
        else if (type == kXf)
            b.m_xfs.push_back(data);
        else if (type == kFormat && data.size() >= 5) {
            SstReader reader({data.substr(2)});
            std::uint16_t cch = 0;
            std::uint8_t option = 0;
            std::u16string code;
            if (reader.u16(cch) && reader.byte(option) && reader.chars(cch, option & 1, code))
                b.m_formats[rd16(data, 0)] = QString::fromStdU16String(code);
        } else if (type == kPalette && data.size() >= 2) {
            const size_t n = std::min<size_t>(rd16(data, 0), (data.size() - 2) / 4);
            for (size_t i = 0; i < n; ++i) {
                const size_t at = 2 + 4 * i;
                b.m_palette.push_back((std::uint8_t(data[at]) << 16) | (std::uint8_t(data[at + 1]) << 8)
                                      | std::uint8_t(data[at + 2]));
            }
        }
        else if (type == kBoundSheet && data.size() >= 4)
            boundSheets.push_back({start, rd32(data, 0)});
        else if (type == kSst) {
            if (data.size() < 8) return fail("short SST");
            b.m_sstAt = start;
            b.m_sstTotal = rd32(data, 0);
            const std::uint32_t unique = rd32(data, 4);
            std::vector<std::string_view> parts{data.substr(8)};
            Cursor look = cur;
            size_t s2 = 0;
            while (look.next(type, data, s2) && type == kContinue) {
                parts.push_back(data);
                cur = look;
            }
            // 3 bytes a string at least: a count beyond the record's bytes reserves nothing it cannot fill.
            size_t sstBytes = 0;
            for (std::string_view part : parts) sstBytes += part.size();
            b.m_sst.reserve(std::min<size_t>(unique, sstBytes / 3));
            SstReader reader(std::move(parts));
            for (std::uint32_t i = 0; i < unique; ++i) {
                SstString s;
                std::uint16_t cch = 0;
                std::uint8_t option = 0;
                if (!reader.u16(cch) || !reader.byte(option)) return fail("short SST");
                s.flags = option & 0x0C;
                if ((option & 0x08) && !reader.u16(s.runs)) return fail("short SST");
                if ((option & 0x04) && !reader.u32(s.extLength)) return fail("short SST");
                if (!reader.chars(cch, option & 1, s.chars)) return fail("short SST");
                if (!reader.bytes(size_t(s.runs) * 4 + s.extLength, s.tail)) return fail("short SST");
                b.m_sst.push_back(std::move(s));
            }
            b.m_sstEnd = cur.at;
            look = cur;
            if (look.next(type, data, s2) && type == kExtSst) {
                cur = look;
                b.m_sstEnd = cur.at;
            }
        }
    }
    if (!ended) return fail("the globals have no end");
    b.m_globals = all.substr(0, cur.at);

    // The sheets, in the order of their BOUNDSHEET records.
    for (const auto &[boundAt, position] : boundSheets) {
        if (position != cur.at) return fail("sheets out of order");
        Sheet sheet;
        sheet.boundSheetAt = boundAt;
        const size_t sheetStart = cur.at;
        if (!cur.next(type, data, start) || type != kBof || data.size() < 4) return fail("sheet without BOF");
        const bool worksheet = rd16(data, 2) == 0x0010;
        if (worksheet) sheet.headRecords.push_back(all.substr(start, cur.at - start));
        int depth = 1;
        enum { Head, Table, Tail } part = worksheet ? Head : Tail;
        size_t tailStart = worksheet ? std::string::npos : sheetStart;
        bool sawDimensions = false;
        int lastRow = -1;
        while (depth > 0 && cur.next(type, data, start)) {
            const std::string_view raw = all.substr(start, cur.at - start);
            // The cell table follows DIMENSIONS; whatever follows it is the tail.
            if (part == Head && sawDimensions) part = isCellTable(type) ? Table : Tail;
            else if (part == Table && !isCellTable(type)) part = Tail;
            if (part == Tail && tailStart == std::string::npos) tailStart = start;
            if (part == Head) {
                if (type == kDimensions) sawDimensions = true;
                if (type == kColInfo && data.size() >= 8)
                    sheet.columnXf.push_back({{rd16(data, 0), rd16(data, 2)}, rd16(data, 6) & 0x0FFF});
                if (type == kBof || type == kEof) return fail("unexpected record before the cells");
                if (type != kIndex) sheet.headRecords.push_back(raw); // its offsets would be stale
                continue;
            }
            if (part == Table) {
                if (type == kRow && data.size() >= 16) {
                    sheet.rows[rd16(data, 0)].rowRecord = raw;
                }
                else if (isCellRecord(type) && data.size() >= 6) {
                    lastRow = rd16(data, 0);
                    sheet.rows[lastRow].cells.push_back(raw);
                }
                else if (isFormulaPart(type) && lastRow >= 0) {
                    sheet.rows[lastRow].cells.push_back(raw);
                }
                continue; // DBCELL goes with INDEX
            }
            if (type == kBof) ++depth;
            if (type == kEof) --depth;
        }
        if (depth != 0) return fail("a sheet has no end");
        if (!worksheet || tailStart == std::string::npos) tailStart = sheetStart;
        sheet.tail = all.substr(tailStart, cur.at - tailStart);
        sheet.whole = all.substr(sheetStart, cur.at - sheetStart);
        b.m_sheets.push_back(std::move(sheet));
    }
    return b;
}

int XlsBook::ownXf(const Sheet &sheet, int row, int col) const
{
    if (auto it = sheet.rows.find(row); it != sheet.rows.end()) {
        for (std::string_view raw : it->second.cells) {
            const std::uint16_t type = rd16(raw, 0);
            if (!isCellRecord(type)) continue; // a formula's string or shared part
            const std::string_view d = raw.substr(4);
            const int first = rd16(d, 2);
            if (type == kMulBlank || type == kMulRk) {
                const size_t width = type == kMulBlank ? 2 : 6;
                const size_t n = (d.size() - 6) / width;
                if (col >= first && size_t(col - first) < n) return rd16(d, 4 + width * size_t(col - first)) & 0x0FFF;
            }
            else if (first == col)
                return rd16(d, 4) & 0x0FFF;
        }
    }
    return -1;
}

int XlsBook::xfAt(int sheetNo, int row, int col) const
{
    if (sheetNo < 0 || sheetNo >= sheetCount()) return 15;
    const Sheet &sheet = m_sheets[size_t(sheetNo)];
    if (const int own = ownXf(sheet, row, col); own >= 0) return own;
    if (auto it = sheet.rows.find(row); it != sheet.rows.end()) {
        const std::string_view r = it->second.rowRecord;
        if (!r.empty() && (rd16(r, 4 + 12) & 0x80)) return rd16(r, 4 + 14) & 0x0FFF;
    }
    for (const auto &[span, xf] : sheet.columnXf)
        if (col >= span.first && col <= span.second) return xf;
    return 15;
}


XlsFormat XlsBook::formatAt(int sheetNo, int row, int col) const
{
    XlsFormat f;
    if (sheetNo < 0 || sheetNo >= sheetCount()) return f;
    f.ownRecord = ownXf(m_sheets[size_t(sheetNo)], row, col) >= 0;
    f.xf = xfAt(sheetNo, row, col);
    if (f.xf < 0 || size_t(f.xf) >= m_xfs.size() || m_xfs[size_t(f.xf)].size() < 20) {
        f.xf = -1;
        return f;
    }
    const std::string_view x = m_xfs[size_t(f.xf)];
    auto colour = [&](int index) {
        // Indexes 8 on name the palette's colours; the rest are system colours.
        if (index >= 8 && size_t(index - 8) < m_palette.size()) return m_palette[size_t(index - 8)];
        return -1;
    };
    // The font index skips 4, which no book has.
    const int ifnt = rd16(x, 0);
    const int font = ifnt >= 4 ? ifnt - 1 : ifnt;
    if (font >= 0 && size_t(font) < m_fonts.size() && m_fonts[size_t(font)].size() >= 16) {
        const std::string_view d = m_fonts[size_t(font)];
        f.fontHeight = rd16(d, 0);
        f.bold = rd16(d, 6) >= 700;
        const size_t cch = std::uint8_t(d[14]);
        const bool wide = d[15] & 1;
        std::u16string name;
        for (size_t i = 0; i < cch && 16 + (i + 1) * (wide ? 2 : 1) <= d.size(); ++i)
            name.push_back(wide ? char16_t(rd16(d, 16 + 2 * i)) : char16_t(std::uint8_t(d[16 + i])));
        f.fontName = QString::fromStdU16String(name);
    }
    const int ifmt = rd16(x, 2);
    if (auto it = m_formats.find(ifmt); it != m_formats.end()) f.numberFormat = it->second;
    else if (ifmt == 0) f.numberFormat = QStringLiteral("General");
    else if (ifmt == 49) f.numberFormat = QStringLiteral("@");
    else f.numberFormat = QStringLiteral("#%1").arg(ifmt); // a built-in format by its number
    const std::uint32_t lines = rd32(x, 10), more = rd32(x, 14);
    f.borderStyle[0] = int(lines & 0xF);
    f.borderStyle[1] = int((lines >> 4) & 0xF);
    f.borderStyle[2] = int((lines >> 8) & 0xF);
    f.borderStyle[3] = int((lines >> 12) & 0xF);
    f.borderColour[0] = colour(int((lines >> 16) & 0x7F));
    f.borderColour[1] = colour(int((lines >> 23) & 0x7F));
    f.borderColour[2] = colour(int(more & 0x7F));
    f.borderColour[3] = colour(int((more >> 7) & 0x7F));
    f.fillPattern = int((more >> 26) & 0x3F);
    f.fillColour = f.fillPattern == 0 ? -1 : colour(int(rd16(x, 18) & 0x7F));
    return f;
}

Result<std::string> XlsBook::serializeSheet(size_t k, const Rows &rows,
                                            const std::function<std::uint32_t(const QString &)> &stringIndex,
                                            std::int64_t &references) const
{
    const Sheet &sheet = m_sheets[k];
    const int ourFirst = rows.firstRow, ourEnd = rows.firstRow + rows.count;
    const int clearEnd = std::max(rows.clearTo, ourEnd);
    auto dropped = [&](int row) { return row >= ourFirst && row < clearEnd; };

    std::vector<int> order;
    int firstCol = rows.firstCol, endCol = rows.firstCol + rows.columns;
    for (const auto &[row, stored] : sheet.rows) {
        if (dropped(row)) {
            for (std::string_view raw : stored.cells)
                if (rd16(raw, 0) == kLabelSst) --references;
            continue;
        }
        order.push_back(row);
        if (!stored.rowRecord.empty()) {
            firstCol = std::min<int>(firstCol, rd16(stored.rowRecord, 6));
            endCol = std::max<int>(endCol, rd16(stored.rowRecord, 8));
        }
    }
    for (int row = ourFirst; row < ourEnd; ++row) order.push_back(row);
    std::sort(order.begin(), order.end());

    std::string out;
    out.reserve(size_t(rows.count) * size_t(rows.columns) * 12 + sheet.whole.size());
    for (std::string_view raw : sheet.headRecords) {
        if (rd16(raw, 0) != kDimensions) {
            out.append(raw);
            continue;
        }
        put16(out, kDimensions);
        put16(out, 14);
        put32(out, order.empty() ? 0 : std::uint32_t(order.front()));
        put32(out, order.empty() ? 0 : std::uint32_t(order.back() + 1));
        put16(out, std::uint16_t(order.empty() ? 0 : firstCol));
        put16(out, std::uint16_t(order.empty() ? 0 : endCol));
        put16(out, 0);
    }

    std::vector<XlsCell> cells(size_t(rows.columns));
    std::string block;
    for (size_t i = 0; i < order.size();) {
        const int blockNo = order[i] / kRowsPerBlock;
        size_t end = i;
        while (end < order.size() && order[end] / kRowsPerBlock == blockNo) ++end;
        block.clear();
        for (size_t j = i; j < end; ++j) {
            const int row = order[j];
            if (row < ourFirst || row >= ourEnd) {
                const StoredRow &stored = sheet.rows.at(row);
                out.append(stored.rowRecord);
                for (std::string_view raw : stored.cells) block.append(raw);
                continue;
            }
            // The row record of the row it is like, else a plain one.
            const int like = rows.rowLike ? rows.rowLike(row) : -1;
            auto it = sheet.rows.find(like);
            if (it != sheet.rows.end() && !it->second.rowRecord.empty()) {
                const size_t at = out.size();
                out.append(it->second.rowRecord);
                set16(out, at + 4, std::uint16_t(row));
                set16(out, at + 6, std::uint16_t(rows.firstCol));
                set16(out, at + 8, std::uint16_t(rows.firstCol + rows.columns));
            } else { // height 255 twips, no row format
                put16(out, kRow);
                put16(out, 16);
                put16(out, std::uint16_t(row));
                put16(out, std::uint16_t(rows.firstCol));
                put16(out, std::uint16_t(rows.firstCol + rows.columns));
                put16(out, 0x00FF);
                put32(out, 0);
                put16(out, 0x0100);
                put16(out, 0x000F);
            }
            for (XlsCell &c : cells) {
                c.kind = XlsCell::Kind::Empty;
                c.xf = 15;
                c.text.clear();
            }
            rows.source(row, cells);
            for (const XlsCell &c : cells)
                if (c.kind == XlsCell::Kind::Text && c.text.size() > kMaxXlsStringLength)
                    return Failure{FailureKind::OutsideSheet,
                                   QStringLiteral("a text of %1 characters in row %2: a stored string holds %3")
                                       .arg(c.text.size())
                                       .arg(row + 1)
                                       .arg(kMaxXlsStringLength)};
            putCells(block, row, rows.firstCol, cells, stringIndex);
        }
        out.append(block);
        i = end;
    }
    out.append(sheet.tail);
    return out;
}

Result<std::string> XlsBook::serialize() const
{
    // Nothing beyond the sheet: a row or column number has 16 bits and would wrap.
    for (const Rows &r : m_rows) {
        if (r.firstRow < 0 || r.count < 0 || r.firstCol < 0 || r.columns < 0
            || std::int64_t(r.firstRow) + r.count > kMaxRows || std::int64_t(r.firstCol) + r.columns > kMaxColumns
            || r.clearTo > kMaxRows)
            return Failure{FailureKind::OutsideSheet, QStringLiteral("rows %1..%2, columns %3..%4 are not within the %5 x %6 sheet")
                                                          .arg(r.firstRow + 1)
                                                          .arg(std::int64_t(r.firstRow) + r.count)
                                                          .arg(r.firstCol + 1)
                                                          .arg(std::int64_t(r.firstCol) + r.columns)
                                                          .arg(kMaxRows)
                                                          .arg(kMaxColumns)};
        if (r.sheet < 0 || r.sheet >= sheetCount())
            return Failure{FailureKind::OutsideSheet, QStringLiteral("no sheet %1").arg(r.sheet + 1)};
    }

    // New strings, kept once each, after those read.
    QHash<QString, std::uint32_t> index;
    std::vector<QString> added;
    std::int64_t references = m_sstTotal;
    auto stringIndex = [&](const QString &text) {
        auto it = index.find(text);
        if (it == index.end()) {
            it = index.insert(text, std::uint32_t(m_sst.size() + added.size()));
            added.push_back(text);
        }
        ++references;
        return *it;
    };

    // The sheets.
    std::vector<std::string> sheets(m_sheets.size());
    for (size_t k = 0; k < m_sheets.size(); ++k) {
        const Rows *rows = nullptr;
        for (const Rows &r : m_rows)
            if (r.sheet == int(k)) rows = &r;
        if (!rows || m_sheets[k].headRecords.empty()) {
            sheets[k].assign(m_sheets[k].whole);
            continue;
        }
        Result<std::string> sheet = serializeSheet(k, *rows, stringIndex, references);
        if (!sheet.ok()) return sheet.failure();
        sheets[k] = std::move(sheet.value());
    }

    // The globals, with the strings and the sheets' new positions.
    std::string globals;
    const std::string_view g = m_globals;
    // A book without strings gets them just before its EOF record (which may
    // carry data: it is kept as it was).
    const size_t sstAt = m_sstAt != std::string::npos ? m_sstAt : m_eofAt;
    const size_t sstEnd = m_sstAt != std::string::npos ? m_sstEnd : m_eofAt;
    globals.reserve(g.size() + size_t(added.size()) * 24);
    globals.append(g.substr(0, sstAt));
    {
        SstWriter sst(globals, 0, std::uint32_t(std::max<std::int64_t>(references, 0)),
                      std::uint32_t(m_sst.size() + added.size()));
        for (const SstString &s : m_sst) sst.add(s.chars.data(), s.chars.size(), s.flags, s.runs, s.extLength, s.tail);
        static const std::string none;
        for (const QString &s : added)
            sst.add(reinterpret_cast<const char16_t *>(s.utf16()), size_t(s.size()), 0, 0, 0, none);
        sst.finish();
    }
    globals.append(g.substr(sstEnd));
    const std::int64_t shift = std::int64_t(globals.size()) - std::int64_t(g.size());

    size_t position = globals.size();
    for (size_t k = 0; k < m_sheets.size(); ++k) {
        size_t at = m_sheets[k].boundSheetAt;
        if (at >= sstEnd) at = size_t(std::int64_t(at) + shift);
        set32(globals, at + 4, std::uint32_t(position));
        position += sheets[k].size();
    }
    std::string stream = std::move(globals);
    stream.reserve(position);
    for (const std::string &s : sheets) stream.append(s);
    return stream;
}

} // namespace kpv::excel
