#include "excel/soffice_process.h"

#include "excel/process_proof.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <chrono>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace kpv::excel {

QList<QByteArray> SofficeProcess::environmentFor(const QList<QByteArray> &inherited, bool userLocale)
{
    QList<QByteArray> out;
    QByteArray lcAll, lcCtype, lang;
    for (const QByteArray &entry : inherited) {
        if (entry.startsWith("URE_BOOTSTRAP=")) continue; // the client's, not the office's
        if (entry.startsWith("LC_ALL=")) lcAll = entry.mid(7);
        if (entry.startsWith("LC_CTYPE=")) lcCtype = entry.mid(9);
        if (entry.startsWith("LANG=")) lang = entry.mid(5);
        if (!userLocale
            && (entry.startsWith("LANG=") || entry.startsWith("LC_") || entry.startsWith("LANGUAGE=")))
            continue;
        out << entry;
    }
    if (!userLocale) {
        out << "LANG=C.UTF-8" << "LC_ALL=C.UTF-8";
        return out;
    }
    const QByteArray ctype = (!lcAll.isEmpty() ? lcAll : !lcCtype.isEmpty() ? lcCtype : lang).toLower();
    if (ctype.contains("utf-8") || ctype.contains("utf8")) return out;
    // No UTF-8 character type: give it one and keep the rest of the locale.
    if (!lcAll.isEmpty()) {
        out.removeIf([](const QByteArray &e) { return e.startsWith("LC_ALL=") || e.startsWith("LANG="); });
        out << "LANG=" + lcAll;
    }
    out.removeIf([](const QByteArray &e) { return e.startsWith("LC_CTYPE="); });
    out << "LC_CTYPE=C.UTF-8";
    return out;
}

QList<QByteArray> SofficeProcess::withEntries(QList<QByteArray> entries, const QList<QByteArray> &extra)
{
    for (const QByteArray &e : extra) {
        const QByteArray key = e.left(e.indexOf('=') + 1);
        entries.removeIf([&](const QByteArray &x) { return x.startsWith(key); });
        entries << e;
    }
    return entries;
}

bool SofficeProcess::start(const QString &program, const QStringList &arguments, const QString &logFile,
                           bool userLocale, const QStringList &marks, const QList<QByteArray> &extra, QString *error)
{
    const QByteArray prog = QFile::encodeName(program);
    if (::access(prog.constData(), X_OK) != 0) {
        *error = QStringLiteral("cannot run %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    std::vector<QByteArray> argStore;
    argStore.push_back(prog);
    for (const QString &a : arguments) argStore.push_back(a.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &a : argStore) argv.push_back(a.data());
    argv.push_back(nullptr);

    QList<QByteArray> inherited;
    for (char **e = environ; *e; ++e) inherited << QByteArray(*e);
    QList<QByteArray> envStore = withEntries(environmentFor(inherited, userLocale), extra);
    std::vector<char *> envp;
    for (QByteArray &e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const QByteArray log = QFile::encodeName(logFile);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, log.constData(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawnattr_setpgroup(&attr, 0);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);

    pid_t pid = 0;
    const int rc = posix_spawn(&pid, prog.constData(), &actions, &attr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    if (rc != 0 || pid < 2) {
        *error = QStringLiteral("cannot start %1: %2").arg(program, QString::fromLocal8Bit(std::strerror(rc)));
        return false;
    }
    m_pid = pid;
    m_child = true;
    m_marks = marks;
    return true;
}

bool SofficeProcess::running()
{
    if (m_pid < 2) return false;
    if (m_child) {
        int status = 0;
        const pid_t r = ::waitpid(pid_t(m_pid), &status, WNOHANG);
        if (r == 0) return true;
        m_child = false; // reaped (or not ours to wait for): soffice.bin may linger in its group
    }
    if (proc::groupRunning(pid_t(m_pid))) return true;
    m_pid = 0;
    return false;
}

bool SofficeProcess::waitForExit(int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (running()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void SofficeProcess::killGroup()
{
    if (m_pid < 2) return;
    int status = 0;
    if (m_child && ::waitpid(pid_t(m_pid), &status, WNOHANG) == 0) {
        // Our child, not reaped: the number and its group are still ours.
        ::kill(-pid_t(m_pid), SIGKILL);
        ::kill(pid_t(m_pid), SIGKILL);
        for (int i = 0; i < 100; ++i) {
            if (::waitpid(pid_t(m_pid), &status, WNOHANG) != 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    } else {
        proc::killProvenGroup(m_pid, m_marks);
    }
    m_child = false;
    for (int i = 0; i < 100 && proc::groupRunning(pid_t(m_pid)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    m_pid = 0;
}

} // namespace kpv::excel
