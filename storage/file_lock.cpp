#include "storage/file_lock.h"

#include "storage/machine.h"
#include "storage/shared_change.h"
#include "storage/shared_io.h"

#include <QRandomGenerator>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <map>
#include <optional>
#include <algorithm>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace kpv {

namespace {
using Clock = std::chrono::steady_clock;

constexpr qsizetype kPadded = 256; // a refresh rewrites the same length in place

int envMs(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

QByteArray lockText(const QString &pc, qint64 pid, qint64 start, const QByteArray &token, qint64 seq)
{
    QByteArray t = "kpv-lock 1\npc=" + pc.toUtf8() + "\npid=" + QByteArray::number(pid) + "\nstart=" + QByteArray::number(start)
        + "\ntoken=" + token + "\ntime=" + QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8()
        + "\nseq=" + QByteArray::number(seq) + "\n";
    if (t.size() < kPadded) t.append(QByteArray(kPadded - t.size() - 1, ' ')).append('\n');
    return t;
}

LockHolder parseHolder(const QByteArray &content)
{
    LockHolder h;
    h.content = content;
    if (!content.startsWith("kpv-lock 1\n")) return h;
    for (const QByteArray &raw : content.split('\n')) {
        const QByteArray line = raw.trimmed();
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) continue;
        const QByteArray key = line.left(eq), value = line.mid(eq + 1);
        if (key == "pc") h.pc = QString::fromUtf8(value);
        else if (key == "pid") h.pid = value.toLongLong();
        else if (key == "start") h.start = value.toLongLong();
        else if (key == "token") h.token = value;
        else if (key == "time") h.refreshed = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
    }
    if (h.refreshed.isValid()) h.refreshed = h.refreshed.toUTC();
    return h;
}

// How long this process has seen the same bytes in each lock file: a lock is
// judged by what its holder does, measured on this PC's own clock, so PCs
// whose clocks disagree still agree on who is stale.
qint64 observe(const QString &lockPath, const QByteArray &content)
{
    struct Seen {
        QByteArray content;
        Clock::time_point since;
    };
    static std::mutex mutex;
    static std::map<QString, Seen> seen;
    const std::lock_guard<std::mutex> guard(mutex);
    const auto now = Clock::now();
    auto it = seen.find(lockPath);
    if (it == seen.end() || it->second.content != content) {
        seen[lockPath] = Seen{content, now};
        return 0;
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(now - it->second.since).count();
}

// The text of a lock: the file "owner" in the lock folder (or, for a lock
// file as an older client made it, the file itself).
QString ownerPath(const QString &lockPath)
{
    return lockPath + QStringLiteral("/owner");
}

bool readLock(const QString &lockPath, QByteArray &content)
{
    if (io::readFile(ownerPath(lockPath), content) == io::ReadStatus::Read) return true;
    return io::isFile(lockPath) && io::readFile(lockPath, content) == io::ReadStatus::Read;
}

// Removes a lock (folder and text, or an older client's lock file).
void removeLock(const QString &lockPath)
{
    io::removeFile(ownerPath(lockPath));
    if (!io::removeFolder(lockPath)) io::removeFile(lockPath);
}

// Moves a lock judged stale aside and makes sure it was that one. A lock
// made meanwhile by another client (moved by mistake) is put back when
// nobody made a new one since. True when the stale lock is gone.
bool moveAside(const QString &lockPath, const LockHolder &stale)
{
    const QString aside = io::besideName(lockPath, "stale");
    if (io::renameOver(lockPath, aside) != io::Outcome::Done) return false;
    QByteArray moved;
    const bool read = readLock(aside, moved);
    if (!read) moved.clear();
    if (moved == stale.content) {
        removeLock(aside);
        return true;
    }
    // Not the lock judged stale: give it back unless a new one is there now.
    if (io::makeFolder(lockPath) == 0) {
        const int fd = io::openForWrite(ownerPath(lockPath), O_WRONLY | O_CREAT | O_EXCL);
        if (fd >= 0) {
            io::writeAll(fd, moved.constData(), moved.size());
            ::close(fd);
        }
    }
    removeLock(aside);
    return false;
}
} // namespace

LockTiming &LockTiming::process()
{
    static LockTiming t{envMs("KPV_LOCK_REFRESH_MS", 5000), envMs("KPV_LOCK_STALE_MS", 60000), envMs("KPV_LOCK_WAIT_MS", 15000)};
    return t;
}

qint64 LockHolder::ageMs() const
{
    if (!refreshed.isValid()) return -1;
    return std::max<qint64>(0, refreshed.msecsTo(QDateTime::currentDateTimeUtc()));
}

bool LockHolder::provenGone() const
{
    return known() && pc.compare(machineName(), Qt::CaseInsensitive) == 0 && !processRunning(pid, start);
}

bool LockHolder::stale(const LockTiming &timing) const
{
    if (unchangedMs >= timing.staleMs) return true;
    if (unchangedMs < 3 * qint64(timing.refreshMs)) return false;
    const qint64 age = known() ? ageMs() : -1;
    return age < 0 || age >= timing.staleMs;
}

bool LockHolder::looksAbandoned(const LockTiming &timing) const
{
    if (provenGone()) return true;
    const qint64 age = known() ? ageMs() : -1;
    return age < 0 || age >= timing.staleMs || unchangedMs >= timing.staleMs;
}

// This process's holding of a lock: its text and the thread that refreshes it.
struct FileLock::Holding {
    QString lockPath;
    QString pc;
    qint64 pid = 0, start = 0;
    QByteArray token;
    qint64 seq = 0;
    QByteArray written;  // the bytes last written
    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    bool lost = false;
    std::thread refresher;

    Holding(QString path)
        : lockPath(std::move(path)), pc(machineName()), pid(processId()), start(processStart(processId())),
          token(QByteArray::number(QRandomGenerator::system()->generate64(), 16))
    {
    }
    QByteArray next() { return lockText(pc, pid, start, token, ++seq); }

    void refreshLoop(int intervalMs)
    {
        std::unique_lock<std::mutex> guard(mutex);
        for (;;) {
            if (wake.wait_for(guard, std::chrono::milliseconds(intervalMs), [&] { return stopping; })) return;
            guard.unlock();
            refresh();
            guard.lock();
            if (lost) return;
        }
    }

    // Rewrites the lock file in place, if it is still this holding's.
    void refresh()
    {
        QByteArray now;
        if (readLock(lockPath, now) && now != written) {
            const std::lock_guard<std::mutex> g(mutex);
            lost = true;
            return;
        }
        const QByteArray text = next();
        const int fd = io::openForWrite(ownerPath(lockPath), O_WRONLY);
        if (fd < 0) {
            if (errno == ENOENT) {
                const std::lock_guard<std::mutex> g(mutex);
                lost = true;
            }
            return;
        }
        const bool ok = io::writeAt(fd, text.constData(), text.size(), 0);
        if (ok && text.size() < written.size()) (void)::ftruncate(fd, off_t(text.size()));
        ::close(fd);
        if (ok) written = text;
    }

    void stop()
    {
        {
            const std::lock_guard<std::mutex> g(mutex);
            stopping = true;
        }
        wake.notify_all();
        if (refresher.joinable()) refresher.join();
    }
};

FileLock::FileLock() = default;

FileLock::FileLock(const QString &path, int waitMs)
{
    acquire(path, waitMs);
}

FileLock::~FileLock()
{
    release();
}

FileLock::State FileLock::acquire(const QString &path, int waitMs)
{
    if (locked() && path == m_path) return m_state;
    release();
    m_path = path;
    return take(waitMs, nullptr);
}

FileLock::State FileLock::breakAndAcquire()
{
    if (m_state != State::Busy) return m_state;
    const LockHolder seen = m_holder;
    return take(0, &seen);
}

bool FileLock::create()
{
    auto holding = std::make_unique<Holding>(lockPath());
    const QByteArray text = holding->next();
    // The exclusive step: making the lock folder. Over smbnetfs an exclusive
    // create of a file is not exclusive between PCs at the same moment (both
    // can succeed, the later one truncating the other's file), a folder's
    // creation is decided by the server.
    const int made = io::makeFolder(lockPath());
    if (made != 0) {
        errno = made;
        return false;
    }
    const int fd = io::openForWrite(ownerPath(lockPath()), O_WRONLY | O_CREAT | O_EXCL);
    const bool ok = fd >= 0 && io::writeAll(fd, text.constData(), text.size());
    const int error = errno;
    if (fd >= 0) ::close(fd);
    if (!ok) {
        removeLock(lockPath());
        errno = error == EEXIST ? EIO : error;
        return false;
    }
    holding->written = text;
    const int interval = LockTiming::process().refreshMs;
    Holding *h = holding.get();
    holding->refresher = std::thread([h, interval] { h->refreshLoop(interval); });
    m_holding = std::move(holding);
    return true;
}

FileLock::State FileLock::take(int waitMs, const LockHolder *toBreak)
{
    const LockTiming &timing = LockTiming::process();
    if (waitMs < 0) waitMs = timing.waitMs;
    const auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
    m_holder = {};
    LockHolder gone; // a holder whose lock was taken over
    // Clients waiting for the lock queue at its turnstile, the lock
    // "<file>.next.lock": only its holder, the first in line, waits at the
    // lock itself, and a client that wants the lock while others wait queues
    // behind them. Without it, a holder giving the lock back and taking it
    // again at once could keep it from the others for as long as it works.
    std::unique_ptr<FileLock> turn;
    const auto queue = [&]() -> bool {
        turn = std::make_unique<FileLock>();
        turn->m_isTurnstile = true;
        turn->m_path = m_path + QStringLiteral(".next");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (turn->take(int(std::max<qint64>(0, left)), nullptr) == State::Locked) return true;
        turn.reset();
        return false;
    };
    // How often the holder's text is read while waiting: often enough to
    // see a refresh several times within the interval.
    const auto readEvery = std::chrono::milliseconds(std::clamp(timing.refreshMs / 5, 50, 1000));
    std::optional<Clock::time_point> readSince;
    // The pause between looks, with some jitter so that waiting clients do
    // not look in step: short for the first in line (the lock is its next),
    // growing to a fifth of a second for the others.
    const auto pauseMs = [&](int attempt) {
        const int base = turn ? 20 : std::min(200, 10 << std::min(attempt, 4));
        return base + int(QRandomGenerator::global()->bounded(base / 2 + 1));
    };
    for (int attempt = 0;; ++attempt) {
        if (!m_isTurnstile && !turn && !toBreak && io::exists(lockPathOf(m_path + QStringLiteral(".next"))) && !queue()) {
            m_holder = readHolder(lockPath());
            m_state = State::Busy;
            return m_state;
        }
        if (create()) {
            m_state = State::Locked;
            m_holder = {};
            turn.reset();
            if (m_isTurnstile) return m_state;
            // A change its previous holder left half done is finished first,
            // and what it left beside the file is removed.
            finishPendingChange(m_path);
            if (gone.known()) {
                io::removeBesideFilesOf(m_path, gone.pc, gone.pid);
                io::removeBesideFilesOf(lockPath(), gone.pc, gone.pid);
            }
            return m_state;
        }
        const int error = errno;
        if (error != EEXIST && error != EIO && error != ENOTEMPTY) {
            m_state = (error == EACCES || error == EROFS || error == EPERM) ? State::ReadOnly : State::Failed;
            return m_state;
        }
        // The holder's text is read only now and then: while this client
        // has the lock file open for the read, the holder's server refuses
        // to remove it, so a waiter reading at every look would hold up the
        // very release it waits for. Between reads, only the exclusive
        // create is tried again (it opens nothing of the holder's).
        if (readSince && Clock::now() - *readSince < readEvery) {
            if (Clock::now() >= deadline) {
                m_state = State::Busy;
                return m_state;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(attempt)));
            continue;
        }
        readSince = Clock::now();
        QByteArray content;
        if (!readLock(lockPath(), content)) {
            // Gone between the create and the read (asked of the server: a
            // client of a file server may still see a lock that is gone):
            // try again at once.
            if (io::freshSize(lockPath()) < 0 && attempt < 1000) continue;
            content.clear();
        }
        m_holder = parseHolder(content);
        m_holder.unchangedMs = observe(lockPath(), content);
        const bool breakIt = toBreak && toBreak->content == content;
        if (breakIt || m_holder.provenGone() || m_holder.stale(timing)) {
            if (moveAside(lockPath(), m_holder)) gone = m_holder;
            if (breakIt) toBreak = nullptr;
            continue;
        }
        if (Clock::now() >= deadline) {
            m_state = State::Busy;
            return m_state;
        }
        if (!m_isTurnstile && !turn && !toBreak && waitMs > 0) {
            const LockHolder held = m_holder;
            if (!queue()) {
                m_holder = held;
                m_state = State::Busy;
                return m_state;
            }
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs(attempt)));
    }
}

bool FileLock::stillHeld() const
{
    if (!m_holding) return false;
    {
        const std::lock_guard<std::mutex> g(m_holding->mutex);
        if (m_holding->lost) return false;
    }
    QByteArray now;
    if (!readLock(lockPath(), now)) return false;
    const LockHolder h = parseHolder(now);
    return h.token == m_holding->token && h.pid == m_holding->pid;
}

void FileLock::release()
{
    if (m_holding) {
        m_holding->stop();
        QByteArray now;
        // Only this holding's own lock file is removed.
        if (readLock(lockPath(), now) && parseHolder(now).token == m_holding->token) removeLock(lockPath());
        m_holding.reset();
    }
    if (m_state == State::Locked) m_state = State::Unlocked;
}

LockHolder FileLock::readHolder(const QString &lockPath)
{
    QByteArray content;
    readLock(lockPath, content);
    LockHolder h = parseHolder(content);
    h.unchangedMs = observe(lockPath, content);
    return h;
}

bool FileLock::removeAbandoned(const QString &lockPath, const LockHolder &seen)
{
    return moveAside(lockPath, seen);
}

} // namespace kpv
