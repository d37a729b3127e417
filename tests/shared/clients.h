#pragma once
// Client processes on a data folder (tests/shared/kpv_client.cpp), the data
// folder they share, and what the tests check in it afterwards.

#include "storage/file_names.h"
#include "storage/ledger_file.h"
#include "storage/ledger_record.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/settings_store.h"
#include "storage/shared_io.h"
#include "temp_folder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <memory>
#include <vector>

namespace kpv::testing {

// One client PC: its name, and the way it reaches the data folder.
struct Pc {
    QString name;
    QString folder; // ends with "/"
    std::map<QString, QString> env;
};

inline QProcessEnvironment clientEnvironment(const Pc &pc)
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("COMPUTERNAME"), pc.name);
    e.insert(QStringLiteral("LANG"), QStringLiteral("C.UTF-8"));
    for (const auto &[k, v] : pc.env) e.insert(k, v);
    return e;
}

// A client run in the background.
class Client {
public:
    Client(const Pc &pc, const QStringList &args, const std::map<QString, QString> &extraEnv = {})
    {
        QProcessEnvironment e = clientEnvironment(pc);
        for (const auto &[k, v] : extraEnv) e.insert(k, v);
        m_process.setProcessEnvironment(e);
        m_process.start(QStringLiteral(KPV_CLIENT), args);
    }
    ~Client()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(30000);
        }
    }
    bool started() { return m_process.waitForStarted(30000); }
    // Waits for the end; the exit code (-1 when it did not end in time).
    int finish(int ms = 600000)
    {
        if (!m_process.waitForFinished(ms)) return -1;
        m_out += m_process.readAllStandardOutput();
        m_err += m_process.readAllStandardError();
        return m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1;
    }
    // Waits for a line on standard output or standard error that starts with prefix.
    bool waitFor(const QByteArray &prefix, int ms = 120000)
    {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            m_out += m_process.readAllStandardOutput();
            m_err += m_process.readAllStandardError();
            if (m_out.startsWith(prefix) || m_out.contains("\n" + prefix) || m_err.startsWith(prefix) || m_err.contains("\n" + prefix))
                return true;
            if (m_process.state() == QProcess::NotRunning) return false;
            m_process.waitForReadyRead(50);
        }
        return false;
    }
    // Ends the client with SIGKILL, as a crash or a pulled plug would.
    void killHard()
    {
        const qint64 pid = m_process.processId();
        if (pid > 1) ::kill(pid_t(pid), SIGKILL);
        m_process.waitForFinished(30000);
        m_out += m_process.readAllStandardOutput();
        m_err += m_process.readAllStandardError();
    }
    QByteArray out() const { return m_out; }
    // Standard output so far, the client still running.
    QByteArray outSoFar()
    {
        m_out += m_process.readAllStandardOutput();
        return m_out;
    }
    QByteArray err() const { return m_err; }
    QString report() const { return QString::fromUtf8("stdout:\n" + m_out + "\nstderr:\n" + m_err); }

private:
    QProcess m_process;
    QByteArray m_out, m_err;
};

// Runs a client to its end; its exit code.
inline int runClient(const Pc &pc, const QStringList &args, QString *report = nullptr, const std::map<QString, QString> &env = {})
{
    Client c(pc, args, env);
    const int code = c.finish();
    if (report) *report = c.report();
    return code;
}

inline QByteArray bytesOf(const QString &path)
{
    QByteArray b;
    io::readFile(path, b);
    return b;
}

// The item numbers of the ledger's records, in record order.
inline QStringList itemNumbers(const QByteArray &ledger)
{
    QStringList ids;
    for (qsizetype at = 0; at + LedgerRecord::kSize <= ledger.size(); at += LedgerRecord::kSize)
        ids << decodeCleanField(ledger.constData() + at, LedgerRecord::kFieldWidth);
    return ids;
}

// A data folder with settings, five word lists and the ledger: empty, or
// the example ledger of the tests.
inline void prepareFolder(const QString &folder, bool example)
{
    QDir().mkpath(folder);
    ASSERT_TRUE(copyFixture(QStringLiteral("ledger30"), folder));
    QFile::remove(folder + QStringLiteral("expected.jsonl"));
    if (!example) {
        io::removeFile(folder + names::ledger());
        SettingsSlots s;
        readSettingsFile(folder + names::sharedSettings(), s);
        for (int n = 2; n <= 6; ++n) {
            s.set(slot::shared::pickListCount(n), QStringLiteral("0"));
            ASSERT_EQ(io::replaceWhole(folder + names::pickListPrefix() + QStringLiteral("0%1.dat").arg(n), QByteArray()), io::Outcome::Done);
        }
        ASSERT_TRUE(writeSettingsFile(folder + names::sharedSettings(), s));
        ASSERT_EQ(io::replaceWhole(folder + names::ledger(), QByteArray()), io::Outcome::Done);
    }
    // Every user of a shared folder may write every file.
    for (const QString &f : QDir(folder).entryList(QDir::Files)) QFile::setPermissions(folder + f, QFileDevice::Permissions(0x6666));
}

// The words of a list file as the program reads them.
inline QStringList listWords(const QString &path)
{
    QuotedLineReader reader(cp932::decodeAll(bytesOf(path)));
    QStringList words;
    QString id, word;
    while (reader.readField(id) && reader.readField(word) && !word.isEmpty()) words << word;
    return words;
}

inline QString listPath(const QString &folder, int n)
{
    return folder + names::pickListPrefix() + QStringLiteral("0%1.dat").arg(n);
}

inline int countSlot(const QString &folder, int n)
{
    SettingsSlots s;
    readSettingsFile(folder + names::sharedSettings(), s);
    return int(s.number(slot::shared::pickListCount(n)));
}

// `kpvtool check` of the folder: its output, and exit code 0 when clean.
inline int kpvCheck(const QString &folder, QString *output = nullptr)
{
    QProcess p;
    p.start(QStringLiteral(KPV_TOOL), {QStringLiteral("check"), folder});
    if (!p.waitForFinished(120000)) return -1;
    if (output) *output = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
    return p.exitCode();
}

// Files beside the shared files that a change leaves only while it runs:
// lock files, journals and new files not yet in place.
inline QStringList leftovers(const QString &folder)
{
    QStringList found;
    for (const QString &f : QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
        if (f.endsWith(QStringLiteral(".lock")) || f.endsWith(QStringLiteral(".commit")) || f.endsWith(QStringLiteral(".new"))
            || f.endsWith(QStringLiteral(".stale")))
            found << f;
    return found;
}

} // namespace kpv::testing
