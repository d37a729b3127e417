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

bool Dolvb::openLedger()
{
    if (m_ledger.path() != ledgerPath()) m_ledger.setPath(ledgerPath());
    if (!m_ledger.open()) return false;
    recordCount = m_ledger.countRecords();
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
    if (m_ledger.path() != ledgerPath()) m_ledger.setPath(ledgerPath());
    if (!m_ledger.isOpen() && !m_ledger.open()) return false;
    return m_ledger.read(n, recordBuffer);
}

int Dolvb::writeRecord(int n)
{
    if (m_ledger.path() != ledgerPath()) m_ledger.setPath(ledgerPath());
    const auto cannotWrite = [this] {
        m_messages.tell(QStringLiteral("登録確認"), ledgerPath() + QLatin1Char('\r') + QStringLiteral("　台帳ファイルに書き込めません。"));
        return 0;
    };
    if (n < 1 || n > recordCount + 1) return cannotWrite();
    if (!m_ledger.isOpen() && !m_ledger.open()) return cannotWrite();
    if (n <= recordCount) return m_ledger.write(n, recordBuffer) ? n : cannotWrite();

    int written = 0;
    switch (m_ledger.append(recordBuffer, ledgerCapacity, written)) {
    case LedgerFile::AppendResult::Appended:
        recordCount = written;
        return written;
    case LedgerFile::AppendResult::Full:
        tellCapacity();
        return 0;
    case LedgerFile::AppendResult::Busy:
        m_messages.tell(QStringLiteral("登録確認"), QStringLiteral("台帳ファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                                     + QStringLiteral("　しばらくしてから登録してください。"));
        return 0;
    case LedgerFile::AppendResult::Failed:
        break;
    }
    return cannotWrite();
}

bool Dolvb::openTempLedger()
{
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
