#include "storage/ledger_file.h"

#include "storage/files.h"

#include <QFileInfo>

#include <cmath>
#include <cstring>

namespace kpv {

void LedgerFile::setPath(const QString &path)
{
    if (m_file.isOpen()) m_file.close();
    m_file.setFileName(path);
}

bool LedgerFile::open()
{
    if (m_file.isOpen()) m_file.close();
    m_readOnly = false;
    // Unbuffered: another client may have changed the file since the last
    // read, so nothing is served from a stale buffer.
    if (m_file.open(QIODevice::ReadWrite | QIODevice::Unbuffered)) return true;
    if (!QFileInfo::exists(m_file.fileName())) return false;
    m_readOnly = m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return m_readOnly;
}

int LedgerFile::countRecords(qint64 length)
{
    if (length <= 0) return 0;
    const qint64 whole = length / LedgerRecord::kSize;
    const qint64 rest = length % LedgerRecord::kSize;
    // 926 is even: a remainder of exactly 463 is a tie, rounded to even.
    qint64 n = whole;
    if (2 * rest > LedgerRecord::kSize || (2 * rest == LedgerRecord::kSize && (whole % 2) == 1)) ++n;
    return int(std::min<qint64>(n, INT32_MAX));
}

bool LedgerFile::read(int n, LedgerRecord &record)
{
    if (n < 1 || !m_file.isOpen()) return false;
    const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
    if (!m_file.seek(offset)) return false;
    char buf[LedgerRecord::kSize];
    const qint64 got = m_file.read(buf, LedgerRecord::kSize);
    if (got <= 0) return false;
    record = LedgerRecord::fromBytes(buf, int(got));
    return true;
}

int LedgerFile::readBlock(int first, int count, QByteArray &buffer)
{
    if (first < 1 || count <= 0 || !m_file.isOpen()) return 0;
    const qint64 bytes = qint64(count) * LedgerRecord::kSize;
    if (buffer.size() < bytes) buffer.resize(bytes);
    if (!m_file.seek(qint64(first - 1) * LedgerRecord::kSize)) return 0;
    qint64 got = 0;
    while (got < bytes) {
        const qint64 r = m_file.read(buffer.data() + got, bytes - got);
        if (r <= 0) break;
        got += r;
    }
    const int records = int((got + LedgerRecord::kSize - 1) / LedgerRecord::kSize);
    const qint64 filled = qint64(records) * LedgerRecord::kSize;
    if (filled > got) std::memset(buffer.data() + got, 0, size_t(filled - got));
    return records;
}

bool LedgerFile::write(int n, LedgerRecord &record)
{
    if (n < 1 || !m_file.isOpen() || m_readOnly) return false;
    record.setLineEnd();
    const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
    const qint64 length = m_file.size();
    if (offset > length) {
        // Complete the partial record (or the gap) with NULs first.
        const QByteArray fill(offset - length, '\0');
        if (!m_file.seek(length) || m_file.write(fill) != fill.size()) return false;
    }
    if (!m_file.seek(offset)) return false;
    if (m_file.write(record.data(), LedgerRecord::kSize) != LedgerRecord::kSize) {
        // Never leave a partial record at the end: cut back to where it was.
        if (offset >= length) m_file.resize(std::max(length, offset));
        return false;
    }
    return m_file.flush();
}

LedgerFile::AppendResult LedgerFile::append(LedgerRecord &record, int capacity, int &recordNo)
{
    recordNo = 0;
    if (!m_file.isOpen() && !open()) return AppendResult::Failed;
    if (m_readOnly) return AppendResult::ReadOnly;
    FileLock lock(m_file.fileName());
    if (!lock.locked()) return lock.state() == FileLock::State::Busy ? AppendResult::Busy : AppendResult::Failed;
    // Another client may have replaced the ledger (a registered sort or
    // deletion renames a new file over it) since this handle was opened: a
    // write through the old handle would land in the unlinked file and be lost.
    if (!open()) return AppendResult::Failed;
    if (m_readOnly) return AppendResult::ReadOnly;
    const int n = countRecords(m_file.size()) + 1;
    if (n > capacity) return AppendResult::Full;
    if (!write(n, record)) return AppendResult::Failed;
    recordNo = n;
    return AppendResult::Appended;
}

LedgerFile::RewriteResult LedgerFile::rewrite(int n, LedgerRecord &record, const RewriteCheck &check)
{
    if (!m_file.isOpen() && !open()) return RewriteResult::Failed;
    if (m_readOnly) return RewriteResult::ReadOnly;
    FileLock lock(m_file.fileName());
    if (!lock.locked()) return lock.state() == FileLock::State::Busy ? RewriteResult::Busy : RewriteResult::Failed;
    // Reopened under the lock for the same reason as the append.
    if (!open()) return RewriteResult::Failed;
    if (m_readOnly) return RewriteResult::ReadOnly;
    if (n < 1 || n > countRecords(m_file.size())) return RewriteResult::NoSuchRecord;
    if (check) {
        LedgerRecord now;
        if (!read(n, now)) return RewriteResult::Failed;
        if (!check(now, identity())) return RewriteResult::Refused;
    }
    return write(n, record) ? RewriteResult::Rewritten : RewriteResult::Failed;
}

} // namespace kpv
