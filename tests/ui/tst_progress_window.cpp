// The progress window, headless, with work that needs no office: it shows
// what the work says and how far it is (as accessible values too), 中止 and
// Esc stop the work and the window closes once it has, the window thread
// keeps answering meanwhile, and the work's messages are shown on the window
// thread.

#include "excel/spreadsheet.h"
#include "excel/window_thread.h"
#include "excel/work_thread.h"
#include "scripted_messages.h"
#include "ui/progress_window.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace kpv;
using namespace kpv::excel;

namespace {

// An application that only has the work thread.
class ThreadOnly : public Spreadsheet {
public:
    Result<std::unique_ptr<Workbook>> bind(const QString &, Access) override
    {
        return Failure{FailureKind::ApplicationFailed, QStringLiteral("none")};
    }
    bool isOpen(const QString &) override { return false; }
    Result<std::unique_ptr<Workbook>> createNew() override
    {
        return Failure{FailureKind::ApplicationFailed, QStringLiteral("none")};
    }
    WorkThread *workThread() override { return &thread; }

    std::atomic<int> breaks{0};
    WorkThread thread{[this] { ++breaks; }, 300};
};

ui::ProgressWindow *progressWindow()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<ui::ProgressWindow *>(w); p && p->isVisible()) return p;
    return nullptr;
}

void waitFor(const std::atomic<bool> &flag, int ms = 10000)
{
    for (int i = 0; i < ms / 2 && !flag; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Records on which thread each message was shown.
class ThreadRecordingMessages : public Messages {
public:
    bool ask(const QString &title, const QString &text) override
    {
        threads << QThread::currentThread();
        return script.ask(title, text);
    }
    void tell(const QString &title, const QString &text) override
    {
        threads << QThread::currentThread();
        script.tell(title, text);
    }
    testing::ScriptedMessages script;
    QList<QThread *> threads;
};

} // namespace

class TestProgressWindow : public QObject {
    Q_OBJECT

private slots:
    void showsWhatTheWorkDoesAndHowFar()
    {
        ThreadOnly office;
        std::atomic<bool> release{false};
        QString step, stepName, count, countName, title, cancelName;
        int value = -1, maximum = -1;
        bool modal = false;
        QTimer::singleShot(300, this, [&] {
            if (ui::ProgressWindow *w = progressWindow()) {
                title = w->titleLabel->text();
                step = w->stepLabel->text();
                stepName = w->stepLabel->accessibleName();
                count = w->countLabel->text();
                countName = w->countLabel->accessibleName();
                value = w->bar->value();
                maximum = w->bar->maximum();
                cancelName = w->cancelButton->accessibleName();
                modal = w->windowModality() == Qt::ApplicationModal;
            }
            release = true;
        });
        ui::runOfficeWork(nullptr, office, QStringLiteral("在庫品台帳Excel出力"), QStringLiteral("書式を作っています"),
                          [&](Progress &p) {
                              p.step(QStringLiteral("在庫品を書き込んでいます"));
                              p.count(1200, 12000);
                              waitFor(release);
                          });
        QCOMPARE(title, QStringLiteral("在庫品台帳Excel出力"));
        QCOMPARE(step, QStringLiteral("在庫品を書き込んでいます"));
        QCOMPARE(stepName, step);
        QCOMPARE(count, QStringLiteral("1,200 / 12,000 件"));
        QCOMPARE(countName, count);
        QCOMPARE(value, 1200);
        QCOMPARE(maximum, 12000);
        QCOMPARE(cancelName, QStringLiteral("中止"));
        QVERIFY(modal);
        QVERIFY(!progressWindow());
    }

    void cancelStopsTheWorkAndTheWindowClosesWhenItHas()
    {
        ThreadOnly office;
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&] { ++ticks; });
        ticker.start(10);
        QString shownAfterCancel;
        bool enabledAfterCancel = true;
        QTimer::singleShot(200, this, [&] {
            ui::ProgressWindow *w = progressWindow();
            if (!w) return;
            w->cancelButton->click();
            shownAfterCancel = w->stepLabel->text();
            enabledAfterCancel = w->cancelButton->isEnabled();
        });
        bool sawCancel = false;
        ui::runOfficeWork(nullptr, office, QStringLiteral("テスト"), QStringLiteral("書き込んでいます"), [&](Progress &p) {
            for (int i = 0; i < 5000 && !p.cancelled(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
            sawCancel = p.cancelled();
            std::this_thread::sleep_for(std::chrono::milliseconds(100)); // unwinding takes a moment
        });
        ticker.stop();
        QVERIFY(sawCancel);
        QCOMPARE(shownAfterCancel, ui::ProgressWindow::cancellingText());
        QVERIFY(!enabledAfterCancel);
        QVERIFY2(ticks >= 15, qPrintable(QString::number(ticks)));
        QCOMPARE(office.breaks.load(), 0); // it stopped within the grace
    }

    void escapeIsCancelAndAStuckCallIsBrokenOff()
    {
        ThreadOnly office;
        std::atomic<bool> brokenOff{false};
        WorkThread thread([&] { brokenOff = true; }, 300);
        struct Stuck : ThreadOnly {
            WorkThread *t = nullptr;
            WorkThread *workThread() override { return t; }
        } stuck;
        stuck.t = &thread;
        QTimer::singleShot(200, this, [&] {
            if (ui::ProgressWindow *w = progressWindow()) QTest::keyClick(w, Qt::Key_Escape);
        });
        QElapsedTimer clock;
        clock.start();
        ui::runOfficeWork(nullptr, stuck, QStringLiteral("テスト"), QStringLiteral("保存しています"),
                          [&](Progress &) { waitFor(brokenOff); }); // a call that only returns when broken off
        QVERIFY(brokenOff);
        QVERIFY(clock.elapsed() < 3000);
    }

    void theWorksMessagesAreShownOnTheWindowThread()
    {
        ThreadOnly office;
        ThreadRecordingMessages boxes;
        boxes.script.answerYes();
        WindowThreadMessages messages(boxes);
        testing::RecordingBusyPointer shown;
        WindowThreadPointer pointer(shown);
        bool answer = false;
        ui::runOfficeWork(nullptr, office, QStringLiteral("テスト"), QStringLiteral("確認しています"), [&](Progress &) {
            answer = messages.ask(QStringLiteral("登録確認"), QStringLiteral("置き換えますか？"));
            messages.tell(QStringLiteral("確認"), QStringLiteral("完了しました。"));
            pointer.setBusy(true); // the progress window shows the busy state: nothing here
        });
        QVERIFY(answer);
        QCOMPARE(boxes.threads.size(), 2);
        for (QThread *t : boxes.threads) QCOMPARE(t, QThread::currentThread());
        QCOMPARE(boxes.script.last().text, QStringLiteral("完了しました。"));
        QCOMPARE(shown.busyCalls(), 0);
        pointer.setBusy(true); // on the window thread it passes
        QCOMPARE(shown.busyCalls(), 1);
    }
};

QTEST_MAIN(TestProgressWindow)
#include "tst_progress_window.moc"
