#include "excel/monthly_import.h"

#include "excel/failure.h"
#include "excel/spreadsheet.h"
#include "ledger/list_format.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/ledger_file.h"
#include "storage/file_lock.h"
#include "storage/messages.h"
#include "storage/numbers.h"
#include "storage/text.h"

#include <unordered_map>

namespace kpv::workbooks {

using excel::Range;

namespace {

constexpr int kFirstRow = 4;
constexpr int kMonthCol = 2; // B
constexpr int kItemCol = 3;  // C
constexpr int kTotalCol = 7; // G

// A total as it goes into its cell: the cleaned text when it reads as a
// non-zero number, else empty.
QString totalText(const QString &cell)
{
    const QString t = cleanText(cell);
    return leadingNumber(t) != 0 ? t.left(LedgerRecord::kCellWidth) : QString();
}

} // namespace

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
    if (!next.setCell(1, slot, totalText(receipts)) || !next.setCell(2, slot, totalText(issues))) return false;
    double total[3] = {0, 0, 0};
    for (int line = 1; line <= 2; ++line)
        for (int m = 1; m <= 12; ++m) total[line] += next.cellNumber(line, m);
    const double stock = next.fieldNumber(8) + total[1] - total[2];
    if (stock < 0) return false;
    next.setField(10, numberText(stock));
    for (int line = 1; line <= 2; ++line) {
        next.setCell(line, 13, numberText(total[line]));
        const double planned = next.cellNumber(line, 14);
        if (total[line] != 0 && planned != 0) {
            QString rate = numberText(floorNumber(1000 * total[line] / planned));
            if (rate.size() > LedgerRecord::kCellWidth) rate = QStringLiteral("9999999"); // the widest that fits
            next.setCell(line, 15, rate);
        }
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
    if (!lock.locked()) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QChar('\r')
                                                         + QStringLiteral("　しばらくしてから転記してください。"));
        return false;
    }
    LedgerFile file(m_d.ledgerPath());
    QByteArray bytes;
    if (!file.open() || file.readOnly() || !readWholeFile(m_d.ledgerPath(), bytes)) {
        m_d.messages().tell(QStringLiteral("登録確認"), m_d.ledgerPath() + QChar('\r') + QStringLiteral("　台帳ファイルに書き込めません。"));
        return false;
    }
    // Where each item number stands in the ledger now (the first record of a number).
    std::unordered_map<QString, int> recordOf;
    const int count = std::min<int>(file.countRecords(), int(bytes.size() / LedgerRecord::kSize));
    for (int n = count; n >= 1; --n)
        recordOf[decodeCleanField(bytes.constData() + qsizetype(n - 1) * LedgerRecord::kSize, LedgerRecord::kFieldWidth)] = n;
    const QStringList headings = ledger::monthHeadings(cleanText(m_d.sharedSettings.value(9)));
    auto text = [&](int r, int col) { return block.at(r, col - kMonthCol).text(); };
    for (int r = 0; r < block.rows(); r += 2) {
        const QString item = cleanText(text(r, kItemCol));
        const QString month = trimSpaces(text(r, kMonthCol));
        if (item.isEmpty() && month.isEmpty()) break;
        const int slot = monthSlot(headings, month);
        if (item.isEmpty() || slot == 0) {
            ++m_report.skipped;
            continue;
        }
        auto found = recordOf.find(item);
        if (found == recordOf.end()) {
            m_report.stoppedAtRow = kFirstRow + r;
            break;
        }
        LedgerRecord rec; // read again: an earlier pair may have changed it
        if (!file.read(found->second, rec)) break;
        const QString issues = r + 1 < block.rows() ? text(r + 1, kTotalCol) : QString();
        if (!applyMonthTotals(rec, slot, text(r, kTotalCol), issues)) {
            ++m_report.skipped;
            continue;
        }
        if (!file.write(found->second, rec)) {
            m_d.messages().tell(QStringLiteral("登録確認"), m_d.ledgerPath() + QChar('\r') + QStringLiteral("　台帳ファイルに書き込めません。"));
            return false;
        }
        ++m_report.imported;
    }
    file.close();
    m_d.openLedger();
    return true;
}

QString monthly_text::countsLine(const MonthlyImportReport &r)
{
    QString line = QStringLiteral("取込 %1 件、対象外 %2 件").arg(r.imported).arg(r.skipped);
    if (r.stoppedAtRow > 0)
        line += QStringLiteral("、%1 行目の在庫品番号が台帳にないため以降は取り込んでいません").arg(r.stoppedAtRow);
    return line + QStringLiteral("。");
}

bool MonthlyImport::openForEditing()
{
    excel::Status s;
    {
        BusyGuard busy(m_d.pointer());
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
    excel::Status failure;
    {
        BusyGuard busy(m_d.pointer());
        if (m_notice.show) m_notice.show(monthly_text::importCaption());
        struct Hide {
            const Notice &n;
            ~Hide()
            {
                if (n.show) n.show(monthly_text::outputCaption());
                if (n.hide) n.hide();
            }
        } hide{m_notice};

        auto book = m_office.bind(dailyBookPath(m_d.dataFolder), excel::Spreadsheet::Access::Read);
        if (!book.ok()) {
            failure = book.failure();
        } else {
            excel::Workbook &wb = *book.value();
            wb.setScreenUpdating(false);
            excel::Worksheet &sheet = wb.firstSheet();
            auto last = sheet.lastUsedRow();
            excel::Block block;
            if (!last.ok()) {
                failure = last.failure();
            } else if (last.value() >= kFirstRow) {
                // One pair more than used, so a pair cut by the last row reads whole.
                auto read = sheet.readBlock(Range::of(kFirstRow, kMonthCol, std::min(last.value() + 1, excel::kMaxRows), kTotalCol));
                if (read.ok()) block = std::move(read.value());
                else failure = read.failure();
            }
            wb.setScreenUpdating(true);
            wb.setApplicationVisible(false);
            wb.activateFirstSheet();
            wb.setWindowVisible(false);
            book.value().reset();

            if (failure.ok() && !transfer(block)) return Outcome::Failed;
        }
    }
    if (!failure.ok()) {
        excel::ReportExcelFailure(m_d.messages(), failure);
        return Outcome::Failed;
    }
    m_d.messages().tell(monthly_text::doneTitle(), monthly_text::done() + QChar('\r') + monthly_text::countsLine(m_report));
    return Outcome::Completed;
}

} // namespace kpv::workbooks
