#pragma once
// The monthly receipts and issues import: the month totals of the shared
// daily book "M在庫資料/Mb入出庫月報.xls" go into the receipts and issues
// cells of the matching month of each item's ledger record.
//
// The daily book's first sheet, read in one block: pairs of rows from row 4
// (r = 4, 6, ...), the month "yyyy/mm" in B(r), the item number in C(r), the
// receipts total in G(r) and the issues total in G(r + 1). The list ends at
// the first pair whose B and C are both empty. The month slot is the one of
// the twelve month headings whose first seven characters equal the trimmed
// month text; a pair with no slot or no item number is skipped. An item the
// ledger does not hold ends the reading there. A total that reads as 0 (or
// not as a number) clears its cell.
//
// Only an Excel 97-2003 workbook is read (see import::ImportBook); a broken
// one, or one with no pair at all, is refused with a message naming it. The
// item number and the month are read as their cells show them. An item number
// the item-number rule refuses, or a month total longer than its 7-character
// cell, skips its pair (nothing is ever cut); such rows are named in the
// completion message.
//
// Each pair re-reads its item's record and recomputes it: totals, stock
// (previous-year stock + receipts - issues), rates where both the total and
// the plan are non-zero, and the stock value. A pair whose year-end stock
// would be negative leaves the record as it was. Only the year end is
// tested: a month may run below zero, as the import rules have it.
//
// All pairs are worked out on the ledger as it is under its lock; the
// changed ledger then replaces the old one whole (the old ledger or the
// new one, never a mix), or nothing is imported.

#include "excel/work_thread.h"
#include "storage/ledger_record.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace kpv {
class Dolvb;
}
namespace kpv::excel {
class Block;
class Spreadsheet;
}

namespace kpv::workbooks {

// The daily book, relative to the data folder.
QString dailyBookPath(const QString &dataFolder);
inline QString dailyBookName() { return QStringLiteral("Mb入出庫月報.xls"); }

// The slot (1..12) whose heading begins with the month text; 0 for none.
int monthSlot(const QStringList &monthHeadings, const QString &monthText);

// A month total as it goes into its cell: the cleaned text when it reads as
// a non-zero number, else empty (the cell is cleared).
QString monthTotalText(const QString &cell);

// Puts one month's totals into rec and recomputes it. False, and rec
// unchanged, when the year-end stock would be negative or a total cannot be
// stored (longer than its cell).
bool applyMonthTotals(LedgerRecord &rec, int slot, const QString &receipts, const QString &issues);

struct MonthlyImportReport {
    int imported = 0;      // pairs written
    int skipped = 0;       // pairs skipped (no month slot, no item number, a refused item number,
                           // a total too long, negative year end)
    int stoppedAtRow = 0;  // row of the unknown item that ended the reading; 0 when read to the end
    struct Row {
        int row = 0;
        QString reason;
    };
    std::vector<Row> notImported; // the pairs skipped for what they hold, by their first row
};

class MonthlyImport {
public:
    enum class Outcome { Completed, Refused, Failed };

    // progress (may be null) hears what is being done and how far, and may
    // cancel while the daily book is read: then nothing is imported.
    MonthlyImport(Dolvb &d, excel::Spreadsheet &office, excel::Progress *progress = nullptr)
        : m_d(d), m_office(office), m_progress(progress ? progress : &m_quiet)
    {
    }

    // The import. On completion the user gets the completion message with a
    // line that counts the pairs and the rows not imported; a book refused
    // (Refused) or that cannot be read (Failed) is told and changes nothing.
    Outcome run();
    const MonthlyImportReport &report() const { return m_report; }

    // Opens the daily book for the user to edit. False when it could not be
    // opened (the user was told).
    bool openForEditing();
    // How long to wait for another client's ledger lock (default 10 s).
    void setLockTimeout(int ms) { m_lockTimeoutMs = ms; }

private:
    // Writes the pairs of the block (B..G from row 4) into the ledger.
    // False when the ledger could not be written (the user was told).
    bool transfer(const excel::Block &block);

    Dolvb &m_d;
    excel::Spreadsheet &m_office;
    excel::NoProgress m_quiet;
    excel::Progress *m_progress;
    MonthlyImportReport m_report;
    int m_lockTimeoutMs = 10000;
};

namespace monthly_text {
inline QString importCaption() { return QStringLiteral("入出庫取込中"); }
inline QString outputCaption() { return QStringLiteral("Excel出力中"); }
inline QString readingStep() { return QStringLiteral("日毎入出庫Excelを読み込んでいます"); }
inline QString transferStep() { return QStringLiteral("台帳に転記しています"); }
inline QString openingStep() { return QStringLiteral("日毎入出庫Excelを開いています"); }
inline QString doneTitle() { return QStringLiteral("確認"); }
inline QString done() { return QStringLiteral("　　月毎在庫入出庫数量のインポートを完了しました。　　　　"); }
// The lines added to the completion message: the counts, then the rows not
// imported with their reasons (at most kListedRows of them).
QString countsLine(const MonthlyImportReport &r);
constexpr int kListedRows = 10;
} // namespace monthly_text

} // namespace kpv::workbooks
