#include "repair.h"

#include "storage/codepage.h"
#include "storage/file_lock.h"
#include "storage/file_names.h"
#include "storage/ledger_file.h"
#include "storage/ledger_record.h"
#include "storage/machine.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/settings_store.h"
#include "storage/shared_change.h"
#include "storage/shared_io.h"
#include "storage/text.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <map>

namespace kpv::tool {

namespace {

QString listName(int n)
{
    return names::pickListPrefix() + QString::number(n).rightJustified(2, u'0') + QStringLiteral(".dat");
}

// The words of a list file as the program reads them: to the first empty
// word or the end.
int listLines(const QByteArray &bytes)
{
    QuotedByteReader reader(bytes);
    QByteArrayView id, word;
    int lines = 0;
    while (lines < 10010 && reader.readField(id) && reader.readField(word)) {
        if (word.isEmpty()) break;
        ++lines;
    }
    return lines;
}

QString since(qint64 ms)
{
    if (ms < 0) return QStringLiteral("unknown");
    if (ms >= 3600000) return QStringLiteral("%1 h %2 min ago").arg(ms / 3600000).arg(ms / 60000 % 60);
    if (ms >= 60000) return QStringLiteral("%1 min ago").arg(ms / 60000);
    return QStringLiteral("%1 s ago").arg(ms / 1000);
}

class Repair {
public:
    Repair(QString folder, bool apply) : m_folder(std::move(folder)), m_apply(apply) {}

    RepairResult run()
    {
        const QFileInfo dir(m_folder);
        if (!dir.isDir() || !dir.isReadable()) {
            m_result.readable = false;
            return m_result;
        }
        leftovers();
        sharedFiles();
        return m_result;
    }

private:
    QString m_folder;
    bool m_apply;
    RepairResult m_result;
    QString m_backup;

    void say(const QString &what)
    {
        m_result.findings << (m_apply ? QStringLiteral("repaired: ") : QStringLiteral("would repair: ")) + what;
    }

    // The folder the copies go to, made once.
    QString backupFolder()
    {
        if (m_backup.isEmpty()) {
            m_backup = m_folder + QStringLiteral("repair-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) + u'/';
            QDir().mkpath(m_backup);
        }
        return m_backup;
    }

    bool keepCopy(const QString &path, const QByteArray &bytes)
    {
        const QString copy = backupFolder() + QFileInfo(path).fileName();
        const bool ok = io::writeNewFile(copy, io::identityOf(path), [&](int fd) { return io::writeAll(fd, bytes.constData(), bytes.size()); });
        if (ok) m_result.copies << copy;
        else m_result.failed = true;
        return ok;
    }

    // A file no client needs any more is moved into the copies' folder.
    void moveAway(const QString &path)
    {
        const QString to = backupFolder() + QFileInfo(path).fileName();
        if (io::renameOver(path, to) == io::Outcome::Done) m_result.copies << to;
        else m_result.failed = true;
    }

    // Lock files of holders that are gone, changes left half done, and new
    // files a crashed client left beside a shared file.
    void leftovers()
    {
        const LockTiming &timing = LockTiming::process();
        const QDir dir(m_folder);
        for (const QString &name : dir.entryList({QStringLiteral("*.lock")}, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString path = m_folder + name;
            const LockHolder h = FileLock::readHolder(path);
            bool gone = h.provenGone() || h.looksAbandoned(timing);
            // An empty or unreadable lock file is judged by its age.
            if (!h.known())
                gone = QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime()) >= timing.staleMs;
            if (!gone) continue;
            const QString who = h.known() ? QStringLiteral("PC %1, process %2, refreshed %3").arg(h.pc).arg(h.pid).arg(since(h.ageMs()))
                                          : QStringLiteral("empty or unreadable");
            say(QStringLiteral("%1: lock left by a client that is gone (%2): removed").arg(name, who));
            if (m_apply) {
                if (!FileLock::removeAbandoned(path, h)) m_result.failed = true;
            }
        }
        for (const QString &name : dir.entryList({QStringLiteral("*.commit")}, QDir::Files, QDir::Name)) {
            const QString target = m_folder + name.chopped(int(QStringLiteral(".commit").size()));
            say(QStringLiteral("%1: change left half done by a client that crashed: finished").arg(QFileInfo(target).fileName()));
            if (m_apply) {
                FileLock lock(target); // taking the lock finishes it
                if (!lock.locked()) m_result.failed = true;
            }
        }
        static const QRegularExpression stray(QStringLiteral("^(.+)\\.([A-Za-z0-9_-]+)-(\\d+)-(\\d+)\\.(new|stale)$"));
        for (const QString &name : dir.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const auto m = stray.match(name);
            if (!m.hasMatch()) continue;
            const QString path = m_folder + name;
            const bool mine = m.captured(2).compare(machineName(), Qt::CaseInsensitive) == 0;
            const bool ended = mine && !processRunning(m.captured(3).toLongLong(), 0);
            const bool old = QFileInfo(path).lastModified().msecsTo(QDateTime::currentDateTime()) >= 3600000;
            if (!ended && !old) continue;
            say(QStringLiteral("%1: file left by a client that crashed while writing: moved to the copies").arg(name));
            if (m_apply) moveAway(path);
        }
    }

    // The ledger, the settings files and the word lists, under their locks.
    void sharedFiles()
    {
        const QString ledger = m_folder + names::ledger();
        const QString settings = m_folder + names::sharedSettings();
        const QString client = m_folder + names::clientSettings();
        QStringList paths;
        for (const QString &p : {ledger, settings, client}) paths << p;
        for (int n = 2; n <= 6; ++n) paths << m_folder + listName(n);
        QStringList present;
        for (const QString &p : paths)
            if (io::exists(p)) present << p;

        SharedChange change("repair");
        if (m_apply && change.lock(present) != FileLock::State::Locked) {
            m_result.findings << QStringLiteral("cannot repair now: a shared file is locked by a client at work");
            m_result.failed = true;
            return;
        }
        std::map<QString, QByteArray> now, next;
        for (const QString &p : present) {
            QByteArray b;
            if (io::readFile(p, b) != io::ReadStatus::Read) {
                m_result.findings << QStringLiteral("%1: cannot be read").arg(QFileInfo(p).fileName());
                m_result.readable = false;
                return;
            }
            now[p] = b;
        }
        if (now.count(ledger)) repairLedger(now[ledger], next[ledger]);
        for (const QString &p : {settings, client})
            if (now.count(p)) endLastLine(p, now[p], next[p]);
        for (int n = 2; n <= 6; ++n) {
            const QString p = m_folder + listName(n);
            if (now.count(p)) endLastLine(p, now[p], next[p]);
        }
        if (now.count(settings)) counts(settings, next[settings].isNull() ? now[settings] : next[settings], now, next);

        bool any = false;
        for (const auto &[path, bytes] : next) {
            if (bytes.isNull() || bytes == now[path]) continue;
            any = true;
            if (m_apply) {
                if (!keepCopy(path, now[path])) return;
                change.put(path, bytes);
            }
        }
        if (m_apply && any && change.commit() != SharedChange::Result::Committed) {
            m_result.findings << QStringLiteral("the repaired files could not be put in place; nothing was changed");
            m_result.failed = true;
        }
    }

    void repairLedger(const QByteArray &bytes, QByteArray &out)
    {
        constexpr int kSize = LedgerRecord::kSize;
        QByteArray fixed = bytes;
        const qsizetype whole = bytes.size() / kSize;
        const qsizetype tail = bytes.size() % kSize;
        if (tail != 0) {
            if (LedgerFile::countRecords(bytes.size()) > whole) {
                say(QStringLiteral("%1: record %2 has only %3 of 926 bytes (the program counts it): completed with NUL bytes")
                        .arg(names::ledger()).arg(whole + 1).arg(tail));
                fixed.append(QByteArray(kSize - tail, '\0'));
                fixed[fixed.size() - 2] = '\r';
                fixed[fixed.size() - 1] = '\n';
            } else {
                say(QStringLiteral("%1: %2 bytes after record %3 are no record (the program does not count them): cut off")
                        .arg(names::ledger()).arg(tail).arg(whole));
                fixed.truncate(whole * kSize);
            }
        }
        QList<qsizetype> bad;
        for (qsizetype i = 0; i < whole; ++i) {
            char *end = fixed.data() + i * kSize + LedgerRecord::kLineEndOffset;
            if (end[0] == '\r' && end[1] == '\n') continue;
            bad << i + 1;
            end[0] = '\r';
            end[1] = '\n';
        }
        if (!bad.isEmpty()) {
            QStringList numbers;
            for (qsizetype n : bad.mid(0, 10)) numbers << QString::number(n);
            say(QStringLiteral("%1: %2 records without the line end CR LF (%3%4): line end set")
                    .arg(names::ledger()).arg(bad.size()).arg(numbers.join(QStringLiteral(", ")), bad.size() > 10 ? QStringLiteral(", ...") : QString()));
        }
        out = fixed;
    }

    void endLastLine(const QString &path, const QByteArray &bytes, QByteArray &out)
    {
        if (bytes.isEmpty() || bytes.endsWith("\r\n")) return;
        out = bytes;
        out.append(bytes.endsWith('\r') ? "\n" : "\r\n");
        say(QStringLiteral("%1: the last line has no line end: CR LF added").arg(QFileInfo(path).fileName()));
    }

    void counts(const QString &settings, const QByteArray &settingsBytes, const std::map<QString, QByteArray> &now,
                std::map<QString, QByteArray> &next)
    {
        SettingsSlots store;
        readSettingsBytes(settingsBytes, store);
        std::map<int, QString> changes;
        for (int n = 2; n <= 6; ++n) {
            const QString p = m_folder + listName(n);
            const auto it = now.find(p);
            const int lines = it == now.end() ? 0 : listLines(it->second);
            const int count = int(store.number(slot::shared::pickListCount(n)));
            if (lines == count) continue;
            say(QStringLiteral("%1: %2 words, but its count (SharedSettings slot %3) is %4: count set to %2")
                    .arg(listName(n)).arg(lines).arg(slot::shared::pickListCount(n)).arg(count));
            changes[slot::shared::pickListCount(n)] = QString::number(lines);
        }
        if (changes.empty()) return;
        QByteArray out;
        if (changedSettingsBytes(settingsBytes, store, changes, out)) next[settings] = out;
    }
};

} // namespace

RepairResult repairDataFolder(const QString &dataFolder, bool apply)
{
    return Repair(normalizeFolderPath(QDir::fromNativeSeparators(QDir(dataFolder).absolutePath())), apply).run();
}

} // namespace kpv::tool
