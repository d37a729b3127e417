// The office stopped (SIGSTOP) while it starts and while a call waits on it,
// with the work behind the progress window as the screens run it: the window
// thread keeps answering (a timer ticks), 中止 ends the wait, the program's
// end takes a few seconds at most, and a killed office leaves nothing in /tmp.
// Also: the office started in the background serves the first workbook.
// Offices of their own, headless.

#include "excel/libreoffice.h"
#include "excel/process_proof.h"
#include "excel/work_thread.h"
#include "ui/progress_window.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <memory>

#include <signal.h>

using namespace kpv;
using namespace kpv::excel;

namespace {

const QString kStarting = QStringLiteral("表計算ソフト（LibreOffice Calc）を起動しています");

// The processes of a group, from /proc.
QList<pid_t> groupOf(pid_t pgid)
{
    QList<pid_t> out;
    for (const QString &e : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        const pid_t pid = pid_t(e.toInt(&number));
        if (number && ::getpgid(pid) == pgid) out << pid;
    }
    return out;
}

// The office's per-process temporary folders ("lu<pid>....tmp") in folder.
QStringList luFolders(const QString &folder, const QList<pid_t> &pids)
{
    QStringList out;
    for (pid_t p : pids)
        out << QDir(folder).entryList({QStringLiteral("lu%1*.tmp").arg(p)}, QDir::Dirs | QDir::Files | QDir::Hidden);
    return out;
}

// Counts the ticks of a timer on the window thread.
struct Ticker {
    int ticks = 0;
    QTimer timer;
    Ticker()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++ticks; });
        timer.start(20);
    }
};

ui::ProgressWindow *progressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ui::ProgressWindow *>(w); p && p->isVisible()) return p;
    return nullptr;
}

} // namespace

class TestOfficeProgress : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString offices() const { return m_dir.path() + QStringLiteral("/offices"); }
    QStringList officeFolders() const
    {
        return QDir(offices()).entryList({QStringLiteral("kpv-soffice-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    }
    LibreOfficeOptions options() const
    {
        LibreOfficeOptions o;
        o.headless = true;
        o.workFolder = offices();
        return o;
    }

    // Clicks 中止 of the progress window after ms; notes what it showed then.
    struct Cancel {
        QString shownStep;
        qint64 at = -1;
    };
    void cancelAfter(int ms, const QElapsedTimer &clock, Cancel &c, const std::function<void()> &before = {})
    {
        QTimer::singleShot(ms, this, [&clock, &c, before] {
            ui::ProgressWindow *w = progressWindow();
            if (!w) return;
            if (before) before();
            c.shownStep = w->stepLabel->text();
            c.at = clock.elapsed();
            w->cancelButton->click();
        });
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(offices()));
        QFile::setPermissions(offices(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void stoppedWhileStartingTheWindowAnswersAndCancelEndsTheWait()
    {
        auto office = std::make_unique<LibreOffice>(options());
        office->startInBackground();
        QTRY_VERIFY_WITH_TIMEOUT(office->processId() > 1, 20000);
        const pid_t pid = pid_t(office->processId());
        QTest::qWait(300);
        QCOMPARE(::kill(-pid, SIGSTOP), 0);

        Ticker ticker;
        QElapsedTimer clock;
        clock.start();
        Cancel cancel;
        cancelAfter(1500, clock, cancel);
        bool ran = false;
        ui::runOfficeWork(nullptr, *office, QStringLiteral("テスト"), QStringLiteral("ブックを作っています"), [&](Progress &) {
            ran = true;
            office->createNew();
        });
        const qint64 waited = clock.elapsed() - cancel.at;
        ticker.timer.stop();
        QVERIFY2(cancel.at > 0, "the progress window was shown");
        QCOMPARE(cancel.shownStep, kStarting); // the work waits for the office's start, and says so
        QVERIFY2(ticker.ticks >= 40, qPrintable(QStringLiteral("%1 ticks").arg(ticker.ticks)));
        QVERIFY2(waited < 4000, qPrintable(QStringLiteral("%1 ms after 中止").arg(waited)));
        QVERIFY2(!ran, "the work waiting for the start is dropped");

        // The program ends while the office still hangs in its start.
        QElapsedTimer exit;
        exit.start();
        office.reset();
        QVERIFY2(exit.elapsed() <= 5000, qPrintable(QStringLiteral("%1 ms to end").arg(exit.elapsed())));
        QVERIFY(!proc::groupRunning(pid));
        QCOMPARE(officeFolders(), QStringList());
    }

    void stoppedWhileTheWorkStartsItCancelBreaksTheStartOff()
    {
        auto office = std::make_unique<LibreOffice>(options());
        pid_t pid = 0;
        QTimer stopper;
        connect(&stopper, &QTimer::timeout, this, [&] {
            if (pid == 0 && office->processId() > 1) {
                pid = pid_t(office->processId());
                ::kill(-pid, SIGSTOP);
            }
        });
        stopper.start(100);
        QElapsedTimer clock;
        clock.start();
        Cancel cancel;
        cancelAfter(2000, clock, cancel);
        Status result;
        ui::runOfficeWork(nullptr, *office, QStringLiteral("テスト"), QStringLiteral("ブックを作っています"),
                          [&](Progress &) { result = office->createNew().status(); });
        const qint64 waited = clock.elapsed() - cancel.at;
        stopper.stop();
        QVERIFY(pid > 1);
        QCOMPARE(cancel.shownStep, kStarting);
        QVERIFY2(waited < 4000, qPrintable(QStringLiteral("%1 ms after 中止").arg(waited)));
        QCOMPARE(result.kind(), FailureKind::Cancelled);
        // An office in its start holds nothing of the user's: it was ended.
        QTRY_VERIFY_WITH_TIMEOUT(!proc::groupRunning(pid), 5000);
        QElapsedTimer exit;
        exit.start();
        office.reset();
        QVERIFY(exit.elapsed() <= 5000);
        QCOMPARE(officeFolders(), QStringList());
    }

    void stoppedDuringACallCancelEndsTheWaitAndTheKilledOfficeLeavesNothing()
    {
        auto office = std::make_unique<LibreOffice>(options());
        QVERIFY(office->start().ok());
        auto book = office->createNew();
        QVERIFY(book.ok());
        QVERIFY(book.value()->firstSheet().setCell(1, 1, QStringLiteral("書きかけ")).ok());
        const pid_t pid = pid_t(office->processId());
        const QList<pid_t> members = groupOf(pid);
        QCOMPARE(officeFolders().size(), 1);
        const QString folder = offices() + QLatin1Char('/') + officeFolders().first();
        // The office keeps its temporary files in its own folder, none in /tmp.
        QVERIFY(!luFolders(folder + QStringLiteral("/tmp"), members).isEmpty());
        QCOMPARE(luFolders(QStringLiteral("/tmp"), members), QStringList());
        QCOMPARE(::kill(-pid, SIGSTOP), 0);

        Ticker ticker;
        QElapsedTimer clock;
        clock.start();
        Cancel cancel;
        cancelAfter(800, clock, cancel);
        Status result;
        ui::runOfficeWork(nullptr, *office, QStringLiteral("テスト"), QStringLiteral("書き込んでいます"),
                          [&](Progress &) { result = book.value()->firstSheet().setCell(2, 2, QStringLiteral("x")); });
        const qint64 waited = clock.elapsed() - cancel.at;
        ticker.timer.stop();
        QVERIFY(cancel.at > 0);
        QCOMPARE(cancel.shownStep, QStringLiteral("書き込んでいます"));
        QVERIFY2(ticker.ticks >= 30, qPrintable(QStringLiteral("%1 ticks").arg(ticker.ticks)));
        QVERIFY2(waited < 1500 + 3000, qPrintable(QStringLiteral("%1 ms after 中止").arg(waited)));
        QCOMPARE(result.kind(), FailureKind::Cancelled);
        // A headless office holds none of the user's books: it was ended.
        QTRY_VERIFY_WITH_TIMEOUT(!proc::groupRunning(pid), 5000);
        book.value().reset();

        QElapsedTimer exit;
        exit.start();
        office.reset();
        QVERIFY(exit.elapsed() <= 5000);
        QCOMPARE(luFolders(QStringLiteral("/tmp"), members), QStringList());
        QVERIFY2(!QFileInfo::exists(folder), "the office's folder goes with it");
    }

    void theProgramsEndWaitsAFewSecondsAtMostForAStoppedOffice()
    {
        auto office = std::make_unique<LibreOffice>(options());
        QVERIFY(office->start().ok());
        const pid_t pid = pid_t(office->processId());
        QCOMPARE(::kill(-pid, SIGSTOP), 0);
        QElapsedTimer exit;
        exit.start();
        office.reset();
        QVERIFY2(exit.elapsed() <= 5000, qPrintable(QStringLiteral("%1 ms to end").arg(exit.elapsed())));
        QTRY_VERIFY_WITH_TIMEOUT(!proc::groupRunning(pid), 3000);
        QCOMPARE(officeFolders(), QStringList());
    }

    void theOfficeStartedInTheBackgroundServesTheFirstWorkbook()
    {
        LibreOffice office(options());
        office.startInBackground();
        QStringList shown;
        QTimer sampler;
        connect(&sampler, &QTimer::timeout, this, [&] {
            if (ui::ProgressWindow *w = progressWindow(); w && !shown.contains(w->stepLabel->text()))
                shown << w->stepLabel->text();
        });
        sampler.start(10);
        Status result;
        long long pid = 0;
        ui::runOfficeWork(nullptr, office, QStringLiteral("テスト"), QStringLiteral("書き込んでいます"), [&](Progress &p) {
            auto book = office.createNew();
            result = book.status();
            if (!book.ok()) return;
            pid = office.processId();
            p.step(QStringLiteral("書き込んでいます"));
            result = book.value()->firstSheet().setCell(1, 1, QStringLiteral("在庫"));
            book.value()->close();
        });
        sampler.stop();
        QVERIFY2(result.ok(), qPrintable(result.ok() ? QString() : result.failure().detail));
        QVERIFY(!shown.isEmpty());
        QVERIFY2(shown.first() == kStarting, qPrintable(shown.join(QLatin1Char('|'))));
        QCOMPARE(officeFolders().size(), 1); // one office, started once
        QVERIFY(pid > 1);
        QCOMPARE(office.processId(), pid);
    }
};

QTEST_MAIN(TestOfficeProgress)
#include "tst_office_progress.moc"
