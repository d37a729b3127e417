// The ledger file and the temporary ledger of the process-wide data.
#include "storage/dolvb.h"

#include "storage/file_names.h"

#include <QFile>

namespace kpv {

QString Dolvb::ledgerPath() const
{
    return dataFolder + names::ledger();
}

QString Dolvb::tempLedgerPath() const
{
    return dataFolder + names::tempLedger();
}

void Dolvb::tellCapacity()
{
    m_messages.tell(QStringLiteral("データ容量確認"),
                    QStringLiteral("台帳データが 許容量台数") + QString::number(ledgerCapacity - 1) + QStringLiteral("を超えました")
                        + QLatin1Char('\r') + QStringLiteral("　確認してください。"));
}

bool Dolvb::prepareLedger()
{
    if (!dataFolderUsable()) return false;
    if (m_ledger.path() != ledgerPath()) m_ledger.setPath(ledgerPath());
    if (!m_ledger.isOpen() && !m_ledger.open()) return false;
    m_ledgerReadOnly = m_ledger.readOnly();
    return true;
}

bool Dolvb::openLedger()
{
    if (!dataFolderUsable()) return false;
    if (m_ledger.path() != ledgerPath()) m_ledger.setPath(ledgerPath());
    if (!m_ledger.open()) return false;
    m_ledgerReadOnly = m_ledger.readOnly();
    recordCount = m_ledger.countRecords();
    // Counted, not held: a ledger open on this PC keeps other PCs from
    // putting a new ledger in its place. Reads open it again for their
    // series (readRecord) until closeLedger.
    m_ledger.close();
    recordBuffer.setLineEnd();
    if (recordCount >= ledgerCapacity - 1) {
        tellCapacity();
        recordCount = ledgerCapacity - 1;
    }
    return true;
}

void Dolvb::closeLedger()
{
    m_ledger.close();
}

bool Dolvb::readRecord(int n)
{
    if (n < 1 || n > recordCount) return false;
    if (!prepareLedger()) return false;
    return m_ledger.read(n, recordBuffer);
}

void Dolvb::tellLedgerReadOnly()
{
    m_messages.tell(QStringLiteral("登録確認"), ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルは読み取り専用です。")
                                                 + QLatin1Char('\r') + QStringLiteral("　登録・訂正はできません。"));
}

void Dolvb::tellCannotWriteLedger()
{
    m_messages.tell(QStringLiteral("登録確認"), ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。"));
}

void Dolvb::tellJournalProblem(const QString &problem)
{
    m_messages.tell(QStringLiteral("登録確認"), changes::failureText(problem));
}

namespace {
QString ledgerBusyText()
{
    return QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r') + QStringLiteral("　しばらくしてから登録してください。");
}
} // namespace

int Dolvb::appendRecord(const LedgerRecord &rec, changes::Op op)
{
    if (!prepareLedger()) {
        tellCannotWriteLedger();
        return 0;
    }
    LedgerRecord record = rec;
    int written = 0;
    switch (m_ledger.append(record, ledgerCapacity, written, op)) {
    case LedgerFile::AppendResult::Appended:
        recordCount = written;
        return written;
    case LedgerFile::AppendResult::Full:
        tellCapacity();
        return 0;
    case LedgerFile::AppendResult::Busy:
        m_messages.tell(QStringLiteral("登録確認"), ledgerBusyText());
        return 0;
    case LedgerFile::AppendResult::ReadOnly:
        m_ledgerReadOnly = true;
        tellLedgerReadOnly();
        return 0;
    case LedgerFile::AppendResult::JournalFailed:
        tellJournalProblem(m_ledger.journalProblem());
        return 0;
    case LedgerFile::AppendResult::Failed:
        break;
    }
    tellCannotWriteLedger();
    return 0;
}

bool Dolvb::rewriteRecord(int n, const LedgerRecord &rec)
{
    LedgerRecord record = rec;
    return rewrite(n, record) != 0;
}

int Dolvb::writeRecord(int n)
{
    if (n < 1 || n > recordCount) {
        tellCannotWriteLedger();
        return 0;
    }
    return rewrite(n, recordBuffer);
}

Dolvb::Correction Dolvb::rewriteCorrection(int n, const LedgerRecord &rec, const QByteArray &expected, const FileIdentity &readFrom,
                                            QByteArray *now, changes::Op op)
{
    if (now) now->clear();
    if (n < 1) return Correction::Reordered;
    // The item the card was read for: its item number as the card read it.
    const QString item = LedgerRecord::fromBytes(expected.constData(), int(expected.size())).field(0);
    Correction verdict = Correction::Written;
    const auto check = [&](const LedgerRecord &current, const FileIdentity &file) {
        if (now) *now = current.bytes();
        if (file.differsFrom(readFrom) || current.field(0) != item)
            verdict = Correction::Reordered;
        else if (current.bytes() != expected)
            verdict = Correction::Changed;
        return verdict == Correction::Written;
    };
    LedgerRecord record = rec;
    LedgerFile::RewriteResult result = LedgerFile::RewriteResult::Failed;
    if (rewrite(n, record, check, &result, op)) return Correction::Written;
    switch (result) {
    case LedgerFile::RewriteResult::NoSuchRecord: return Correction::Reordered; // the ledger is shorter now
    case LedgerFile::RewriteResult::Refused: return verdict;
    default: return Correction::Failed;
    }
}

int Dolvb::rewrite(int n, LedgerRecord &rec, const LedgerFile::RewriteCheck &check, LedgerFile::RewriteResult *outcome, changes::Op op)
{
    if (n < 1 || !prepareLedger()) {
        tellCannotWriteLedger();
        return 0;
    }
    const LedgerFile::RewriteResult result = m_ledger.rewrite(n, rec, check, op);
    if (outcome) *outcome = result;
    switch (result) {
    case LedgerFile::RewriteResult::Rewritten:
        return n;
    case LedgerFile::RewriteResult::Refused:
        return 0;
    case LedgerFile::RewriteResult::Busy:
        m_messages.tell(QStringLiteral("登録確認"), ledgerBusyText());
        return 0;
    case LedgerFile::RewriteResult::ReadOnly:
        m_ledgerReadOnly = true;
        tellLedgerReadOnly();
        return 0;
    case LedgerFile::RewriteResult::NoSuchRecord:
        // A checked rewrite says so to its caller, who tells the user.
        if (check) return 0;
        break;
    case LedgerFile::RewriteResult::JournalFailed:
        tellJournalProblem(m_ledger.journalProblem());
        return 0;
    case LedgerFile::RewriteResult::Failed:
        break;
    }
    tellCannotWriteLedger();
    return 0;
}

bool Dolvb::openTempLedger()
{
    if (!dataFolderUsable()) return false;
    m_tempLedger.setPath(tempLedgerPath());
    if (!m_tempLedger.open()) return false;
    currentRecordNo = m_tempLedger.countRecords();
    tempRecordBuffer.setLineEnd();
    return true;
}

bool Dolvb::readTempRecord(int n)
{
    if (!m_tempLedger.isOpen()) return false;
    return m_tempLedger.read(n, tempRecordBuffer);
}

bool Dolvb::writeTempRecord(int n)
{
    if (!m_tempLedger.isOpen()) return false;
    return m_tempLedger.write(n, tempRecordBuffer);
}

void Dolvb::deleteTempLedger()
{
    m_tempLedger.close();
    QFile::remove(tempLedgerPath());
}

} // namespace kpv
