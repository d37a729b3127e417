#include "storage/shared_change.h"

#include "storage/crash_point.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <string>

namespace kpv {

namespace {

struct Journal {
    bool complete = false;
    QString primary;                             // absolute
    std::vector<std::pair<QString, QString>> renames; // target, new file (absolute)
};

QString folderOf(const QString &path)
{
    return QFileInfo(path).absolutePath();
}

// Paths in a journal are relative to its folder: each PC reaches the data
// folder by a path of its own.
QByteArray journalText(const QString &at, const Journal &j)
{
    const QDir dir(folderOf(at));
    QByteArray t = "kpv-change 1\n";
    for (const auto &[target, fresh] : j.renames)
        t += dir.relativeFilePath(target).toUtf8() + '\t' + dir.relativeFilePath(fresh).toUtf8() + '\n';
    t += "primary\t" + dir.relativeFilePath(j.primary).toUtf8() + "\nend\n";
    return t;
}

Journal parseJournal(const QString &at, const QByteArray &text)
{
    Journal j;
    if (!text.startsWith("kpv-change 1\n")) return j;
    const QDir dir(folderOf(at));
    for (const QByteArray &line : text.split('\n')) {
        if (line == "end") {
            j.complete = !j.primary.isEmpty();
            break;
        }
        const qsizetype tab = line.indexOf('\t');
        if (tab <= 0) continue;
        const QString a = QString::fromUtf8(line.left(tab)), b = QString::fromUtf8(line.mid(tab + 1));
        if (a == QLatin1String("primary")) j.primary = QDir::cleanPath(dir.absoluteFilePath(b));
        else j.renames.emplace_back(QDir::cleanPath(dir.absoluteFilePath(a)), QDir::cleanPath(dir.absoluteFilePath(b)));
    }
    return j;
}

bool readJournal(const QString &path, Journal &j)
{
    QByteArray text;
    if (io::readFile(path, text) != io::ReadStatus::Read) return false;
    j = parseJournal(path, text);
    return true;
}

// The order every client takes locks in: by file name, then by path.
bool lockOrder(const QString &a, const QString &b)
{
    const QString na = QFileInfo(a).fileName(), nb = QFileInfo(b).fileName();
    return na != nb ? na < nb : a < b;
}

} // namespace

void finishPendingChange(const QString &path)
{
    const QString own = journalPathOf(path);
    if (!io::exists(own)) return;
    Journal j;
    if (!readJournal(own, j)) return; // left for the next holder
    Journal decision;
    const bool decided = !j.primary.isEmpty() && readJournal(journalPathOf(j.primary), decision) && decision.complete;
    if (decided) {
        for (const auto &[target, fresh] : decision.renames)
            if (io::exists(fresh) && io::renameOver(fresh, target) == io::Outcome::Done) io::syncFolderOf(target);
    } else {
        for (const auto &pair : j.renames) io::removeFile(pair.second);
    }
    // Pointers first, the deciding journal last.
    const Journal &all = decided ? decision : j;
    for (const auto &pair : all.renames)
        if (journalPathOf(pair.first) != journalPathOf(j.primary)) io::removeFile(journalPathOf(pair.first));
    io::removeFile(own);
    if (!j.primary.isEmpty()) io::removeFile(journalPathOf(j.primary));
}

void settlePendingChange(const QString &path)
{
    if (!io::exists(journalPathOf(path))) return;
    FileLock lock(path);
}

SharedChange::~SharedChange()
{
    unlock();
}

void SharedChange::step(const char *name) const
{
    crashPoint((std::string(m_operation) + name).c_str());
}

FileLock::State SharedChange::lock(const QStringList &pathsIn, int waitMs)
{
    QStringList paths = pathsIn;
    std::sort(paths.begin(), paths.end(), lockOrder);
    paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
    for (const QString &p : paths) {
        auto l = std::make_unique<FileLock>();
        const FileLock::State s = l->acquire(p, waitMs);
        if (s != FileLock::State::Locked) {
            m_busyPath = p;
            m_busy = l->holder();
            unlock();
            return s;
        }
        m_locks.push_back(std::move(l));
    }
    step(".locked");
    return FileLock::State::Locked;
}

io::ReadStatus SharedChange::read(const QString &path, QByteArray &out) const
{
    return io::readFile(path, out, true);
}

void SharedChange::put(const QString &path, QByteArray bytes)
{
    m_new[path] = std::move(bytes);
}

SharedChange::Result SharedChange::commit()
{
    if (m_new.empty()) return Result::Committed;
    std::vector<QString> targets;
    for (const auto &kv : m_new) targets.push_back(kv.first);
    std::sort(targets.begin(), targets.end(), lockOrder);

    Journal journal;
    journal.primary = targets.front();
    const auto removeNew = [&] {
        for (const auto &pair : journal.renames) io::removeFile(pair.second);
    };
    for (const QString &target : targets) {
        const QString fresh = io::besideName(target, "new");
        const QByteArray &bytes = m_new[target];
        if (!io::writeNewFile(fresh, io::identityOf(target),
                              [&](int fd) { return io::writeAll(fd, bytes.constData(), bytes.size()); })) {
            removeNew();
            return Result::Failed;
        }
        journal.renames.emplace_back(target, fresh);
    }
    step(".staged");
    for (const auto &l : m_locks)
        if (!l->stillHeld()) {
            removeNew();
            return Result::LockLost;
        }

    if (targets.size() == 1) {
        const io::Outcome o = io::renameOver(journal.renames.front().second, targets.front());
        if (o != io::Outcome::Done) {
            removeNew();
            return o == io::Outcome::InUse ? Result::InUse : Result::Failed;
        }
        io::syncFolderOf(targets.front());
        step(".renamed");
        m_new.clear();
        return Result::Committed;
    }

    // The journals: beside every other file first, beside the first file
    // last (the decision).
    const auto removeJournals = [&] {
        for (const QString &t : targets) io::removeFile(journalPathOf(t));
    };
    for (auto it = targets.rbegin(); it != targets.rend(); ++it) {
        const QString at = journalPathOf(*it);
        const QByteArray text = journalText(at, journal);
        io::removeFile(at);
        if (!io::writeNewFile(at, io::Identity{}, [&](int fd) { return io::writeAll(fd, text.constData(), text.size()); })) {
            removeJournals();
            removeNew();
            return Result::Failed;
        }
    }
    io::syncFolderOf(targets.front());
    step(".decided");

    // The first rename decides whether another PC holds a file open: then
    // nothing has changed yet and the change is given up whole.
    bool first = true;
    for (const auto &[target, fresh] : journal.renames) {
        io::Outcome o = io::renameOver(fresh, target);
        if (o != io::Outcome::Done && first) {
            removeJournals();
            removeNew();
            return o == io::Outcome::InUse ? Result::InUse : Result::Failed;
        }
        // Past the first, the change is decided: keep at it (the next holder
        // of the lock finishes it should this process fail now).
        for (int again = 0; o == io::Outcome::InUse && again < 5; ++again) o = io::renameOver(fresh, target);
        if (o != io::Outcome::Done) return Result::Failed;
        if (first) step(".renamed-one");
        first = false;
    }
    for (const QString &t : targets) io::syncFolderOf(t);
    step(".renamed");
    // Pointers first, the decision last.
    for (auto it = targets.rbegin(); it != targets.rend(); ++it) io::removeFile(journalPathOf(*it));
    m_new.clear();
    return Result::Committed;
}

void SharedChange::unlock()
{
    // Given back in the reverse order of taking.
    while (!m_locks.empty()) m_locks.pop_back();
}

} // namespace kpv
