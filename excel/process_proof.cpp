#include "excel/process_proof.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <chrono>
#include <limits>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace kpv::excel::proc {

std::optional<pid_t> signallable(long long value)
{
    if (value < 2 || value > static_cast<long long>(std::numeric_limits<pid_t>::max())) return std::nullopt;
    return static_cast<pid_t>(value);
}

QString pipeMark(const QString &pipeName)
{
    if (pipeName.isEmpty()) return {};
    return QStringLiteral("pipe,name=%1;").arg(pipeName);
}

QString profileMark(const QString &profileUrl)
{
    if (profileUrl.isEmpty()) return {};
    return QLatin1String(kProfileArgument) + profileUrl;
}

QStringList commandLine(pid_t pid)
{
    QFile f(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray all = f.readAll();
    if (all.endsWith('\0')) all.chop(1);
    QStringList out;
    for (const QByteArray &a : all.split('\0')) out << QString::fromLocal8Bit(a);
    return all.isEmpty() ? QStringList() : out;
}

namespace {

// Whether an argument carries one of the marks: the profile argument as a
// whole, the pipe inside the accept string (its name ends at the ";"). An
// empty mark matches nothing.
bool namesAny(const QStringList &args, const QStringList &marks)
{
    for (const QString &a : args)
        for (const QString &m : marks)
            if (!m.isEmpty() && (a == m || (m.endsWith(QLatin1Char(';')) && a.contains(m)))) return true;
    return false;
}

bool containsAny(const QStringList &args, const QString &text)
{
    for (const QString &a : args)
        if (a.contains(text)) return true;
    return false;
}

// The process group of pid from /proc (field 5 of stat); -1 when unknown.
// A process that has ended and waits to be reaped counts as gone.
long long liveGroupOf(const QString &pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray stat = f.readAll();
    const int close = stat.lastIndexOf(')'); // the command name may hold blanks
    if (close < 0) return -1;
    const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
    // state ppid pgrp ...
    if (fields.size() < 3 || fields.at(0) == "Z" || fields.at(0) == "X") return -1;
    return fields.at(2).toLongLong();
}

QStringList groupMembers(pid_t pgid)
{
    QStringList out;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &e : entries) {
        bool number = false;
        e.toLongLong(&number);
        if (number && liveGroupOf(e) == pgid) out << e;
    }
    return out;
}

} // namespace

bool anyProcessNames(const QString &mark)
{
    if (mark.isEmpty()) return false;
    if (!QFile::exists(QStringLiteral("/proc/self/cmdline"))) return true;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &e : entries) {
        bool number = false;
        const long long pid = e.toLongLong(&number);
        if (number && liveGroupOf(e) >= 0 && containsAny(commandLine(pid_t(pid)), mark)) return true;
    }
    return false;
}

bool processExists(long long pid)
{
    const auto p = signallable(pid);
    if (!p) return false;
    return ::kill(*p, 0) == 0 || errno == EPERM;
}

bool provenGroup(long long pid, const QStringList &marks)
{
    const auto p = signallable(pid);
    if (!p) return false;
    if (::getpgid(*p) >= 0) // the leader is there: it must lead and name a mark
        return ::getpgid(*p) == *p && namesAny(commandLine(*p), marks);
    for (const QString &member : groupMembers(*p))
        if (namesAny(commandLine(pid_t(member.toLongLong())), marks)) return true;
    return false;
}

bool groupRunning(pid_t pgid)
{
    if (pgid < 2) return false;
    if (!QFile::exists(QStringLiteral("/proc/self/stat"))) return ::kill(-pgid, 0) == 0 || errno == EPERM;
    return !groupMembers(pgid).isEmpty();
}

bool killProvenGroup(long long pid, const QStringList &marks)
{
    if (!provenGroup(pid, marks)) return false;
    const pid_t p = *signallable(pid);
    ::kill(-p, SIGKILL);
    return true;
}

bool endProvenGroup(long long pid, const QStringList &marks, int timeoutMs)
{
    if (!provenGroup(pid, marks)) return true;
    const pid_t p = *signallable(pid);
    ::kill(-p, SIGCONT); // a stopped office cannot end
    ::kill(-p, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (groupRunning(p) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (groupRunning(p)) ::kill(-p, SIGKILL);
    for (int i = 0; i < 100 && groupRunning(p); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return !groupRunning(p);
}

} // namespace kpv::excel::proc
