#include "import/ledger_import.h"

#include "excel/import_book.h"
#include "excel/import_books.h"
#include "import/ledger_book.h"
#include "storage/change_journal.h"
#include "storage/crash_point.h"
#include "storage/dolvb.h"
#include "storage/ledger_file.h"
#include "storage/settings_slots.h"
#include "storage/shared_change.h"
#include "storage/shared_io.h"

#include <optional>

namespace kpv::import {

namespace {
constexpr int kStartMonthSlot = slot::shared::kStartMonth;
constexpr int kStartOfUseSlot = slot::shared::kShowStartOfUse;
constexpr int kIndexCheckSlot = slot::shared::kLastIndexCheck;
const QString kTitle = QStringLiteral("インポート確認");
} // namespace

QString LedgerImport::completionText(int written, int keptTo)
{
    QString text = QStringLiteral(" 在庫品INPExcel　インポートを。") + QLatin1Char('\r') + QStringLiteral(" 完了しました。")
                 + QLatin1Char('\r') + QStringLiteral("　%1件を台帳の1～%1番目に書き込みました。").arg(written);
    if (keptTo > written)
        text += QLatin1Char('\r')
              + QStringLiteral("　台帳の%1～%2番目（%3件）は元のまま残っています。").arg(written + 1).arg(keptTo).arg(keptTo - written);
    return text;
}

LedgerImport::Result LedgerImport::run(const QString &folder, const Progress &progress)
{
    m_written = 0;
    m_keptTo = 0;
    Messages &messages = m_d.messages();
    const QString path = folder + ledgerBookName();
    std::optional<LedgerBookContent> content;
    {
        BusyGuard busy(m_d.pointer());
        ImportBook book(m_office, messages);
        switch (book.open(path)) {
        case ImportBook::Opened::Yes:
            break;
        case ImportBook::Opened::Refused:
            return Result::Refused;
        case ImportBook::Opened::Failed:
            return Result::Failed;
        }
        auto read = readLedgerBook(book.workbook(), m_d.sharedSettings.isOn(kStartOfUseSlot), m_d.ledgerCapacity - 1,
                                   book.merged());
        if (!read.ok()) {
            book.finish();
            book.report(read.failure());
            return Result::Failed;
        }
        content.emplace(std::move(read.value()));
    }
    if (!content->refusal.isEmpty()) {
        tellRefusal(messages, path, content->refusal);
        return Result::Refused;
    }
    if (!content->check.ok()) {
        content->check.tell(messages);
        return Result::Refused;
    }
    if (content->overCapacity) {
        messages.tell(kTitle, QStringLiteral("在庫品インポートデータが許容量件数 ") + QString::number(m_d.ledgerCapacity - 1)
                                  + QStringLiteral("を超えました") + QLatin1Char('\r') + QStringLiteral("　確認してください。")
                                  + QLatin1Char('\r') + QStringLiteral("　何も取り込んでいません。"));
        return Result::CapacityReached;
    }

    bool replaced = false;
    {
        BusyGuard busy(m_d.pointer());
        replaced = replaceLedger(content->records, content->startMonth, progress);
    }
    if (!replaced) return Result::Failed;
    messages.tell(QStringLiteral("登録確認"), completionText(m_written, m_keptTo));
    return Result::Completed;
}

bool LedgerImport::replaceLedger(const std::vector<LedgerRecord> &records, const QString &startMonth,
                                 const Progress &progress)
{
    Messages &messages = m_d.messages();
    const QString ledgerPath = m_d.ledgerPath();
    const QString nothing = QStringLiteral("　何も取り込んでいません。");
    const auto cannotWrite = [&] {
        messages.tell(kTitle, ledgerPath + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。") + QLatin1Char('\r') + nothing);
        return false;
    };
    const auto readOnly = [&] {
        messages.tell(kTitle, ledgerPath + QLatin1Char('\r') + QStringLiteral("　台帳ファイルは読み取り専用です。インポートできません。")
                                  + QLatin1Char('\r') + nothing);
        return false;
    };

    // The locks of the ledger (every client's appends and rewrites take it)
    // and of SharedSettings, held until both files are in place.
    SharedChange change("import");
    switch (change.lock({ledgerPath, m_d.sharedSettingsPath()}, m_lockTimeoutMs)) {
    case FileLock::State::Locked:
        break;
    case FileLock::State::Busy:
        if (change.busyPath() == ledgerPath)
            messages.tell(kTitle, QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                      + QStringLiteral("　しばらくしてからインポートしてください。") + QLatin1Char('\r') + nothing);
        else
            messages.tell(kTitle, change.busyPath() + QLatin1Char('\r') + QStringLiteral("　設定ファイルを他のクライアントが使用中です。")
                                      + QLatin1Char('\r') + QStringLiteral("　しばらくしてからインポートしてください。") + QLatin1Char('\r')
                                      + nothing);
        return false;
    case FileLock::State::ReadOnly:
        return readOnly();
    default:
        return cannotWrite();
    }
    {
        LedgerFile file(ledgerPath);
        if (!file.open()) return cannotWrite();
        if (file.readOnly()) return readOnly();
    }
    // The ledger as it is now (none yet is an empty one).
    QByteArray old;
    if (change.read(ledgerPath, old) == io::ReadStatus::Failed) return cannotWrite();

    // The new ledger: the items as records 1..n, then whatever the ledger
    // holds beyond them, byte for byte.
    const int total = int(records.size());
    const qint64 head = qint64(total) * LedgerRecord::kSize;
    QByteArray next;
    next.reserve(std::max<qint64>(head, old.size()));
    for (int k = 1; k <= total; ++k) {
        LedgerRecord rec = records[size_t(k - 1)];
        rec.setLineEnd();
        next.append(rec.data(), LedgerRecord::kSize);
        if (progress && (k % kProgressStep == 0 || k == total)) progress(k, total);
        if (k == total / 2) crashPoint("import.half");
    }
    if (old.size() > head) next.append(old.constData() + head, old.size() - head);
    const int oldCount = LedgerFile::countRecords(old.size());

    std::map<int, QString> settings{{kIndexCheckSlot, QString()}};
    const bool storeMonth = startMonth.size() == ledger_book::kStartMonthLength;
    // The entry of the change journal (and the copy of the ledger as it
    // was) is on the disk before either file changes. Its months are named
    // by the start month the values were entered under.
    changes::Entry entry(ledgerPath, changes::Op::Import);
    switch (entry.beginWhole(old, next)) {
    case changes::Entry::Status::Written:
        break;
    case changes::Entry::Status::ReadOnly:
        return readOnly();
    case changes::Entry::Status::Failed:
        messages.tell(kTitle, changes::failureText(entry.problem()) + QLatin1Char('\r') + nothing);
        return false;
    }
    old.clear();
    change.put(ledgerPath, std::move(next));

    if (storeMonth) settings[kStartMonthSlot] = startMonth;
    QString problem;
    if (!m_d.putSharedSettings(change, settings, &problem)) {
        entry.abandon();
        messages.tell(kTitle, m_d.sharedSettingsPath() + QLatin1Char('\r')
                                  + (problem.isEmpty() ? QStringLiteral("　設定ファイルに書き込めません。") : QStringLiteral("　") + problem)
                                  + QLatin1Char('\r') + nothing);
        return false;
    }

    const SharedChange::Result committed = change.commit();
    if (committed == SharedChange::Result::Committed) entry.complete();
    else entry.abandon();
    switch (committed) {
    case SharedChange::Result::Committed:
        break;
    case SharedChange::Result::InUse:
        messages.tell(kTitle, ledgerPath + QLatin1Char('\r') + QStringLiteral("　台帳ファイルが他のPCで使用中のため置き換えられません。")
                                  + QLatin1Char('\r') + QStringLiteral("　しばらくしてからインポートしてください。") + QLatin1Char('\r')
                                  + nothing);
        return false;
    case SharedChange::Result::LockLost:
    case SharedChange::Result::Failed:
        return cannotWrite();
    }
    m_d.sharedSettingsChanged(settings);
    // An O4 shorter than a month is held in memory only.
    if (!storeMonth) m_d.sharedSettings.set(kStartMonthSlot, startMonth);
    // The list of the ledger screen is rebuilt from the new records.
    m_d.dailyIndexChecked = false;
    // A handle this client holds is on the replaced file.
    m_d.closeLedger();
    m_written = total;
    m_keptTo = oldCount > total ? oldCount : 0;
    m_d.recordCount = std::min(std::max(oldCount, total), m_d.ledgerCapacity - 1);
    return true;
}

} // namespace kpv::import
