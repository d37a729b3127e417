#pragma once
// The "Workbook" stream of a stored .xls book (BIFF8), with rows of cells put
// into its sheets without the office: the office stores a small book (the
// template, titles, formats and a few rows formatted as each kind of cell
// will be), and the bulk of the cells is written here, each with the format
// record (XF) that the office gave the matching formatted cell.
//
// Records rewritten:
//   - the cell table of each sheet given rows: ROW records and the cell
//     records of every row (LABELSST for text, RK where a number is one
//     exactly, else NUMBER; BLANK or MULBLANK for a run of empty formatted
//     cells), in blocks of 32 rows as the office writes them; the stored rows
//     outside the rows written and cleared are kept as they were;
//   - DIMENSIONS of those sheets;
//   - SST with its CONTINUE records, and EXTSST, in the globals: the strings
//     read, then the new ones, each once (xls_sst.h has the rules of the
//     split over records);
//   - the stream positions in BOUNDSHEET.
// Left out: INDEX and DBCELL (their offsets would be stale; the office itself
// writes a book without them and reads one without them). Every other record
// (fonts, formats, XF, styles, page set-up, the template's content) is kept
// byte for byte.
//
// Limits of the format, refused rather than wrapped: rows from 65,536 on and
// columns from 256 on (a row or column number has 16 bits and a sheet stops
// there), and a string longer than 65,535 characters (its length has 16
// bits). serialize() fails with OutsideSheet, as the office path does, and
// nothing is written.

#include "excel/result.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kpv::excel {

// One cell to write.
struct XlsCell {
    enum class Kind : std::uint8_t { Empty, Number, Text };
    Kind kind = Kind::Empty;
    std::uint16_t xf = 15;
    double number = 0;
    QString text;
};

// The longest string a shared string can hold.
constexpr int kMaxXlsStringLength = 65535;

// A cell format as stored (its XF record with the font and number format it
// names), for checks of what the office wrote.
struct XlsFormat {
    int xf = -1;                 // -1: no such format record
    bool ownRecord = false;      // the cell has a cell record of its own
    QString fontName;
    int fontHeight = 0;          // twips
    bool bold = false;
    QString numberFormat;        // the code ("@", "###.0", "General")
    int fillPattern = 0;         // 0 none, 1 solid, ...
    int fillColour = -1;         // 0xRRGGBB, -1 when the palette does not say
    int borderStyle[4] = {0, 0, 0, 0}; // left, right, top, bottom (0 none, 1 thin, 2 medium, 5 thick, ...)
    int borderColour[4] = {-1, -1, -1, -1};
};

class XlsBook {
public:
    XlsBook() = default;
    XlsBook(XlsBook &&) = default;
    XlsBook &operator=(XlsBook &&) = default;
    XlsBook(const XlsBook &) = delete;
    XlsBook &operator=(const XlsBook &) = delete;

    // Reads a Workbook stream; nullopt (and a reason) when it is no BIFF8
    // stream this class can rebuild.
    static std::optional<XlsBook> parse(std::string_view workbook, QString *why = nullptr);

    int sheetCount() const { return int(m_sheets.size()); }
    // The format record of a cell (0-based) as stored: its cell record's, else
    // its row's default, else its column's, else the default cell format.
    int xfAt(int sheet, int row, int col) const;
    // The same with what the record says.
    XlsFormat formatAt(int sheet, int row, int col) const;

    // Fills row `row` (0-based), columns [firstCol, firstCol + cells.size()).
    using RowSource = std::function<void(int row, std::vector<XlsCell> &cells)>;
    struct Rows {
        int sheet = 0;
        int firstRow = 0;   // 0-based
        int count = 0;      // rows written from the source
        int clearTo = 0;    // rows [firstRow, clearTo) lose their stored cells
        int firstCol = 0;
        int columns = 0;
        RowSource source;
        // The stored row whose row record (height, flags) a written row copies.
        std::function<int(int row)> rowLike;
    };
    // Rows of several sheets may be set; each sheet once.
    void setRows(Rows rows) { m_rows.push_back(std::move(rows)); }

    // The new Workbook stream; OutsideSheet when a row, a column or a string
    // is beyond the format (see above).
    Result<std::string> serialize() const;

private:
    struct StoredRow {
        std::string_view rowRecord;         // whole record, header included; empty when none
        std::vector<std::string_view> cells; // whole records, in order
    };
    struct Sheet {
        std::string_view whole;                  // BOF .. EOF as read
        std::vector<std::string_view> headRecords; // BOF .. DIMENSIONS (INDEX left out)
        std::map<int, StoredRow> rows;             // the cell table
        std::string_view tail;                     // after the cell table .. EOF
        std::vector<std::pair<std::pair<int, int>, int>> columnXf; // (first, last) -> xf
        size_t boundSheetAt = 0; // its BOUNDSHEET record's offset in the globals
    };
    struct SstString {
        std::u16string chars;
        std::uint8_t flags = 0; // rich text / phonetic bits as read
        std::uint16_t runs = 0;
        std::uint32_t extLength = 0;
        std::string tail; // formatting runs and phonetic data, raw
    };
    // The cell's own format record, or -1.
    int ownXf(const Sheet &sheet, int row, int col) const;
    Result<std::string> serializeSheet(size_t k, const Rows &rows, const std::function<std::uint32_t(const QString &)> &stringIndex,
                                       std::int64_t &references) const;

    std::vector<char> m_bytes; // the stream read; the views point into it (a move keeps them)
    std::string_view m_globals;  // up to its EOF, included
    size_t m_eofAt = 0;          // offset of the globals' EOF record
    size_t m_sstAt = std::string::npos;     // offset of SST in the globals
    size_t m_sstEnd = std::string::npos;    // end of SST, its CONTINUEs and EXTSST
    std::uint32_t m_sstTotal = 0;
    std::vector<SstString> m_sst;
    std::vector<Sheet> m_sheets;
    std::vector<Rows> m_rows;
    // The format records of the globals, as read.
    std::vector<std::string_view> m_fonts;
    std::map<int, QString> m_formats;
    std::vector<std::string_view> m_xfs;
    std::vector<int> m_palette; // colours 8.. as 0xRRGGBB
};

// The script whose font the office gives a stored text cell: that of the
// first character with one, by Unicode block (ASCII digits and signs count as
// Latin; spaces, general punctuation, symbols, shapes and private characters
// have none, and a text of those only follows the default).
enum class TextScript { Weak, Latin, Asian, Complex };
TextScript leadingScript(const QString &text);

} // namespace kpv::excel
