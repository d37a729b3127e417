#pragma once
// Starting and ending the soffice process (the platform part of the
// LibreOffice implementation).
//
// soffice is started through its launcher script, in a process group of its
// own, with its output going to a log file (an inherited pipe would keep the
// reader of that pipe waiting until soffice exits) and the given arguments.
// The office the user sees keeps the user's locale (menus, input of dates and
// numbers); a headless one runs with C.UTF-8, and a visible one gets a UTF-8
// character type only when the user's locale has none (storing to Japanese
// file names fails under the C locale).
//
// Signals go to that group only: while the launcher is our child that has not
// been reaped its number is ours; otherwise the group is signalled only when
// process_proof.h proves it ours by the marks given at the start. Never a PID
// below 2.

#include <QString>
#include <QStringList>

#include <atomic>

namespace kpv::excel {

class SofficeProcess {
public:
    SofficeProcess() = default;
    ~SofficeProcess() = default; // does not stop the process: see LibreOffice
    SofficeProcess(const SofficeProcess &) = delete;
    SofficeProcess &operator=(const SofficeProcess &) = delete;

    // Starts program with arguments. marks: what the office's command line
    // names (process_proof.h); extra: "NAME=value" entries that replace the
    // inherited ones (the office's TMPDIR). False with *error set when it
    // cannot start.
    bool start(const QString &program, const QStringList &arguments, const QString &logFile, bool userLocale,
               const QStringList &marks, const QList<QByteArray> &extra, QString *error);
    // The launcher's number (0: none); may be read from any thread.
    long long pid() const { return m_pid; }
    // Whether the process is still there (reaps it when it has ended).
    bool running();
    // Waits up to timeoutMs for the process to end.
    bool waitForExit(int timeoutMs);
    // Kills the whole process group (ours, see above) and reaps the launcher.
    void killGroup();
    // Forgets the process without ending it (the test fixture hands it on).
    void detach() { m_pid = 0; m_child = false; }
    const QStringList &marks() const { return m_marks; }

    // The environment the office starts with (from environ).
    static QList<QByteArray> environmentFor(const QList<QByteArray> &inherited, bool userLocale);
    // entries with those of extra put in place of the ones of the same name.
    static QList<QByteArray> withEntries(QList<QByteArray> entries, const QList<QByteArray> &extra);

private:
    std::atomic<long long> m_pid{0};
    bool m_child = false;
    QStringList m_marks;
};

} // namespace kpv::excel
