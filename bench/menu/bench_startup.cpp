// From the program's start to its menu on the screen, as a user sees it: the
// program's parts started in a process of their own (this file run with
// --child, on an Xvfb display of the benchmark's own), timed from the
// process's start to the menu's first paint. With the office's start in the
// background (the default where there is a display) and without it
// (KPV_SOFFICE_BACKGROUND=0): the background start comes after the menu's
// first paint and must not delay it. Each child runs on for a moment after
// the paint and ends as the program does, its office included.

#include "app/program.h"
#include "ui/after_first_paint.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

// The child: the program's start, "painted" on stdout at the first paint of
// the menu, then the program's end after holdMs.
int child(int argc, char **argv, const QString &folder, int holdMs)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    kpv::setScreenFont();
    kpv::Program program(folder);
    if (!program.show()) return 2;
    kpv::ui::afterFirstPaint(program.host().menu(), [holdMs] {
        std::fputs("painted\n", stdout);
        std::fflush(stdout);
        QTimer::singleShot(holdMs, qApp, [] { QCoreApplication::quit(); });
    });
    return app.exec();
}

// An Xvfb display of our own, ended by its PID.
struct XvfbDisplay {
    pid_t pid = 0;
    QByteArray name;
    XvfbDisplay()
    {
        for (int n = 150 + ::getpid() % 50; n < 400 && pid <= 0; n += 5) {
            if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) continue;
            const QByteArray d = ":" + QByteArray::number(n);
            const pid_t p = ::fork();
            if (p == 0) {
                const int null = ::open("/dev/null", O_RDWR);
                ::dup2(null, 1);
                ::dup2(null, 2);
                ::execlp("Xvfb", "Xvfb", d.constData(), "-nolisten", "tcp", "-screen", "0", "1600x1000x24", nullptr);
                ::_exit(127);
            }
            for (int i = 0; i < 100; ++i) {
                if (QFileInfo::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n))) {
                    pid = p;
                    name = d;
                    break;
                }
                if (::waitpid(p, nullptr, WNOHANG) == p) break;
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            if (pid <= 0 && p > 1) {
                ::kill(p, SIGKILL);
                ::waitpid(p, nullptr, 0);
            }
        }
    }
    ~XvfbDisplay()
    {
        if (pid > 1) {
            ::kill(pid, SIGTERM);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

XvfbDisplay *g_display = nullptr;
QString g_self;
QString g_folder;

// One start of the program; the time to its menu in seconds, < 0 on failure.
double startOnce(bool background, int holdMs)
{
    int fds[2];
    if (::pipe(fds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<QByteArray> envStore;
    for (char **e = environ; *e; ++e) {
        const QByteArray entry(*e);
        if (entry.startsWith("DISPLAY=") || entry.startsWith("QT_QPA_PLATFORM=") || entry.startsWith("KPV_SOFFICE"))
            continue;
        envStore.push_back(entry);
    }
    envStore.push_back("DISPLAY=" + g_display->name);
    envStore.push_back("QT_QPA_PLATFORM=xcb");
    envStore.push_back(background ? "KPV_SOFFICE_BACKGROUND=" : "KPV_SOFFICE_BACKGROUND=0");
    std::vector<char *> envp;
    for (QByteArray &e : envStore) envp.push_back(e.data());
    envp.push_back(nullptr);
    QByteArray self = g_self.toLocal8Bit(), folder = g_folder.toLocal8Bit(), hold = QByteArray::number(holdMs);
    char childArg[] = "--child";
    std::vector<char *> argv{self.data(), childArg, folder.data(), hold.data(), nullptr};

    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int rc = posix_spawn(&pid, self.constData(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    double seconds = -1;
    if (rc == 0) {
        char buf[64];
        const ssize_t n = ::read(fds[0], buf, sizeof buf);
        if (n > 0 && QByteArray(buf, int(n)).startsWith("painted"))
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        int status = 0;
        ::waitpid(pid, &status, 0); // the program ends as it does, its office with it
    }
    ::close(fds[0]);
    return seconds;
}

// Argument: 1 with the office's start in the background.
void BM_StartToMenu(benchmark::State &state)
{
    if (!g_display || g_display->pid <= 0) {
        state.SkipWithError("no Xvfb");
        return;
    }
    const bool background = state.range(0) != 0;
    for (auto _ : state) {
        const double s = startOnce(background, 2500);
        if (s < 0) {
            state.SkipWithError("the menu was not shown");
            return;
        }
        state.SetIterationTime(s);
    }
}

BENCHMARK(BM_StartToMenu)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 4 && QByteArray(argv[1]) == "--child")
        return child(argc, argv, QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    QTemporaryDir folder;
    g_folder = folder.path() + QLatin1Char('/');
    g_self = QFileInfo(QString::fromLocal8Bit(argv[0])).absoluteFilePath();
    XvfbDisplay display;
    g_display = &display;
    // A first start sets the program folder up; the measured starts are later ones.
    if (display.pid > 0) startOnce(false, 0);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_display = nullptr;
    return 0;
}
