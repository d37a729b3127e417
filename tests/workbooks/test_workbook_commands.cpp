// The ledger screen's workbook buttons, headless, against the shared office:
// the questions, the first-click explanations, the progress notice and where
// the results land.

#include "excel/ledger_output.h"
#include "excel/monthly_import.h"
#include "ledger/form11.h"
#include "ledger/workbook_commands.h"
#include "ui/clickable.h"
#include "ui/progress_window.h"
#include "workbook_world.h"

#include <QApplication>
#include <QLabel>
#include <QThread>
#include <QTimer>
#include <QPushButton>
#include <QtTest>

using namespace kpv;
using namespace kpv::testing;

class TestWorkbookCommands : public QObject {
    Q_OBJECT

    static std::vector<LedgerRecord> items(int n)
    {
        std::vector<LedgerRecord> out;
        for (int i = 1; i <= n; ++i) out.push_back(recordOf(Item{QStringLiteral("B-%1").arg(i), QStringLiteral("品")}));
        return out;
    }

private slots:
    void ledgerOutputAsksAndWritesTheDaysBook()
    {
        WorkbookWorld w;
        w.writeLedger(items(3));
        ledger::Form11 form(w.d);
        ledger::MonthlyExplained explained;
        auto *commands = new ledger::WorkbookCommands(form, w.office.get(), explained);
        commands->setShowResults(false);
        const QString path = workbooks::LedgerOutput::outputPath(w.data, QDate::currentDate());

        w.messages.answerNo();
        form.ledgerBook->click();
        QCOMPARE(w.messages.last().text, QStringLiteral("在庫品台帳Excelを出力しますか？　"));
        QVERIFY(!QFileInfo::exists(path));

        w.messages.answerYes();
        form.ledgerBook->click();
        QVERIFY(QFileInfo::exists(path));
        QVERIFY(form.progress->isHidden());
        QCOMPARE(w.messages.unscripted(), 0);

        // A second output of the day asks from the office's work thread; the
        // question is shown on the window thread all the same, behind it the
        // progress window, and the day's book is replaced.
        const QDateTime first = QFileInfo(path).lastModified();
        w.messages.answerYes(2);
        QString shownStep;
        QTimer::singleShot(0, &form, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (auto *p = qobject_cast<ui::ProgressWindow *>(top)) shownStep = p->windowTitle();
        });
        form.ledgerBook->click();
        QCOMPARE(w.messages.count(), 4);
        QVERIFY(w.messages.last().text.contains(QStringLiteral("置き換えますか")));
        for (const RecordedMessage &m : w.messages.log()) QCOMPARE(m.thread, QThread::currentThread());
        QCOMPARE(shownStep, QStringLiteral("在庫品台帳Excel出力"));
        QVERIFY(QFileInfo(path).lastModified() >= first);
        QVERIFY(form.progress->isHidden());
    }

    void monthlyButtonsExplainOnTheirFirstClickOnly()
    {
        WorkbookWorld w;
        w.d.sharedSettings.set(20, QStringLiteral("1"));
        w.writeLedger(items(2));
        QVERIFY(QFile::copy(withSlash(qEnvironmentVariable("KPV_APP_DIR")) + QStringLiteral("原本Excel/Mb入出庫月報.xls"),
                            workbooks::dailyBookPath(w.data)));
        ledger::Form11 form(w.d);
        form.show();
        ledger::MonthlyExplained explained;
        auto *commands = new ledger::WorkbookCommands(form, w.office.get(), explained);
        commands->setShowResults(false);
        QVERIFY(commands->importButton && commands->editButton && commands->progressNote);

        w.messages.answerNo(); // the answer changes nothing
        form.monthlyImport->click();
        QVERIFY(w.messages.last().text.startsWith(QStringLiteral("日毎予備品入出庫数量編集\r")));
        QVERIFY(form.importPanel->isVisible());
        QCOMPARE(form.importPanel->pos(), QPoint(8760 / 15, 720 / 15));
        const int asked = w.messages.count();
        form.importPanel->hide();
        form.monthlyImport->click();
        QCOMPARE(w.messages.count(), asked); // no second explanation
        QVERIFY(form.importPanel->isVisible());

        w.messages.answerNo();
        commands->importButton->click(); // explained, not run
        QVERIFY(w.messages.last().text.startsWith(QStringLiteral("日毎予備品入出庫数量取り込み\r")));
        QVERIFY(form.importPanel->isVisible());

        commands->importButton->click(); // runs at once: the shipped book holds no pair and is refused
        QVERIFY(form.importPanel->isHidden());
        QVERIFY(w.messages.last().text.startsWith(workbooks::dailyBookPath(w.data) + QStringLiteral("\r　4行目から取り込む入出庫")));
        QCOMPARE(commands->progressNote->text(), QStringLiteral("Excel出力中"));
        QVERIFY(form.progress->isHidden());
        QCOMPARE(w.messages.unscripted(), 0);
    }

    void specificationOfAnUnregisteredCardIsRefused()
    {
        WorkbookWorld w;
        w.writeLedger(items(1));
        ledger::Form11 form(w.d);
        ledger::MonthlyExplained explained;
        new ledger::WorkbookCommands(form, w.office.get(), explained);
        form.newItem->click();
        form.cardPanel().specBook->click();
        QCOMPARE(w.messages.last().title, QStringLiteral("設備台帳確認"));
        QCOMPARE(QDir(w.data + names::materialsFolder()).entryList(QDir::Files), QStringList());
    }

    void withoutAnOfficeTheUserIsTold()
    {
        WorkbookWorld w;
        w.writeLedger(items(1));
        ledger::Form11 form(w.d);
        ledger::MonthlyExplained explained;
        auto *commands = new ledger::WorkbookCommands(form, nullptr, explained);
        commands->outputList({1});
        QCOMPARE(w.messages.last().title, QStringLiteral("Excel出力異常"));
    }
};

QTEST_MAIN(TestWorkbookCommands)
#include "test_workbook_commands.moc"
