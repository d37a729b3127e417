#pragma once
// Starting and ending the soffice process (the platform part of the
// LibreOffice implementation).
//
// soffice is started through its launcher script, in a process group of its
// own, with its output going to a log file (an inherited pipe would keep the
// reader of that pipe waiting until soffice exits), LANG=C.UTF-8 (storing to
// Japanese file names fails under the C locale) and the given arguments.
// Signals go to that group only, never to a PID below 2.

#include <QString>
#include <QStringList>

namespace kpv::excel {

class SofficeProcess {
public:
    SofficeProcess() = default;
    ~SofficeProcess() = default; // does not stop the process: see LibreOffice
    SofficeProcess(const SofficeProcess &) = delete;
    SofficeProcess &operator=(const SofficeProcess &) = delete;

    // Starts program with arguments. False with *error set when it cannot start.
    bool start(const QString &program, const QStringList &arguments, const QString &logFile, QString *error);
    long long pid() const { return m_pid; }
    // Whether the process is still there (reaps it when it has ended).
    bool running();
    // Waits up to timeoutMs for the process to end.
    bool waitForExit(int timeoutMs);
    // Kills the whole process group and reaps the launcher.
    void killGroup();
    // Forgets the process without ending it (the test fixture hands it on).
    void detach() { m_pid = 0; m_child = false; }
    // Takes over a process started elsewhere (the fixture's stop step).
    void adopt(long long pid) { m_pid = pid; m_child = false; }

private:
    long long m_pid = 0;
    bool m_child = false;
};

} // namespace kpv::excel
