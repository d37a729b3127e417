#include "import/ledger_import.h"

#include "excel/import_book.h"
#include "excel/import_books.h"
#include "import/ledger_book.h"
#include "storage/ledger_lock.h"
#include "storage/dolvb.h"
#include "storage/files.h"
#include "storage/ledger_file.h"
#include "storage/settings_slots.h"
#include "storage/settings_store.h"

#include <QSaveFile>

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
    const auto cannotWrite = [&] {
        messages.tell(kTitle, ledgerPath + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。")
                                  + QLatin1Char('\r') + QStringLiteral("　何も取り込んでいません。"));
        return false;
    };

    // The lock every client's appends and rewrites take, held until the new
    // ledger is in place.
    LedgerLock lock(ledgerPath);
    if (!lock.tryLock(m_lockTimeoutMs)) {
        messages.tell(kTitle, QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                  + QStringLiteral("　しばらくしてからインポートしてください。") + QLatin1Char('\r')
                                  + QStringLiteral("　何も取り込んでいません。"));
        return false;
    }
    {
        LedgerFile file(ledgerPath);
        if (!file.open()) return cannotWrite();
        if (file.readOnly()) {
            messages.tell(kTitle, ledgerPath + QLatin1Char('\r') + QStringLiteral("　台帳ファイルは読み取り専用です。インポートできません。")
                                      + QLatin1Char('\r') + QStringLiteral("　何も取り込んでいません。"));
            return false;
        }
    }
    QByteArray old;
    if (!readWholeFile(ledgerPath, old)) return cannotWrite();

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
    }
    if (old.size() > head) next.append(old.constData() + head, old.size() - head);
    const int oldCount = LedgerFile::countRecords(old.size());
    old.clear();

    QSaveFile out(ledgerPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(next) != next.size() || !out.flush()) {
        qWarning("ledger import: %s", qPrintable(out.errorString()));
        out.cancelWriting();
        return cannotWrite();
    }

    // The two slots, as the file holds them now, for the way back.
    SettingsSlots before;
    readSettingsFile(m_d.sharedSettingsPath(), before);
    std::map<int, QString> changes{{kIndexCheckSlot, QString()}};
    const bool storeMonth = startMonth.size() == ledger_book::kStartMonthLength;
    if (storeMonth) changes[kStartMonthSlot] = startMonth;
    if (!m_d.changeSharedSettings(changes)) {
        out.cancelWriting();
        return false; // told by the settings change
    }
    if (!out.commit()) {
        qWarning("ledger import: %s", qPrintable(out.errorString()));
        std::map<int, QString> back{{kIndexCheckSlot, before.value(kIndexCheckSlot)}};
        if (storeMonth) back[kStartMonthSlot] = before.value(kStartMonthSlot);
        m_d.changeSharedSettings(back);
        return cannotWrite();
    }
    // An O4 shorter than a month is held in memory only.
    if (!storeMonth) m_d.sharedSettings.set(kStartMonthSlot, startMonth);
    // The list of the ledger screen is rebuilt from the new records.
    m_d.dailyIndexChecked = false;
    // The handle this client holds is on the replaced file.
    m_d.closeLedger();
    m_written = total;
    m_keptTo = oldCount > total ? oldCount : 0;
    m_d.recordCount = std::min(std::max(oldCount, total), m_d.ledgerCapacity - 1);
    return true;
}

} // namespace kpv::import
