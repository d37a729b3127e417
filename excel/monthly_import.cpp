#include "excel/monthly_import.h"

#include "excel/failure.h"
#include "excel/spreadsheet.h"
#include "storage/list_format.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/item_number.h"
#include "storage/ledger_file.h"
#include "excel/import_book.h"
#include "storage/file_lock.h"
#include "storage/shared_io.h"
#include "storage/messages.h"
#include "storage/numbers.h"
#include "storage/text.h"

#include <cstring>
#include <unordered_map>

namespace kpv::workbooks {

using excel::Range;

namespace {

constexpr int kFirstRow = 4;
constexpr int kMonthCol = 2; // B
constexpr int kItemCol = 3;  // C
constexpr int kTotalCol = 7; // G

} // namespace

QString monthTotalText(const QString &cell)
{
    const QString t = cleanText(cell);
    return leadingNumber(t) != 0 ? t : QString();
}

QString dailyBookPath(const QString &dataFolder)
{
    return dataFolder + names::materialsFolder() + QChar('/') + dailyBookName();
}

int monthSlot(const QStringList &monthHeadings, const QString &monthText)
{
    const QString month = trimSpaces(monthText);
    for (int k = 0; k < monthHeadings.size() && k < 12; ++k)
        if (monthHeadings[k].left(7) == month) return k + 1;
    return 0;
}

bool applyMonthTotals(LedgerRecord &rec, int slot, const QString &receipts, const QString &issues)
{
    LedgerRecord next = rec;
    const QString r = monthTotalText(receipts), i = monthTotalText(issues);
    if (r.size() > LedgerRecord::kCellWidth || i.size() > LedgerRecord::kCellWidth) return false;
    if (!next.setCell(1, slot, r) || !next.setCell(2, slot, i)) return false;
    double total[3] = {0, 0, 0};
    for (int line = 1; line <= 2; ++line)
        for (int m = 1; m <= 12; ++m) total[line] += next.cellNumber(line, m);
    const double stock = next.fieldNumber(8) + total[1] - total[2];
    if (stock < 0) return false;
    next.setField(10, numberText(stock));
    for (int line = 1; line <= 2; ++line) {
        next.setCell(line, 13, numberText(total[line]));
        next.setCell(line, 15, ledger::storedRate(total[line], next.cellNumber(line, 14)));
    }
    next.setField(6, numberTextBlank(next.fieldNumber(5) * stock));
    rec = next;
    return true;
}

bool MonthlyImport::transfer(const excel::Block &block)
{
    // The ledger lock is held for the whole transfer: no other client appends
    // or rewrites between reading a record and writing it back.
    FileLock lock(m_d.ledgerPath(), m_lockTimeoutMs);
    if (lock.state() == FileLock::State::Busy) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QChar('\r')
                                                         + QStringLiteral("　しばらくしてから転記してください。"));
        return false;
    }
    const auto cannotWrite = [&] {
        m_d.messages().tell(QStringLiteral("登録確認"), m_d.ledgerPath() + QChar('\r') + QStringLiteral("　台帳ファイルに書き込めません。")
                                                         + QChar('\r') + QStringLiteral("　何も取り込んでいません。"));
        return false;
    };
    LedgerFile file(m_d.ledgerPath());
    QByteArray bytes;
    if (!lock.locked() || !file.open() || file.readOnly() || io::readFile(m_d.ledgerPath(), bytes, true) != io::ReadStatus::Read)
        return cannotWrite();
    file.close();
    // Where each item number stands in the ledger now (the first record of a number).
    std::unordered_map<QString, int> recordOf;
    const int count = int(bytes.size() / LedgerRecord::kSize);
    for (int n = count; n >= 1; --n)
        recordOf[decodeCleanField(bytes.constData() + qsizetype(n - 1) * LedgerRecord::kSize, LedgerRecord::kFieldWidth)] = n;
    const QStringList headings = ledger::monthHeadings(cleanText(m_d.sharedSettings.value(9)));
    bool changed = false;
    auto text = [&](int r, int col) { return block.at(r, col - kMonthCol).text(); };
    auto notImported = [&](int r, const QString &reason) {
        ++m_report.skipped;
        m_report.notImported.push_back({kFirstRow + r, reason});
    };
    for (int r = 0; r < block.rows(); r += 2) {
        const QString item = cleanText(text(r, kItemCol));
        const QString month = trimSpaces(text(r, kMonthCol));
        if (item.isEmpty() && month.isEmpty()) break;
        const int slot = monthSlot(headings, month);
        if (item.isEmpty() || slot == 0) {
            ++m_report.skipped;
            continue;
        }
        if (const auto problem = itemNumberProblem(item)) {
            notImported(r, *problem);
            continue;
        }
        auto found = recordOf.find(item);
        if (found == recordOf.end()) {
            m_report.stoppedAtRow = kFirstRow + r;
            break;
        }
        const QString receipts = text(r, kTotalCol);
        const QString issues = r + 1 < block.rows() ? text(r + 1, kTotalCol) : QString();
        // A total its cell cannot hold is never cut.
        const QString tooLong = monthTotalText(receipts).size() > LedgerRecord::kCellWidth ? monthTotalText(receipts)
                              : monthTotalText(issues).size() > LedgerRecord::kCellWidth  ? monthTotalText(issues)
                                                                                          : QString();
        if (!tooLong.isEmpty()) {
            notImported(r, QStringLiteral("月合計「%1」が7桁を超えています").arg(tooLong));
            continue;
        }
        // The record as the pairs before left it.
        const int n = found->second;
        char *at = bytes.data() + qsizetype(n - 1) * LedgerRecord::kSize;
        LedgerRecord rec = LedgerRecord::fromBytes(at, LedgerRecord::kSize);
        if (!applyMonthTotals(rec, slot, receipts, issues)) {
            notImported(r, QStringLiteral("年度末の在庫数がマイナスになります"));
            continue;
        }
        changed = true;
        rec.setLineEnd();
        std::memcpy(at, rec.data(), LedgerRecord::kSize);
        ++m_report.imported;
    }
    // The changed records are written when every pair has been worked out,
    // as one new ledger that takes the old one's place (a crash leaves the
    // old ledger or the new one, never some records of each).
    if (!changed) return true;
    QString problem;
    const auto result = LedgerFile::replaceWhole(m_d.ledgerPath(), lock,
                                                 [&](int fd) { return io::writeAll(fd, bytes.constData(), bytes.size()); }, "monthly",
                                                 changes::Op::Monthly, {}, &problem);
    // A handle this client holds is on the replaced file.
    m_d.closeLedger();
    if (result == LedgerFile::ReplaceResult::Replaced) return true;
    m_report = {};
    if (result == LedgerFile::ReplaceResult::JournalFailed) {
        m_d.messages().tell(QStringLiteral("登録確認"), changes::failureText(problem) + QChar('\r') + QStringLiteral("　何も取り込んでいません。"));
        return false;
    }
    if (result != LedgerFile::ReplaceResult::InUse) return cannotWrite();
    m_d.messages().tell(QStringLiteral("登録確認"), m_d.ledgerPath() + QChar('\r') + QStringLiteral("　台帳ファイルが他のPCで使用中のため置き換えられません。")
                                                     + QChar('\r') + QStringLiteral("　しばらくしてから転記してください。何も取り込んでいません。"));
    return false;
}

QString monthly_text::countsLine(const MonthlyImportReport &r)
{
    QString line = QStringLiteral("取込 %1 件、対象外 %2 件").arg(r.imported).arg(r.skipped);
    if (r.stoppedAtRow > 0)
        line += QStringLiteral("、%1 行目の在庫品番号が台帳にないため以降は取り込んでいません").arg(r.stoppedAtRow);
    line += QStringLiteral("。");
    const int n = int(r.notImported.size());
    for (int i = 0; i < n && i < kListedRows; ++i)
        line += QChar('\r') + QStringLiteral("　%1 行目：").arg(r.notImported[size_t(i)].row) + r.notImported[size_t(i)].reason
              + QStringLiteral("。取り込んでいません。");
    if (n > kListedRows) line += QChar('\r') + QStringLiteral("　ほか %1 行").arg(n - kListedRows);
    return line;
}

bool MonthlyImport::openForEditing()
{
    excel::Status s;
    {
        BusyGuard busy(m_d.pointer());
        m_progress->step(monthly_text::openingStep());
        auto book = m_office.bind(dailyBookPath(m_d.dataFolder), excel::Spreadsheet::Access::Write);
        if (!book.ok()) {
            s = book.failure();
        } else {
            s = book.value()->setApplicationVisible(true);
            if (s) s = book.value()->activateFirstSheet();
            if (s) s = book.value()->setWindowVisible(true);
        }
    }
    if (!s) excel::ReportExcelFailure(m_d.messages(), s);
    return s.ok();
}

MonthlyImport::Outcome MonthlyImport::run()
{
    m_report = {};
    const QString path = dailyBookPath(m_d.dataFolder);
    excel::Block block;
    {
        BusyGuard busy(m_d.pointer());
        m_progress->step(monthly_text::readingStep());
        import::ImportBook book(m_office, m_d.messages());
        switch (book.open(path)) {
        case import::ImportBook::Opened::Yes:
            break;
        case import::ImportBook::Opened::Refused:
            return Outcome::Refused;
        case import::ImportBook::Opened::Failed:
            return Outcome::Failed;
        }
        excel::Worksheet &sheet = book.sheet();
        auto last = sheet.lastUsedRow();
        if (!last.ok()) {
            book.finish();
            book.report(last.failure());
            return Outcome::Failed;
        }
        if (last.value() >= kFirstRow) {
            // One pair more than used, so a pair cut by the last row reads
            // whole. The month and the item number as their cells show them.
            auto read = sheet.readBlockShown(Range::of(kFirstRow, kMonthCol, std::min(last.value() + 1, excel::kMaxRows), kTotalCol),
                                             {kMonthCol - kMonthCol, kItemCol - kMonthCol});
            if (!read.ok()) {
                book.finish();
                book.report(read.failure());
                return Outcome::Failed;
            }
            block = std::move(read.value());
        }
        const bool anyPair = block.rows() > 0 && !(cleanText(block.at(0, kItemCol - kMonthCol).text()).isEmpty()
                                                   && trimSpaces(block.at(0, 0).text()).isEmpty());
        QString refusal;
        if (!anyPair) refusal = QStringLiteral("4行目から取り込む入出庫（B列の年月、C列の在庫品番号）がありません。");
        // A merged cell hiding a total, or a month or item number of a pair's first row.
        const auto hiding = import::mergeHidingRead(book.merged(), Range::of(kFirstRow, kMonthCol, excel::kMaxRows, kTotalCol),
                                                    [](int row, int col) {
                                                        if (col == kTotalCol) return true;
                                                        return (col == kMonthCol || col == kItemCol) && (row - kFirstRow) % 2 == 0;
                                                    });
        if (refusal.isEmpty() && hiding) refusal = import::mergedReason(*hiding);
        if (!refusal.isEmpty()) {
            book.finish();
            import::tellRefusal(m_d.messages(), path, refusal);
            return Outcome::Refused;
        }
    }
    // 中止 while the book was read: nothing is imported.
    if (m_progress->cancelled()) return Outcome::Failed;
    m_progress->step(monthly_text::transferStep());
    if (!transfer(block)) return Outcome::Failed;
    m_d.messages().tell(monthly_text::doneTitle(), monthly_text::done() + QChar('\r') + monthly_text::countsLine(m_report));
    return Outcome::Completed;
}

} // namespace kpv::workbooks
