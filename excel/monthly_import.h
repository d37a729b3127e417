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
// Each pair re-reads its item's record and recomputes it: totals, stock
// (previous-year stock + receipts - issues), rates where both the total and
// the plan are non-zero, and the stock value. A pair whose year-end stock
// would be negative leaves the record as it was. Only the year end is
// tested: a month may run below zero, as the import rules have it.

#include "storage/ledger_record.h"

#include <QString>
#include <QStringList>

#include <functional>

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

// Puts one month's totals into rec and recomputes it. False, and rec
// unchanged, when the year-end stock would be negative or a total cannot be
// stored.
bool applyMonthTotals(LedgerRecord &rec, int slot, const QString &receipts, const QString &issues);

struct MonthlyImportReport {
    int imported = 0;      // pairs written
    int skipped = 0;       // pairs skipped (no month slot, no item number, negative year end)
    int stoppedAtRow = 0;  // row of the unknown item that ended the reading; 0 when read to the end
};

class MonthlyImport {
public:
    enum class Outcome { Completed, Failed };
    // The progress notice: its caption while the import runs; hide at the end.
    struct Notice {
        std::function<void(const QString &caption)> show;
        std::function<void()> hide;
    };

    MonthlyImport(Dolvb &d, excel::Spreadsheet &office, Notice notice = {})
        : m_d(d), m_office(office), m_notice(std::move(notice))
    {
    }

    // The import. On completion the user gets the completion message with a
    // line that counts the pairs; a book that cannot be read is told with the
    // spreadsheet failure message (records already written stay written).
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
    Notice m_notice;
    MonthlyImportReport m_report;
    int m_lockTimeoutMs = 10000;
};

namespace monthly_text {
inline QString importCaption() { return QStringLiteral("入出庫取込中"); }
inline QString outputCaption() { return QStringLiteral("Excel出力中"); }
inline QString doneTitle() { return QStringLiteral("確認"); }
inline QString done() { return QStringLiteral("　　月毎在庫入出庫数量のインポートを完了しました。　　　　"); }
// The line added to the completion message.
QString countsLine(const MonthlyImportReport &r);
} // namespace monthly_text

} // namespace kpv::workbooks
