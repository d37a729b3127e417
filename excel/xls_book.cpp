#include "excel/xls_book.h"

#include <QHash>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace kpv::excel {

namespace {

// Record types.
constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kExtSst = 0x00FF;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kIndex = 0x020B;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kColInfo = 0x007D;
constexpr std::uint16_t kRow = 0x0208;
constexpr std::uint16_t kDbCell = 0x00D7;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kRString = 0x00D6;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kFormula = 0x0006;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kArray = 0x0221;
constexpr std::uint16_t kShrFmla = 0x04BC;
constexpr std::uint16_t kTable = 0x0236;

constexpr size_t kMaxRecordData = 8224;
constexpr int kRowsPerBlock = 32;

std::uint16_t rd16(std::string_view d, size_t at)
{
    return std::uint16_t(std::uint8_t(d[at]) | (std::uint8_t(d[at + 1]) << 8));
}
std::uint32_t rd32(std::string_view d, size_t at) { return rd16(d, at) | (std::uint32_t(rd16(d, at + 2)) << 16); }

void put16(std::string &out, std::uint16_t v)
{
    const char b[2] = {char(v & 0xFF), char(v >> 8)};
    out.append(b, 2);
}
void put32(std::string &out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}
void set16(std::string &out, size_t at, std::uint16_t v)
{
    out[at] = char(v & 0xFF);
    out[at + 1] = char(v >> 8);
}
void set32(std::string &out, size_t at, std::uint32_t v)
{
    set16(out, at, std::uint16_t(v & 0xFFFF));
    set16(out, at + 2, std::uint16_t(v >> 16));
}

// A record in a stream: its type, its data, and where it starts.
struct Cursor {
    std::string_view all;
    size_t at = 0;
    bool next(std::uint16_t &type, std::string_view &data, size_t &start)
    {
        if (at + 4 > all.size()) return false;
        type = rd16(all, at);
        const size_t len = rd16(all, at + 2);
        if (at + 4 + len > all.size()) return false;
        start = at;
        data = all.substr(at + 4, len);
        at += 4 + len;
        return true;
    }
};

bool isCellRecord(std::uint16_t t)
{
    switch (t) {
    case kBlank: case kMulBlank: case kNumber: case kRk: case kMulRk: case kLabelSst: case kLabel: case kRString:
    case kBoolErr: case kFormula:
        return true;
    default:
        return false;
    }
}
// Records that follow a formula and belong to its row.
bool isFormulaPart(std::uint16_t t) { return t == kString || t == kArray || t == kShrFmla || t == kTable; }
bool isCellTable(std::uint16_t t) { return t == kRow || t == kDbCell || isCellRecord(t) || isFormulaPart(t); }

// The strings of SST and its CONTINUE records: a string's characters that
// cross into the next record start there with a fresh option byte.
class SstReader {
public:
    explicit SstReader(std::vector<std::string_view> parts) : m_parts(std::move(parts)) {}
    bool read(std::uint32_t count, std::vector<std::u16string> &, std::vector<std::uint8_t> &, std::vector<std::uint16_t> &,
              std::vector<std::uint32_t> &, std::vector<std::string> &);
    bool bytes(size_t n, std::string &out)
    {
        while (n > 0) {
            if (!ensure()) return false;
            const size_t take = std::min(n, m_parts[m_part].size() - m_at);
            out.append(m_parts[m_part].data() + m_at, take);
            m_at += take;
            n -= take;
        }
        return true;
    }
    bool byte(std::uint8_t &v)
    {
        if (!ensure()) return false;
        v = std::uint8_t(m_parts[m_part][m_at++]);
        return true;
    }
    bool u16(std::uint16_t &v)
    {
        std::string b;
        if (!bytes(2, b)) return false;
        v = rd16(b, 0);
        return true;
    }
    bool u32(std::uint32_t &v)
    {
        std::string b;
        if (!bytes(4, b)) return false;
        v = rd32(b, 0);
        return true;
    }
    bool chars(size_t n, bool wide, std::u16string &out)
    {
        out.reserve(n);
        while (n > 0) {
            if (m_at >= m_parts[m_part].size()) { // characters go on in the next record
                if (++m_part >= m_parts.size()) return false;
                m_at = 0;
                std::uint8_t option = 0;
                if (!byte(option)) return false;
                wide = option & 1;
            }
            const std::string_view p = m_parts[m_part];
            const size_t width = wide ? 2 : 1;
            const size_t take = std::min(n, (p.size() - m_at) / width);
            if (take == 0) return false;
            for (size_t i = 0; i < take; ++i)
                out.push_back(wide ? char16_t(rd16(p, m_at + 2 * i)) : char16_t(std::uint8_t(p[m_at + i])));
            m_at += take * width;
            n -= take;
        }
        return true;
    }

private:
    bool ensure()
    {
        while (m_part < m_parts.size() && m_at >= m_parts[m_part].size()) {
            ++m_part;
            m_at = 0;
        }
        return m_part < m_parts.size();
    }
    std::vector<std::string_view> m_parts;
    size_t m_part = 0;
    size_t m_at = 0;
};

// Writes SST and its CONTINUE records, and notes where every dsst-th string
// starts for EXTSST.
class SstWriter {
public:
    SstWriter(std::string &out, size_t streamBase, std::uint32_t total, std::uint32_t unique)
        : m_out(out), m_base(streamBase), m_unique(unique)
    {
        m_dsst = std::max<std::uint32_t>(8, (unique + 127) / 128);
        begin(kSst);
        put32(m_out, total);
        put32(m_out, unique);
    }
    void add(const char16_t *chars, size_t n, std::uint8_t flags, std::uint16_t runs, std::uint32_t extLength,
             const std::string &tail)
    {
        bool wide = false;
        for (size_t i = 0; i < n && !wide; ++i) wide = chars[i] > 0xFF;
        const size_t header = 3 + ((flags & 0x08) ? 2 : 0) + ((flags & 0x04) ? 4 : 0);
        const size_t width = wide ? 2 : 1;
        if (room() < header + (n > 0 ? width : 0)) next();
        if (m_index++ % m_dsst == 0) {
            m_marks.push_back({std::uint32_t(m_base + m_out.size()), std::uint16_t(m_out.size() - m_record)});
        }
        put16(m_out, std::uint16_t(n));
        m_out.push_back(char((flags & 0x0C) | (wide ? 1 : 0)));
        if (flags & 0x08) put16(m_out, runs);
        if (flags & 0x04) put32(m_out, extLength);
        size_t i = 0;
        while (i < n) {
            size_t fit = room() / width;
            if (fit == 0) {
                next();
                m_out.push_back(char(wide ? 1 : 0));
                continue;
            }
            const size_t take = std::min(fit, n - i);
            if (wide) {
                for (size_t k = 0; k < take; ++k) put16(m_out, std::uint16_t(chars[i + k]));
            }
            else {
                for (size_t k = 0; k < take; ++k) m_out.push_back(char(chars[i + k]));
            }
            i += take;
        }
        for (size_t done = 0; done < tail.size();) {
            if (room() == 0) next();
            const size_t take = std::min(room(), tail.size() - done);
            m_out.append(tail, done, take);
            done += take;
        }
    }
    void finish()
    {
        close();
        begin(kExtSst);
        put16(m_out, std::uint16_t(m_dsst));
        for (const auto &[ib, offset] : m_marks) {
            put32(m_out, ib);
            put16(m_out, offset);
            put16(m_out, 0);
        }
        close();
    }

private:
    size_t room() const { return kMaxRecordData - (m_out.size() - m_record - 4); }
    void begin(std::uint16_t type)
    {
        m_record = m_out.size();
        put16(m_out, type);
        put16(m_out, 0);
    }
    void close() { set16(m_out, m_record + 2, std::uint16_t(m_out.size() - m_record - 4)); }
    void next()
    {
        close();
        begin(kContinue);
    }

    std::string &m_out;
    size_t m_base;
    std::uint32_t m_unique;
    std::uint32_t m_dsst = 8;
    std::uint32_t m_index = 0;
    size_t m_record = 0;
    std::vector<std::pair<std::uint32_t, std::uint16_t>> m_marks;
};

// A number as an RK value when it is one exactly.
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

// The header of a cell record and its row, column and format.
void putCellHeader(std::string &out, std::uint16_t type, size_t length, int row, int col, std::uint16_t xf)
{
    put16(out, type);
    put16(out, std::uint16_t(length));
    put16(out, std::uint16_t(row));
    put16(out, std::uint16_t(col));
    put16(out, xf);
}

// The cell records of one row: runs of empty cells as one record, numbers
// as RK values where they are one exactly, texts as shared strings.
template <class StringIndex>
void putCells(std::string &out, int row, int firstCol, const std::vector<XlsCell> &cells, StringIndex &stringIndex)
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

} // namespace

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
        if (type == kEof) ended = true;
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
            SstReader reader(std::move(parts));
            b.m_sst.reserve(std::min<size_t>(unique, b.m_bytes.size() / 3)); // 3 bytes a string at least
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

int XlsBook::xfAt(int sheetNo, int row, int col) const
{
    if (sheetNo < 0 || sheetNo >= sheetCount()) return 15;
    const Sheet &sheet = m_sheets[size_t(sheetNo)];
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
        const std::string_view r = it->second.rowRecord;
        if (!r.empty() && (rd16(r, 4 + 12) & 0x80)) return rd16(r, 4 + 14) & 0x0FFF;
    }
    for (const auto &[span, xf] : sheet.columnXf)
        if (col >= span.first && col <= span.second) return xf;
    return 15;
}

std::string XlsBook::serialize() const
{
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
        const Sheet &sheet = m_sheets[k];
        const Rows *rows = nullptr;
        for (const Rows &r : m_rows)
            if (r.sheet == int(k)) rows = &r;
        if (!rows || sheet.headRecords.empty()) {
            sheets[k].assign(sheet.whole);
            continue;
        }
        const int ourFirst = rows->firstRow, ourEnd = rows->firstRow + rows->count;
        const int clearEnd = std::max(rows->clearTo, ourEnd);
        auto dropped = [&](int row) { return row >= ourFirst && row < clearEnd; };

        std::vector<int> order;
        int firstCol = rows->firstCol, endCol = rows->firstCol + rows->columns;
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

        std::string &out = sheets[k];
        out.reserve(size_t(rows->count) * size_t(rows->columns) * 12 + sheet.whole.size());
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

        std::vector<XlsCell> cells(size_t(rows->columns));
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
                const int like = rows->rowLike ? rows->rowLike(row) : -1;
                auto it = sheet.rows.find(like);
                if (it != sheet.rows.end() && !it->second.rowRecord.empty()) {
                    const size_t at = out.size();
                    out.append(it->second.rowRecord);
                    set16(out, at + 4, std::uint16_t(row));
                    set16(out, at + 6, std::uint16_t(rows->firstCol));
                    set16(out, at + 8, std::uint16_t(rows->firstCol + rows->columns));
                }
                else { // height 255 twips, no row format
                    put16(out, kRow);
                    put16(out, 16);
                    put16(out, std::uint16_t(row));
                    put16(out, std::uint16_t(rows->firstCol));
                    put16(out, std::uint16_t(rows->firstCol + rows->columns));
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
                rows->source(row, cells);
                putCells(block, row, rows->firstCol, cells, stringIndex);
            }
            out.append(block);
            i = end;
        }
        out.append(sheet.tail);
    }

    // The globals, with the strings and the sheets' new positions.
    std::string globals;
    const std::string_view g = m_globals;
    const size_t sstAt = m_sstAt != std::string::npos ? m_sstAt : g.size() - 4; // else before EOF
    const size_t sstEnd = m_sstAt != std::string::npos ? m_sstEnd : g.size() - 4;
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
