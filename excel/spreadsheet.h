#pragma once
// The spreadsheet interface every workbook output and import talks to.
//
// It is the small part of a spreadsheet application's object model that the
// system needs: bind to a workbook by path, its first worksheet, cell values
// one at a time or as a rectangular block in one call, the formatting of the
// outputs (text format, borders, fill, centring, heights, widths, fonts),
// screen updating, events, visibility and the active sheet. Rows and columns
// count from 1 (row 1, column 1 is A1). Colours are given as the spreadsheet
// automation colour value red + 256 * green + 65536 * blue.
//
// No operation that a screen uses saves or closes a workbook: an output is left
// open for the user, an import leaves the book unsaved. storeAsXls() and
// close() exist for the generator of the shipped books and for tests.
//
// Every operation returns its failure as a value (result.h). Dropping a
// Workbook object releases it: a book that a read bind loaded itself is closed
// then (unless it was shown or changed meanwhile), every other document stays
// open in the application.
//
// The books are Excel 97-2003 files: rows and columns beyond the .xls sheet
// (kMaxRows, kMaxColumns) are refused with FailureKind::OutsideSheet before
// anything is written, so nothing is lost silently when the book is stored.
// Dates are read as the text the cell shows ("2026/04"), never as a serial.

#include "excel/result.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

namespace kpv::excel {

class WorkThread;

// One cell's value as the application holds it.
class CellValue {
public:
    enum class Kind { Empty, Text, Number };

    CellValue() = default;
    CellValue(const QString &text) : m_kind(text.isEmpty() ? Kind::Empty : Kind::Text), m_text(text) {}
    CellValue(const char *utf8) : CellValue(QString::fromUtf8(utf8)) {}
    static CellValue number(double value)
    {
        CellValue v;
        v.m_kind = Kind::Number;
        v.m_number = value;
        return v;
    }
    // A number when text is exactly how that number shows in a general cell
    // (its shortest decimal form, as text() gives it: "12", "0.5", "-3"),
    // otherwise the text itself ("012", "1,200", " 12", "1E3", "12.0", names).
    // Reading the cell back with text() gives the same text either way.
    static CellValue numberOrText(const QString &text);

    Kind kind() const { return m_kind; }
    bool isEmpty() const { return m_kind == Kind::Empty; }
    bool isText() const { return m_kind == Kind::Text; }
    bool isNumber() const { return m_kind == Kind::Number; }
    double numberValue() const { return m_number; }
    // The value as the system's text: text as stored, a number in its shortest
    // decimal form (12, 1.5, -0.25; up to 15 significant digits), empty as "".
    QString text() const;

    bool operator==(const CellValue &o) const
    {
        return m_kind == o.m_kind && m_text == o.m_text && m_number == o.m_number;
    }

private:
    Kind m_kind = Kind::Empty;
    QString m_text;
    double m_number = 0;
};

// A rectangle of cell values, row by row.
class Block {
public:
    Block() = default;
    Block(int rows, int columns) : m_rows(rows), m_columns(columns), m_cells(size_t(rows) * size_t(columns)) {}
    int rows() const { return m_rows; }
    int columns() const { return m_columns; }
    // r and c count from 0 within the block.
    CellValue &at(int r, int c) { return m_cells[size_t(r) * size_t(m_columns) + size_t(c)]; }
    const CellValue &at(int r, int c) const { return m_cells[size_t(r) * size_t(m_columns) + size_t(c)]; }

private:
    int m_rows = 0;
    int m_columns = 0;
    std::vector<CellValue> m_cells;
};

// The size of an Excel 97-2003 worksheet.
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;

// Range(Cells(row1, col1), Cells(row2, col2)).
struct Range {
    int row1 = 1, col1 = 1, row2 = 1, col2 = 1;
    static Range cell(int row, int col) { return {row, col, row, col}; }
    static Range of(int row1, int col1, int row2, int col2) { return {row1, col1, row2, col2}; }
    int rows() const { return row2 - row1 + 1; }
    int columns() const { return col2 - col1 + 1; }
    // 1 <= row1 <= row2 <= kMaxRows and 1 <= col1 <= col2 <= kMaxColumns.
    bool valid() const
    {
        return row1 >= 1 && row1 <= row2 && row2 <= kMaxRows && col1 >= 1 && col1 <= col2 && col2 <= kMaxColumns;
    }
};

// The published border indexes of the automation object model.
enum class Border {
    Left = 7,            // left edge of the range
    Top = 8,             // top edge
    Bottom = 9,          // bottom edge
    Right = 10,          // right edge
    InsideVertical = 11, // inner vertical lines
    InsideHorizontal = 12,
};

// Borders(index).Weight: the published values of the automation object model.
enum class LineWeight {
    Hairline = 1,
    Thin = 2, // the default weight
    Medium = -4138,
    Thick = 4,
};

// Interior.Pattern for shaded (hatched) cells. Calc keeps only solid cell
// fills, and a patterned .xls cell is read back as one colour anyway, so a
// pattern is stored as the solid colour it shows from afar: the pattern colour
// laid over white at the pattern's ink coverage (25, 50 or 75 %). The result
// differs from a plain fill of the same colour and survives a store and reload.
enum class Pattern {
    Gray25 = -4124,
    Gray50 = -4125,
    Gray75 = -4126,
};

// The colour a pattern of colour bgrColor over white comes out as.
int PatternFillColor(Pattern pattern, int bgrColor);

// One border line as read back.
struct BorderLine {
    bool drawn = false;
    LineWeight weight = LineWeight::Thin; // meaningful when drawn
    int color = 0;                        // automation colour value
};

constexpr int kLineContinuous = 1;      // LineStyle value of a continuous line
constexpr int kAlignCentre = -4108;     // HorizontalAlignment value: centred
inline const char *const kTextFormat = "@"; // NumberFormatLocal of text cells

// Formatting of one cell as read back (tests of the cell maps, and checks).
struct CellFormat {
    bool textFormat = false;   // number format "@"
    int interiorColor = -1;    // automation colour value; -1: no fill
    bool centred = false;
    double fontSize = 0;       // points
    bool bold = false;
    QString fontName;          // western face
    QString asianFontName;     // face used for Japanese text
    int fontColor = 0;         // automation colour value
};

class Worksheet {
public:
    virtual ~Worksheet() = default;

    // Cells(row, column): read the value; assign a value (text is stored as is).
    virtual Result<CellValue> cell(int row, int col) = 0;
    virtual Status setCell(int row, int col, const CellValue &value) = 0;
    // A formula in the application's English notation, e.g. "=SUM(H4:AL4)".
    virtual Status setFormula(int row, int col, const QString &formula) = 0;
    virtual Result<QString> formula(int row, int col) = 0;

    // The whole rectangle in one call: the outputs and imports never go cell
    // by cell. writeBlock puts block cell (0, 0) at (row, col); its empty
    // cells clear their targets (a caller that must keep what the user typed
    // in some cells splits the block around them). A range outside the sheet
    // fails with OutsideSheet.
    virtual Result<Block> readBlock(const Range &range) = 0;
    // The same, with the number cells of the given block columns (0 is the
    // range's first column) read as the text the cell shows: an item number
    // 123 in a cell formatted "000000" reads "000123". Text fields are read
    // this way; quantities and prices keep their values.
    virtual Result<Block> readBlockShown(const Range &range, const std::vector<int> &shownColumns) = 0;
    virtual Status writeBlock(int row, int col, const Block &block) = 0;
    // The same for a block too large to build whole: rows x columns cells
    // from (row, col), made piece by piece. fill(first, piece) fills piece
    // (its size given) with the cells of block rows first, first + 1, ...;
    // it may run on several threads at once, so it must only read what it
    // shares. The pieces go to the application while the next are made.
    using RowFill = std::function<void(int first, Block &piece)>;
    virtual Status writeRows(int row, int col, int rows, int columns, const RowFill &fill) = 0;
    // The last row holding a value or formula (formatting alone does not
    // count); 0 for an empty sheet. Imports read in blocks up to it.
    virtual Result<int> lastUsedRow() = 0;

    // Cells.NumberFormatLocal = "@": everything written later stays text.
    virtual Status setTextFormatAllCells() = 0;
    virtual Status setTextFormat(const Range &range) = 0;
    // NumberFormat in the English notation of format codes, e.g. "YYYY/MM".
    virtual Status setNumberFormat(const Range &range, const QString &code) = 0;
    // Borders(index).LineStyle = lineStyle (1: continuous, default weight).
    virtual Status setBorder(const Range &range, Border index, int lineStyle = kLineContinuous) = 0;
    // A continuous line of the given weight and colour (Borders(index).Weight, .Color).
    virtual Status setBorderLine(const Range &range, Border index, LineWeight weight, int color) = 0;
    // Interior.Pattern and .PatternColor (see Pattern for how it is stored).
    virtual Status setPattern(const Range &range, Pattern pattern, int color) = 0;
    virtual Status setInteriorColor(const Range &range, int color) = 0;
    virtual Status setCentred(const Range &range) = 0;
    virtual Status setRowHeight(const Range &range, double points) = 0;
    // Rows(...).AutoFit: fits the rows of the range to their contents, also
    // while screen updating is off (which stops the automatic fitting).
    virtual Status autoFitRows(const Range &range) = 0;
    // ColumnWidth in characters of the default font, for the whole column.
    virtual Status setColumnWidth(int col, double characters) = 0;
    // The same width for columns col1 to col2, in one call.
    virtual Status setColumnWidths(int col1, int col2, double characters) = 0;
    virtual Status setFontSize(const Range &range, double points) = 0;
    virtual Status setBold(const Range &range, bool bold) = 0;
    virtual Status setFontColor(const Range &range, int color) = 0;
    // The same formatting on many ranges in one call to the application (a
    // long list of separate calls is what makes a big sheet slow): a pattern
    // over every range; a continuous outline round each range on its own,
    // as if each were framed separately (neighbouring ranges are not joined).
    virtual Status setPatternOnRanges(const std::vector<Range> &ranges, Pattern pattern, int color) = 0;
    virtual Status setOutlineOnRanges(const std::vector<Range> &ranges, LineWeight weight, int color) = 0;
    // Range.Merge: the range becomes one merged cell (books made by tests).
    virtual Status mergeCells(const Range &range) = 0;

    // Reading the formatting back.
    virtual Result<CellFormat> format(int row, int col) = 0;
    // True when the given line is drawn along the whole edge (or all inner lines) of the range.
    virtual Result<bool> hasBorder(const Range &range, Border index) = 0;
    // The line along the edge (the first inner line) of the range.
    virtual Result<BorderLine> borderLine(const Range &range, Border index) = 0;
    virtual Result<double> rowHeight(int row) = 0;       // points
    virtual Result<double> columnWidth(int col) = 0;     // characters, two decimals
};

class Workbook {
public:
    virtual ~Workbook() = default;

    // The canonical path of the workbook's file (empty for a new, unsaved book).
    virtual QString path() const = 0;
    // The format the application read the file in (its filter name, e.g.
    // "MS Excel 97"); empty for a new book.
    virtual Result<QString> fileFormat() = 0;
    // Worksheets(1): all outputs and imports use only the first worksheet.
    virtual Worksheet &firstSheet() = 0;
    // Worksheets(n), n from 1 (1 is the first sheet); OutsideSheet when the
    // book has no such sheet. A long ledger continues on further sheets.
    virtual Result<int> sheetCount() = 0;
    virtual Result<Worksheet *> sheet(int n) = 0;
    // A new empty worksheet named sheetName at position n (from 1); the
    // sheets from n on move one place up.
    virtual Status insertSheet(int n, const QString &sheetName) = 0;

    // Application.ScreenUpdating: off before writing, on when done. While it
    // is off the application does not repaint, does not refit row heights
    // and keeps no undo steps.
    virtual Status setScreenUpdating(bool on) = 0;
    // Application.EnableEvents: off while the system writes.
    virtual Status setEnableEvents(bool on) = 0;
    // Application.Visible and Windows(1).Visible. Without a display (headless
    // application) these succeed and show nothing.
    virtual Status setApplicationVisible(bool visible) = 0;
    virtual Status setWindowVisible(bool visible) = 0;
    // Worksheets(1).Activate.
    virtual Status activateFirstSheet() = 0;

    // For the book generator and tests only: store as Excel 97-2003 (.xls)
    // under a new path (the book then belongs to that path), and close.
    virtual Status storeAsXls(const QString &path) = 0;
    // The same in another of the application's formats, by its filter name
    // ("Calc MS Excel 2007 XML"): tests make books of the wrong kind with it.
    virtual Status storeInFormat(const QString &path, const QString &filterName) = 0;
    virtual Status close() = 0;
};

// The spreadsheet application.
class Spreadsheet {
public:
    virtual ~Spreadsheet() = default;

    // The workbook of the file at path: the already-open workbook when the file
    // is open, otherwise it is opened (invisibly), starting the application
    // when it is not running.
    //
    // With Access::Write the book is meant to be written and handed to the
    // user: a file that cannot be written, or that a spreadsheet application
    // of another session holds open, fails with InUse (unless it is the book
    // already open here).
    enum class Access { Read, Write };
    virtual Result<std::unique_ptr<Workbook>> bind(const QString &path, Access access = Access::Read) = 0;
    // Whether the file is open in this application (false when it is not running).
    virtual bool isOpen(const QString &path) = 0;
    // A new, empty, invisible workbook (book generator, tests).
    virtual Result<std::unique_ptr<Workbook>> createNew() = 0;

    // The one thread on which the program's work with this application runs
    // (work_thread.h); null when the caller's own thread may talk to it.
    virtual WorkThread *workThread() { return nullptr; }
};

} // namespace kpv::excel
