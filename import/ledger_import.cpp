#include "import/ledger_import.h"

#include "import/import_book.h"
#include "import/import_books.h"
#include "import/ledger_book.h"
#include "storage/dolvb.h"
#include "storage/crash_point.h"
#include "storage/file_lock.h"
#include "storage/ledger_file.h"
#include "storage/shared_io.h"
#include "storage/settings_slots.h"

#include <cstring>
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
    const QString path = m_d.ledgerPath();
    // The ledger's lock, held (and kept fresh) for the whole import, so no
    // other client appends or registers in between.
    FileLock lock(path, m_lockTimeoutMs);
    if (!lock.locked()) {
        if (lock.state() == FileLock::State::ReadOnly) {
            messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　台帳ファイルは読み取り専用です。インポートできません。"));
        } else {
            messages.tell(title, QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                     + QStringLiteral("　しばらくしてからインポートしてください。"));
        }
        return false;
    }
    crashPoint("import.locked");
    // The ledger as it is now: records beyond the imported items stay.
    QByteArray image;
    const io::ReadStatus read = io::readFile(path, image, true);
    if (read == io::ReadStatus::Failed) {
        messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　台帳ファイルを読み込めません。"));
        return false;
    }
    const int total = int(records.size());
    const qint64 needed = qint64(total) * LedgerRecord::kSize;
    if (image.size() < needed) image.resize(needed); // the old bytes there are all overwritten
    for (int k = 1; k <= total; ++k) {
        LedgerRecord rec = records[size_t(k - 1)];
        rec.setLineEnd();
        std::memcpy(image.data() + qsizetype(k - 1) * LedgerRecord::kSize, rec.data(), LedgerRecord::kSize);
        if (progress && (k % kProgressStep == 0 || k == total)) progress(k, total);
        if (k == total / 2) crashPoint("import.half");
    }
    // The new ledger takes the old one's place in one step: a crash, a full
    // disk or another PC holding the ledger open leaves the old ledger whole.
    const auto result = LedgerFile::replaceWhole(path, lock, [&](int fd) { return io::writeAll(fd, image.constData(), image.size()); },
                                                 "import");
    if (result == LedgerFile::ReplaceResult::Replaced) {
        m_written = total;
        m_d.recordCount = std::min(LedgerFile::countRecords(image.size()), m_d.ledgerCapacity - 1);
        return true;
    }
    if (result == LedgerFile::ReplaceResult::InUse)
        messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　台帳ファイルが他のPCで使用中のため置き換えられません。") + QLatin1Char('\r')
                                 + QStringLiteral("　台帳は変更していません。しばらくしてからインポートしてください。"));
    else
        messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。") + QLatin1Char('\r')
                                 + QStringLiteral("　台帳は変更していません。"));
    return false;
}

} // namespace kpv::import
