#include "search/ledger_rewrite.h"

#include "search/ledger_reader.h"
#include "storage/crash_point.h"
#include "storage/file_lock.h"
#include "storage/ledger_file.h"
#include "storage/ledger_record.h"

#include <QFile>

#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#endif

namespace kpv::search {

namespace {
constexpr qsizetype kSize = LedgerRecord::kSize;
} // namespace

// Four independent multiply-and-rotate lanes over 64-bit words: a few
// milliseconds for a full ledger, and any change of a byte changes it with
// near certainty (the changes to catch are ordinary writes, not attacks).
namespace {
constexpr uint64_t k1 = 0x9E3779B97F4A7C15ull, k2 = 0xC2B2AE3D27D4EB4Full;
inline uint64_t mix(uint64_t h, uint64_t w)
{
    h ^= w * k2;
    h = (h << 31) | (h >> 33);
    return h * k1;
}
inline void mixBlocks(uint64_t lane[4], const char *p, size_t blocks)
{
    for (size_t b = 0; b < blocks; ++b, p += 32) {
        uint64_t w[4];
        std::memcpy(w, p, 32);
        for (int l = 0; l < 4; ++l) lane[l] = mix(lane[l], w[l]);
    }
}
} // namespace

void StampBuilder::add(const char *p, size_t n)
{
    m_total += n;
    if (m_pendingBytes > 0 && n > 0) {
        const size_t take = std::min(n, 32 - m_pendingBytes);
        std::memcpy(m_pending + m_pendingBytes, p, take);
        m_pendingBytes += take;
        p += take;
        n -= take;
        if (m_pendingBytes < 32) return;
        mixBlocks(m_lane, m_pending, 1);
        m_pendingBytes = 0;
    }
    mixBlocks(m_lane, p, n / 32);
    m_pendingBytes = n % 32;
    if (m_pendingBytes > 0) std::memcpy(m_pending, p + n / 32 * 32, m_pendingBytes);
}

LedgerStamp StampBuilder::finish() const
{
    uint64_t lane[4] = {m_lane[0], m_lane[1], m_lane[2], m_lane[3]};
    uint64_t rest = 0;
    int shift = 0;
    for (size_t i = 0; i < m_pendingBytes; ++i, shift = (shift + 8) % 64) {
        rest ^= uint64_t(uchar(m_pending[i])) << shift;
        if (shift == 56) lane[0] = mix(lane[0], rest), rest = 0;
    }
    uint64_t h = mix(mix(mix(mix(uint64_t(m_total), lane[0]), lane[1]), lane[2]), lane[3]);
    h = mix(h, rest);
    h ^= h >> 29;
    return LedgerStamp{qint64(m_total), size_t(h)};
}

LedgerStamp LedgerStamp::of(const char *p, size_t n)
{
    StampBuilder b;
    b.add(p, n);
    return b.finish();
}

size_t gatherRecords(const char *ledger, size_t size, int records, const int *order, size_t count, char *to)
{
    size_t copied = 0;
    for (size_t i = 0; i < count; ++i) {
        const int n = order[i];
        if (n < 1 || n > records) continue;
        const size_t at = size_t(n - 1) * kSize;
        // A record counted but not wholly in the file reads NUL-filled.
        const size_t have = at < size ? std::min<size_t>(kSize, size - at) : 0;
        std::memcpy(to, ledger + at, have);
        std::memset(to + have, 0, kSize - have);
        to[LedgerRecord::kLineEndOffset] = '\r';
        to[LedgerRecord::kLineEndOffset + 1] = '\n';
        to += kSize;
        ++copied;
    }
    return copied;
}

// The bytes after the records the order refers to that the new ledger keeps:
// whole records (beyond the capacity) all, a partial one as the count rule
// allows after the records written.
size_t keptTail(size_t size, int records, int written)
{
    const size_t whole = size_t(records) * kSize;
    if (size <= whole) return 0;
    const size_t extra = size - whole;
    const size_t extraWhole = extra / kSize * kSize;
    return extraWhole + size_t(LedgerFile::keptTail(written + int(extra / kSize), qint64(extra % kSize)));
}

#ifndef Q_OS_WIN
namespace {
// Writes every byte the pieces hold, however much each call takes.
bool writeAllPieces(int fd, iovec *pieces, int count)
{
    while (count > 0) {
        ssize_t done = ::writev(fd, pieces, std::min(count, IOV_MAX));
        if (done < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        while (count > 0 && size_t(done) >= pieces->iov_len) {
            done -= ssize_t(pieces->iov_len);
            ++pieces;
            --count;
        }
        if (count > 0 && done > 0) {
            pieces->iov_base = static_cast<char *>(pieces->iov_base) + done;
            pieces->iov_len -= size_t(done);
        }
    }
    return true;
}

// The records are handed to the system straight from the ledger bytes, a
// thousand or so per call, neighbours in one piece; only a record whose line
// end must be set or that is not wholly there is copied first.
bool writeRecordsFromPlace(int fd, const char *ledger, size_t size, int records, const std::vector<int> &order, bool withTail)
{
    constexpr int kPieces = 1024;
    iovec pieces[kPieces + 1];
    std::vector<char> copies;  // the records copied for the pieces of one call
    int count = 0;
    size_t copied = 0;
    const auto flush = [&] {
        const bool ok = writeAllPieces(fd, pieces, count);
        count = 0;
        copied = 0;
        return ok;
    };
    int written = 0;
    for (const int n : order) {
        if (n < 1 || n > records) continue;
        ++written;
        const size_t at = size_t(n - 1) * kSize;
        const char *from = ledger + at;
        const bool asIs = at + kSize <= size && from[LedgerRecord::kLineEndOffset] == '\r' && from[LedgerRecord::kLineEndOffset + 1] == '\n';
        if (!asIs) {
            if (copies.empty()) copies.resize(size_t(kPieces) * kSize);
            char *to = copies.data() + copied * kSize;
            gatherRecords(ledger, size, records, &n, 1, to);
            from = to;
            ++copied;
        } else if (count > 0 && static_cast<const char *>(pieces[count - 1].iov_base) + pieces[count - 1].iov_len == from) {
            pieces[count - 1].iov_len += kSize;
            continue;
        }
        pieces[count++] = iovec{const_cast<char *>(from), size_t(kSize)};
        if (count == kPieces && !flush()) return false;
    }
    const size_t tail = withTail ? keptTail(size, records, written) : 0;
    if (tail > 0) pieces[count++] = iovec{const_cast<char *>(ledger + size_t(records) * kSize), tail};
    return flush();
}
} // namespace
#endif

bool writeRecordsInOrder(QIODevice &out, const char *ledger, size_t size, int records, const std::vector<int> &order, bool withTail)
{
#ifndef Q_OS_WIN
    if (auto *file = qobject_cast<QFileDevice *>(&out); file && file->handle() >= 0 && file->flush())
        return writeRecordsFromPlace(file->handle(), ledger, size, records, order, withTail);
#endif
    constexpr size_t kChunk = 512;
    std::vector<char> chunk(kChunk * kSize);
    int written = 0;
    for (size_t i = 0; i < order.size(); i += kChunk) {
        const size_t count = std::min(kChunk, order.size() - i);
        const size_t copied = gatherRecords(ledger, size, records, order.data() + i, count, chunk.data());
        written += int(copied);
        const qint64 bytes = qint64(copied) * kSize;
        if (bytes > 0 && out.write(chunk.data(), bytes) != bytes) return false;
    }
    const qint64 tail = withTail ? qint64(keptTail(size, records, written)) : 0;
    if (tail > 0 && out.write(ledger + size_t(records) * kSize, tail) != tail) return false;
    return true;
}

RewriteResult rewriteLedger(const RewritePlan &plan, QString *problem)
{
    // The lock every client's appends and rewrites take.
    FileLock lock(plan.ledgerPath);
    if (!lock.locked()) return lock.state() == FileLock::State::Busy ? RewriteResult::Busy : RewriteResult::Failed;
    crashPoint("replace.locked");

    LargeBuffer current;
    StampBuilder stamp;
    if (!LedgerReader::readAll(plan.ledgerPath, current, [&](const char *p, size_t n) { stamp.add(p, n); })) return RewriteResult::Failed;
    if (!(stamp.finish() == plan.expected)) return RewriteResult::Changed;

    const auto write = [&](int fd) {
        QFile out;
        if (!out.open(fd, QIODevice::WriteOnly | QIODevice::Unbuffered, QFileDevice::DontCloseHandle)) return false;
        return writeRecordsInOrder(out, current.data(), current.size(), plan.records, plan.order, true) && out.flush();
    };
    switch (LedgerFile::replaceWhole(plan.ledgerPath, lock, write, "replace", plan.op, plan.beforeRename, problem)) {
    case LedgerFile::ReplaceResult::Replaced:
        return RewriteResult::Replaced;
    case LedgerFile::ReplaceResult::InUse:
        return RewriteResult::InUse;
    case LedgerFile::ReplaceResult::LockLost:
        return RewriteResult::Busy;
    case LedgerFile::ReplaceResult::JournalFailed:
        return RewriteResult::JournalFailed;
    case LedgerFile::ReplaceResult::Failed:
        break;
    }
    return RewriteResult::Failed;
}

} // namespace kpv::search
