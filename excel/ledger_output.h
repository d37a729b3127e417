#pragma once
// The ledger workbook: the whole ledger or a narrowed list written into a
// copy of the blank template, in the layout of the ledger import book, so
// that a workbook written here can be edited and imported again.
//
// Layout (first worksheet): titles in rows 1 to 3, the start month in O4 and
// the month headings in P4:AA4; each item from row 5 on takes two rows,
// columns C to AD: the receipts row carries the item's fields (C..M), the
// receipts total (N), the twelve months (P..AA), the plan (AB), the rate as a
// percentage (AC, a number shown with one decimal as the list shows it; not
// read back) and the start of use (AD); the issues row
// the same monthly cells of the issues. The item number and the names are
// text cells; a quantity, price or other number field whose text is exactly
// how the number shows in a general cell ("12", "0.5", "-3") is a number
// cell, any other text ("012", "1,200", "12.0") a text cell, so every cell
// reads back as the text stored (books of older outputs, all text, read the
// same). Every cell has the text format, so what a user types in later stays
// as typed. A sheet holds 32,766 items; a longer ledger goes on on further
// sheets "在庫品台帳2", "在庫品台帳3", ... placed right after the first one,
// titles repeated.
//
// Stock warnings: an item whose stock is below its proper stock has its two
// rows shaded (a 50 % grey pattern, stored as its mixed solid colour); an
// item whose stock is 0 gets a heavy dark-red frame round its two rows.
//
// The output file is DataFolder + "M在庫台帳/在庫品台帳yyyy年mm月dd日.xls",
// one per day: a later output of the same day replaces it (a fresh template
// copy) when the user agrees (the book may have been edited for an import);
// "いいえ" writes nothing. A failure of the final write (a full disk, an I/O
// error) is told as such, and the earlier book stays. The office makes the
// titles and the formats; the item rows are written into the stored file
// here (see XlsBook), each cell with the format the office gave a formatted
// cell of its kind (ledger_prototypes.h: checked first; when the office's
// formats are not what this writer expects, the items go through the office
// instead). The book is stored to its file and then opened and shown to the
// user. The ledger is only read.

#include "excel/spreadsheet.h"
#include "excel/work_thread.h"
#include "storage/ledger_record.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kpv {
class Dolvb;
}

namespace kpv::workbooks {

// Rows per sheet and the rows of one sheet's items.
constexpr int kLedgerFirstItemRow = 5;
constexpr int kItemsPerSheet = (excel::kMaxRows - kLedgerFirstItemRow + 1) / 2; // 32,766

// The sheet name of continuation sheet n (n >= 2).
QString continuationSheetName(int n);

// The cells of items [first, first + count) of records in the layout above:
// 2 x count rows, columns C..AD (block column 0 is C).
excel::Block ledgerItemsBlock(const std::vector<LedgerRecord> &records, size_t first, size_t count);
// Rows 1 to 4, columns C..AD: titles, headings, start month and month headings.
excel::Block ledgerTitleBlock(const std::array<QString, 21> &itemLabels, const QString &startMonth,
                              const QDate &today);

// The warning of one item.
enum class StockWarning { None, BelowProper, Zero };
// BelowProper when the stock (field 10) is below the proper stock (field 9);
// Zero when the stock is 0 (written, and not empty), which wins.
StockWarning stockWarning(const LedgerRecord &rec);

class LedgerOutput {
public:
    enum class Outcome { Written, NothingToWrite, Cancelled, Failed };

    // progress (may be null) hears what is being done and how far, and may
    // cancel: the day's book is then the old one (or none), never half of one.
    LedgerOutput(Dolvb &d, excel::Spreadsheet &office, excel::Progress *progress = nullptr)
        : m_d(d), m_office(office), m_progress(progress ? progress : &m_quiet)
    {
    }

    // The output file of a day.
    static QString outputPath(const QString &dataFolder, const QDate &day);

    // recordNos: the narrowed list in its order (entries 0 are skipped);
    // nullptr writes records 1..count of the ledger. Failures are told to the
    // user with the spreadsheet messages; "nothing to write" too. Cancelled:
    // the day's book exists and the user kept it, or the user stopped the
    // output (中止).
    Outcome run(const std::vector<int> *recordNos, const QDate &today = QDate::currentDate());
    // Whether the book is shown to the user at the end (tests and benchmarks
    // leave it hidden and close it).
    void setShowResult(bool show) { m_show = show; }
    // Whether the item rows go into the stored file directly (the default) or
    // through the office, as they do when the stored book cannot be read.
    void setWriteThroughOffice(bool office) { m_throughOffice = office; }
    int itemsWritten() const { return m_written; }
    // The stored-book writer's first step: the office writes the titles and
    // the formatted sample items (ledger_prototypes.h) of `sheets` sheets and
    // stores that book at path.
    excel::Status writePrototypes(const QString &path, size_t sheets, const QDate &today);
    QString lastPath() const { return m_path; }

private:
    // The items of a sheet: how many, their cells, their warnings.
    struct SheetItems {
        int count = 0;
        std::function<void(int row, excel::Block &piece)> fill; // rows from item row 0 on
        std::function<StockWarning(int item)> warning;
    };
    // The book written cell by cell through the office, stored to path.
    excel::Status writeThroughOffice(const std::vector<LedgerRecord> &records, const QDate &today, const QString &path);
    // The book written straight to path: the office stores a small book of
    // the titles, the formats and one formatted item of every kind of cell,
    // and the item rows are put into the stored file with those formats.
    // `rebuilt` false (and success) when the stored book could not be read:
    // the caller then writes through the office.
    excel::Status writeDirect(const std::vector<LedgerRecord> &records, const QDate &today, const QString &path,
                              bool &rebuilt);
    excel::Status writeBook(excel::Workbook &book, size_t sheets, const QDate &today,
                            const std::function<SheetItems(size_t sheet)> &items);
    excel::Status writeSheet(excel::Worksheet &sheet, const SheetItems &items, const excel::Block &titles);

    Dolvb &m_d;
    excel::Spreadsheet &m_office;
    excel::NoProgress m_quiet;
    excel::Progress *m_progress;
    bool m_show = true;
    bool m_throughOffice = false;
    int m_written = 0;
    QString m_path;
};

// The texts of the output.
namespace ledger_output_text {
inline QString noRecordTitle() { return QStringLiteral("登録確認"); }
inline QString noRecord() { return QStringLiteral("出力する在庫品がありません。　"); }
inline QString progressCaption() { return QStringLiteral("Excel出力中"); }
inline QString makingStep() { return QStringLiteral("在庫品台帳Excelの書式を作っています"); }
inline QString writingStep() { return QStringLiteral("在庫品を書き込んでいます"); }
inline QString storingStep() { return QStringLiteral("在庫品台帳Excelを保存しています"); }
inline QString showingStep() { return QStringLiteral("在庫品台帳Excelを表示しています"); }
inline QString replaceQuestion(const QString &path)
{
    return path + QChar('\r') + QStringLiteral("　同じ日の在庫品台帳Excelが既にあります。") + QChar('\r')
         + QStringLiteral("　置き換えますか？（いいえ：出力しません）");
}
} // namespace ledger_output_text

} // namespace kpv::workbooks
