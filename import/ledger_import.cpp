#include "import/ledger_import.h"

#include "import/import_book.h"
#include "excel/import_books.h"
#include "import/ledger_book.h"
#include "storage/ledger_lock.h"
#include "storage/dolvb.h"
#include "storage/ledger_file.h"
#include "storage/settings_slots.h"

#include <optional>

namespace kpv::import {

namespace {
constexpr int kStartMonthSlot = slot::shared::kStartMonth;
constexpr int kStartOfUseSlot = slot::shared::kShowStartOfUse;
} // namespace

LedgerImport::Result LedgerImport::run(const QString &folder, const Progress &progress)
{
    m_written = 0;
    Messages &messages = m_d.messages();
    std::optional<LedgerBookContent> content;
    {
        BusyGuard busy(m_d.pointer());
        ImportBook book(m_office, messages);
        if (!book.open(folder + ledgerBookName())) return Result::Failed;
        auto read = readLedgerBook(book.workbook(), m_d.sharedSettings.isOn(kStartOfUseSlot), m_d.ledgerCapacity - 1);
        if (!read.ok()) {
            book.finish();
            book.report(read.failure());
            return Result::Failed;
        }
        content.emplace(std::move(read.value()));
    }
    if (!content->check.ok()) {
        content->check.tell(messages);
        return Result::Refused;
    }

    if (content->startMonth.size() == ledger_book::kStartMonthLength)
        m_d.changeSharedSettings({{kStartMonthSlot, content->startMonth}});
    else
        m_d.sharedSettings.set(kStartMonthSlot, content->startMonth);

    bool wroteAll = false;
    {
        BusyGuard busy(m_d.pointer());
        wroteAll = writeRecords(content->records, progress);
    }
    if (m_written > 0) {
        // The ledger's index (the list of the ledger screen) is rebuilt only
        // once a day: clearing the day of the last rebuild makes the next
        // opening of the ledger screen, here or on another client, rebuild it
        // from the imported records instead of showing the old items.
        m_d.dailyIndexChecked = false;
        m_d.changeSharedSettings({{slot::shared::kLastIndexCheck, QString()}});
    }
    if (!wroteAll) return Result::Failed;
    if (content->overCapacity) {
        messages.tell(QStringLiteral("インポート確認"),
                      QStringLiteral("在庫品インポートデータが許容量件数 ") + QString::number(m_d.ledgerCapacity - 1)
                          + QStringLiteral("を超えました") + QLatin1Char('\r') + QStringLiteral("　確認してください。"));
        return Result::CapacityReached;
    }
    messages.tell(QStringLiteral("登録確認"),
                  QStringLiteral(" 在庫品INPExcel　インポートを。") + QLatin1Char('\r') + QStringLiteral(" 完了しました。"));
    return Result::Completed;
}

bool LedgerImport::writeRecords(const std::vector<LedgerRecord> &records, const Progress &progress)
{
    Messages &messages = m_d.messages();
    const QString title = QStringLiteral("インポート確認");
    LedgerLock lock(m_d.ledgerPath());
    if (!lock.tryLock(m_lockTimeoutMs)) {
        messages.tell(title, QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                 + QStringLiteral("　しばらくしてからインポートしてください。"));
        return false;
    }
    // The process-wide ledger handle is left alone: this file is opened and
    // closed here, under the lock.
    LedgerFile file(m_d.ledgerPath());
    bool ok = file.open();
    if (ok && file.readOnly()) {
        messages.tell(title, m_d.ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルは読み取り専用です。インポートできません。"));
        return false;
    }
    const int total = int(records.size());
    for (int k = 1; ok && k <= total; ++k) {
        LedgerRecord rec = records[size_t(k - 1)];
        ok = file.write(k, rec);
        if (!ok) break;
        m_written = k;
        if (progress && (k % kProgressStep == 0 || k == total)) progress(k, total);
    }
    if (file.isOpen()) {
        m_d.recordCount = std::min(file.countRecords(), m_d.ledgerCapacity - 1);
        file.close();
    }
    if (!ok)
        messages.tell(title, m_d.ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。")
                                 + QLatin1Char('\r') + QStringLiteral("　%1件目まで書き込みました。").arg(m_written));
    return ok;
}

} // namespace kpv::import
