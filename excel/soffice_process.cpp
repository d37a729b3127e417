#include "excel/soffice_process.h"

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

bool SofficeProcess::start(const QString &program, const QStringList &arguments, const QString &logFile,
                           QString *error)
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

    // The environment with a UTF-8 locale and no inherited office settings.
    std::vector<QByteArray> envStore;
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (entry.startsWith("LANG=") || entry.startsWith("LC_ALL=") || entry.startsWith("LANGUAGE=")
            || entry.startsWith("URE_BOOTSTRAP="))
            continue;
        envStore.push_back(entry);
    }
    envStore.push_back("LANG=C.UTF-8");
    envStore.push_back("LC_ALL=C.UTF-8");
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
    return true;
}

bool SofficeProcess::running()
{
    if (m_pid < 2) return false;
    if (m_child) {
        int status = 0;
        const pid_t r = ::waitpid(pid_t(m_pid), &status, WNOHANG);
        if (r == pid_t(m_pid) || (r < 0 && errno == ECHILD)) {
            // The launcher is gone; soffice.bin may linger in its group.
            if (::kill(-pid_t(m_pid), 0) == 0) return true;
            m_pid = 0;
            return false;
        }
        return true;
    }
    if (::kill(pid_t(m_pid), 0) == 0 || ::kill(-pid_t(m_pid), 0) == 0) return true;
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
    ::kill(-pid_t(m_pid), SIGKILL);
    ::kill(pid_t(m_pid), SIGKILL);
    if (m_child) {
        int status = 0;
        for (int i = 0; i < 100; ++i) {
            const pid_t r = ::waitpid(pid_t(m_pid), &status, WNOHANG);
            if (r != 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    m_pid = 0;
}

} // namespace kpv::excel
