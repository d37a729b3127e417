// The import screen, headless: the load, the prepared states, the folder
// panel and its registration, and a ledger import from the screen.

#include "controls.h"
#include "import/form10.h"
#include "import/ledger_import.h"
#include "import_world.h"
#include "ui/colours.h"

#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>

using namespace kpv;
using kpv::testing::child;
using kpv::testing::click;
using kpv::testing::text;
using namespace kpv::testing;

class TstForm10 : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ImportWorld> w;
    int ended = 0;

    std::unique_ptr<import::Form10> open()
    {
        menu::ScreenServices services{w->d, w->office.get(), [this] { ++ended; }};
        auto f = std::make_unique<import::Form10>(services);
        f->show();
        return f;
    }
    // Which of the named controls are shown.
    static QStringList shown(QWidget *f, const QStringList &names)
    {
        QStringList out;
        for (const QString &n : names)
            if (!child(f, n.toLatin1().constData())->isHidden()) out << n;
        return out;
    }
    const QStringList kButtons{"Command5", "Command6", "Command7", "Command8", "Command10", "Command11", "Picture2"};

private slots:
    void init()
    {
        w = std::make_unique<ImportWorld>();
        ended = 0;
        w->d.appTitle = QStringLiteral("予備品管理");
    }
    void cleanup() { w.reset(); }

    void loadShowsFoldersAndKeepsOtherClientsSettings()
    {
        // Another client saved slot 20 after this one loaded its settings.
        SettingsSlots file = w->sharedFile();
        file.set(20, "1");
        writeSettingsFile(w->d.sharedSettingsPath(), file);
        w->d.clientSettings.set(14, "1");
        auto f = open();
        QCOMPARE(f->windowTitle(), QStringLiteral("予備品管理　インポート "));
        QCOMPARE(text(f.get(), "Label4"), w->data);
        QCOMPARE(text(f.get(), "Label3"), w->books);
        QCOMPARE(text(f.get(), "Label1"), QStringLiteral("予備品データインポート"));
        QCOMPARE(shown(f.get(), kButtons), QStringList({"Command5", "Command7", "Command10"}));
        QVERIFY(child(f.get(), "Command44")->isHidden());
        QCOMPARE(w->sharedFile().value(20), QStringLiteral("1"));
        QVERIFY(!f->stoppedAtLoad());
        QCOMPARE(w->messages.count(), 0);
    }

    void allClientsStoppedEndsTheProgram()
    {
        SettingsSlots file = w->sharedFile();
        file.set(1, "1");
        writeSettingsFile(w->d.sharedSettingsPath(), file);
        auto f = open();
        QVERIFY(f->stoppedAtLoad());
        QCOMPARE(w->messages.last().title, QStringLiteral("管理確認"));
        QTRY_COMPARE(ended, 1);
    }

    void preparedStatesAndCancel()
    {
        auto f = open();
        click(f.get(), "Command5");
        QCOMPARE(shown(f.get(), kButtons), QStringList({"Command6", "Command8", "Picture2"}));
        QCOMPARE(text(f.get(), "Label8"), QStringLiteral("在庫リスト"));
        QCOMPARE(text(f.get(), "Label5"), QStringLiteral("0"));
        click(f.get(), "Command8");
        QCOMPARE(shown(f.get(), kButtons), QStringList({"Command5", "Command7", "Command10"}));
        QCOMPARE(text(f.get(), "Label8"), QString());
        click(f.get(), "Command10");
        QCOMPARE(shown(f.get(), kButtons), QStringList({"Command8", "Command11", "Picture2"}));
        QCOMPARE(text(f.get(), "Label8"), QStringLiteral("在庫品項目"));
        QCOMPARE(text(f.get(), "Label5"), QString());
    }

    void chosenFolderListsItsBooksAndRegistersWithOneSeparator()
    {
        const QString folder = withSlash(w->tmp.path()) + QStringLiteral("取込");
        QDir().mkpath(folder);
        for (const char *name : {"a.xls", "B.XLS", "c.xlsx", "d.txt"}) {
            QFile file(folder + "/" + QString::fromLatin1(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        auto f = open();
        click(f.get(), "Command5");
        f->chooseFolder(folder + QStringLiteral("//"));
        QCOMPARE(text(f.get(), "Label3"), folder + "/");
        QCOMPARE(ui::backgroundOf(child(f.get(), "Label3")), QColor(255, 192, 192));
        auto *list = child<QListWidget>(f.get(), "List1");
        QStringList names;
        for (int i = 0; i < list->count(); ++i) names << list->item(i)->text();
        names.sort(Qt::CaseInsensitive);
        QCOMPARE(names, QStringList({"a.xls", "B.XLS"}));
        QCOMPARE(w->sharedFile().value(10), w->books); // chosen, not registered yet

        // A click in the list only explains.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        QCOMPARE(w->messages.last().text.section('\r', 0, 0), QStringLiteral("インポートフォルダー設定"));

        click(f.get(), "Command9");
        QCOMPARE(w->sharedFile().value(10), folder + "/");
        f->chooseFolder(w->books);
        QCOMPARE(child<QListWidget>(f.get(), "List1")->count(), 0);
    }

    void registeringWithoutAFolderIsRefused()
    {
        w->d.sharedSettings.set(10, QString());
        writeSettingsFile(w->d.sharedSettingsPath(), w->d.sharedSettings);
        auto f = open();
        click(f.get(), "Command5");
        click(f.get(), "Command9");
        QCOMPARE(w->messages.last().text, QStringLiteral("インポート元のフォルダーが設定されてません。　"));
        QCOMPARE(w->sharedFile().value(10), QString());
    }

    void ledgerImportFromTheScreenShowsTheCountAndLightsLabel11()
    {
        if (qEnvironmentVariableIsEmpty("KPV_SOFFICE_PIPE")) QSKIP("needs the suite's shared office (run through ctest)");
        w->makeLedgerBook(QStringLiteral("2025/04"), {{{{3, "A-1"}, {4, QStringLiteral("弁")}}, {}},
                                                      {{{3, "A-2"}, {4, QStringLiteral("軸受")}}, {}}});
        auto f = open();
        click(f.get(), "Command5");
        click(f.get(), "Command6");
        QCOMPARE(w->messages.last().text, import::LedgerImport::completionText(2, 0));
        QCOMPARE(text(f.get(), "Label5"), QStringLiteral("2"));
        QCOMPARE(text(f.get(), "Label3"), w->books + import::ledgerBookName());
        QCOMPARE(child<QProgressBar>(f.get(), "ProgressImport")->value(), 2);
        QCOMPARE(ui::backgroundOf(child(f.get(), "Label11")), QColor(255, 0, 0));
        QVERIFY(child(f.get(), "Picture2")->isHidden());

        // A book that is none: refused, named, the count shows the ledger as it is.
        QFile::remove(w->books + import::ledgerBookName());
        QFile html(w->books + import::ledgerBookName());
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write("<html><body>A-1</body></html>");
        html.close();
        click(f.get(), "Command8");
        click(f.get(), "Command5");
        click(f.get(), "Command6");
        QVERIFY(w->messages.last().text.startsWith(w->books + import::ledgerBookName() + "\r　Excel 97-2003"));
        QCOMPARE(text(f.get(), "Label5"), QStringLiteral("2"));
        // The folder registered afterwards is the folder, not the book's path.
        click(f.get(), "Command8");
        f->chooseFolder(w->books);
        click(f.get(), "Command9");
        QCOMPARE(w->sharedFile().value(10), w->books);
    }
};

QTEST_MAIN(TstForm10)
#include "tst_form10.moc"
