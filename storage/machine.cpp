#include "storage/machine.h"

#include <QFile>
#include <QSysInfo>
#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace kpv {

QString machineName()
{
    const QString fromEnv = qEnvironmentVariable("COMPUTERNAME").trimmed();
    if (!fromEnv.isEmpty()) return fromEnv;
    return QSysInfo::machineHostName();
}

QString userName()
{
    const QString fromEnv = qEnvironmentVariable("USERNAME").trimmed();
    if (!fromEnv.isEmpty()) return fromEnv;
    if (const passwd *pw = ::getpwuid(::getuid()); pw && pw->pw_name) return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

qint64 processId()
{
    return qint64(::getpid());
}

namespace {
// The state letter and the start time of a process from /proc.
struct ProcessStat {
    char state = 0;
    qint64 start = 0;
};
ProcessStat readStat(qint64 pid)
{
    ProcessStat s;
    if (pid <= 0) return s;
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) return s;
    const QByteArray line = stat.readAll();
    // The command name (field 2) is in parentheses and may hold spaces: the
    // fields are counted after its closing parenthesis.
    const qsizetype close = line.lastIndexOf(')');
    if (close < 0) return s;
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    // Field 3 is the state, field 22 the start time (the 20th after the name).
    if (fields.size() < 20 || fields.at(0).isEmpty()) return s;
    s.state = fields.at(0).at(0);
    s.start = fields.at(19).toLongLong();
    return s;
}
} // namespace

qint64 processStart(qint64 pid)
{
    return readStat(pid).start;
}

bool processRunning(qint64 pid, qint64 start)
{
    if (pid <= 1) return true; // nothing can be proven about such an id
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) return false;
    const ProcessStat now = readStat(pid);
    // A process that ended but was not yet waited for holds nothing open.
    if (now.state == 'Z' || now.state == 'X') return false;
    if (start > 0 && now.start > 0 && now.start != start) return false;
    return true;
}

} // namespace kpv
