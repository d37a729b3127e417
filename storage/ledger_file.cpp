#include "storage/ledger_file.h"

#include "storage/crash_point.h"
#include "storage/file_lock.h"
#include "storage/shared_io.h"

#include <QFileInfo>

#include <cerrno>
#include <string>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kpv {

void LedgerFile::setPath(const QString &path)
{
    if (m_file.isOpen()) m_file.close();
    m_path = path;
    m_identity = {};
}

bool LedgerFile::open()
{
    if (m_file.isOpen()) m_file.close();
    m_readOnly = false;
    // Unbuffered: another client may have changed the file since the last
    // read, so nothing is served from a stale buffer. An open refused for a
    // moment by a file server is retried before the ledger counts as
    // read-only.
    int fd = io::openForWrite(m_path, O_RDWR | O_CREAT);
    if (fd < 0) {
        const int error = errno;
        if (error != EACCES && error != EROFS && error != EPERM) return false;
        fd = ::open(io::localPath(m_path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        m_readOnly = true;
    }
    const auto mode = m_readOnly ? QIODevice::ReadOnly : QIODevice::ReadWrite;
    (void)io::freshSize(fd); // the count sees what other PCs appended
    m_identity = identityOf(fd);
    if (!m_file.open(fd, mode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        m_readOnly = false;
        return false;
    }
    return true;
}

qint64 LedgerFile::keptTail(int records, qint64 tail)
{
    if (tail <= 0 || tail >= LedgerRecord::kSize) return 0;
    // Bytes beyond the last record stay beyond it only while the count rule
    // does not take them for a record of their own.
    const qint64 length = qint64(records) * LedgerRecord::kSize + tail;
    return countRecords(length) == records ? tail : 0;
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

namespace {
// The ledger opened for one change under its lock (not the reading handle).
struct ChangeHandle {
    int fd = -1;
    explicit ChangeHandle(const QString &path) : fd(io::openForWrite(path, O_RDWR | O_CREAT)) {}
    ~ChangeHandle()
    {
        if (fd >= 0) ::close(fd);
    }
    // The length as the server has it now (another PC may just have appended).
    qint64 size() const { return io::freshSize(fd); }
};
} // namespace

LedgerFile::AppendResult LedgerFile::append(LedgerRecord &record, int capacity, int &recordNo, changes::Op op)
{
    recordNo = 0;
    if (!m_file.isOpen() && !open()) return AppendResult::Failed;
    if (m_readOnly) return AppendResult::ReadOnly;
    // The reading handle is not kept open while another client may replace
    // the ledger; the change uses a handle of its own, opened under the lock
    // (a handle opened before would write into a ledger another client has
    // renamed a new one over meanwhile).
    m_file.close();
    FileLock lock(m_path);
    if (!lock.locked())
        return lock.state() == FileLock::State::Busy       ? AppendResult::Busy
               : lock.state() == FileLock::State::ReadOnly ? AppendResult::ReadOnly
                                                           : AppendResult::Failed;
    crashPoint("append.locked");
    ChangeHandle h(m_path);
    if (h.fd < 0) return (errno == EACCES || errno == EROFS) ? AppendResult::ReadOnly : AppendResult::Failed;
    m_identity = identityOf(h.fd);
    const qint64 length = h.size();
    if (length < 0) return AppendResult::Failed;
    const int n = countRecords(length) + 1;
    if (n > capacity) return AppendResult::Full;
    record.setLineEnd();
    // A counted partial last record is completed with NULs in the same write.
    const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
    const qint64 from = std::min(length, offset);
    QByteArray bytes(offset - from, '\0');
    bytes.append(record.data(), LedgerRecord::kSize);
    // The entry is on the disk before the ledger changes.
    changes::Entry entry(m_path, op);
    switch (entry.beginRecord(n, nullptr, record)) {
    case changes::Entry::Status::Written:
        break;
    case changes::Entry::Status::ReadOnly:
        return AppendResult::ReadOnly;
    case changes::Entry::Status::Failed:
        m_journalProblem = entry.problem();
        return AppendResult::JournalFailed;
    }
    crashPoint("append.journaled");
    if (!lock.stillHeld()) {
        entry.abandon();
        return AppendResult::Busy;
    }
    if (!io::writeAt(h.fd, bytes.constData(), bytes.size(), from)) {
        // Never leave a partial record at the end: cut back to where it was.
        (void)::ftruncate(h.fd, off_t(length));
        entry.abandon();
        return AppendResult::Failed;
    }
    crashPoint("append.written");
    // On the disk before another client may append after it.
    if (!io::syncFile(h.fd)) return AppendResult::Failed;
    crashPoint("append.synced");
    entry.complete();
    recordNo = n;
    return AppendResult::Appended;
}

LedgerFile::RewriteResult LedgerFile::rewrite(int n, LedgerRecord &record, const RewriteCheck &check, changes::Op op)
{
    if (!m_file.isOpen() && !open()) return RewriteResult::Failed;
    if (m_readOnly) return RewriteResult::ReadOnly;
    m_file.close();
    FileLock lock(m_path);
    if (!lock.locked())
        return lock.state() == FileLock::State::Busy       ? RewriteResult::Busy
               : lock.state() == FileLock::State::ReadOnly ? RewriteResult::ReadOnly
                                                           : RewriteResult::Failed;
    crashPoint("rewrite.locked");
    ChangeHandle h(m_path);
    if (h.fd < 0) return (errno == EACCES || errno == EROFS) ? RewriteResult::ReadOnly : RewriteResult::Failed;
    m_identity = identityOf(h.fd);
    const qint64 length = h.size();
    if (length < 0) return RewriteResult::Failed;
    if (n < 1 || n > countRecords(length)) return RewriteResult::NoSuchRecord;
    const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
    // The record as the ledger holds it now, read through this handle: what
    // the check decides on, and what the journal gives as before.
    char now[LedgerRecord::kSize];
    qint64 got = 0;
    while (got < LedgerRecord::kSize) {
        const ssize_t r = ::pread(h.fd, now + got, size_t(LedgerRecord::kSize - got), off_t(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += r;
    }
    if (got <= 0) return RewriteResult::Failed;
    const LedgerRecord before = LedgerRecord::fromBytes(now, int(got));
    if (check && !check(before, m_identity)) return RewriteResult::Refused;
    record.setLineEnd();
    changes::Entry entry(m_path, op);
    switch (entry.beginRecord(n, &before, record)) {
    case changes::Entry::Status::Written:
        break;
    case changes::Entry::Status::ReadOnly:
        return RewriteResult::ReadOnly;
    case changes::Entry::Status::Failed:
        m_journalProblem = entry.problem();
        return RewriteResult::JournalFailed;
    }
    crashPoint("rewrite.journaled");
    if (!lock.stillHeld()) {
        entry.abandon();
        return RewriteResult::Busy;
    }
    // One write of the whole record: the record is the old one or the new one.
    if (!io::writeAt(h.fd, record.data(), LedgerRecord::kSize, offset)) {
        entry.abandon();
        return RewriteResult::Failed;
    }
    crashPoint("rewrite.written");
    if (!io::syncFile(h.fd)) return RewriteResult::Failed;
    entry.complete();
    return RewriteResult::Rewritten;
}

LedgerFile::ReplaceResult LedgerFile::replaceWhole(const QString &path, const FileLock &lock, const std::function<bool(int fd)> &write,
                                                  const char *operation, changes::Op journalOp, const std::function<bool()> &beforeRename,
                                                  QString *problem)
{
    const std::string op(operation);
    const QString beside = io::besideName(path, "new");
    if (!io::writeNewFile(beside, io::identityOf(path), write)) return ReplaceResult::Failed;
    crashPoint((op + ".written").c_str());
    // The entry names the ledger as it was (kept in the history folder) and
    // the items that change; it is on the disk before the new ledger takes
    // the old one's place.
    changes::Entry entry(path, journalOp);
    {
        QByteArray before, after;
        if (io::readFile(path, before, true) == io::ReadStatus::Failed || io::readFile(beside, after) != io::ReadStatus::Read) {
            io::removeFile(beside);
            return ReplaceResult::Failed;
        }
        if (entry.beginWhole(before, after) != changes::Entry::Status::Written) {
            io::removeFile(beside);
            if (problem) *problem = entry.problem();
            return ReplaceResult::JournalFailed;
        }
    }
    crashPoint((op + ".journaled").c_str());
    if ((beforeRename && !beforeRename()) || !lock.stillHeld()) {
        io::removeFile(beside);
        entry.abandon();
        return ReplaceResult::LockLost;
    }
    const io::Outcome o = io::renameOver(beside, path);
    if (o != io::Outcome::Done) {
        io::removeFile(beside);
        entry.abandon();
        return o == io::Outcome::InUse ? ReplaceResult::InUse : ReplaceResult::Failed;
    }
    io::syncFolderOf(path);
    crashPoint((op + ".renamed").c_str());
    entry.complete();
    return ReplaceResult::Replaced;
}

} // namespace kpv
