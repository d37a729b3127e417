// The common documents screen, headless: the files of "M在庫資料" newest
// first, the name filter, opening in the office or the desktop, and the
// daily book a new data folder gets.

#include "menu/common_documents.h"
#include "menu/first_start.h"
#include "ui/flex_grid.h"
#include "workbook_world.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namespace kpv;
using namespace kpv::testing;

class TestCommonDocuments : public QObject {
    Q_OBJECT

    static void touch(const QString &path, int minutesAgo, const QByteArray &bytes = "x")
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.flush();
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime));
    }

private slots:
    void listsNewestFirstFiltersAndOpens()
    {
        WorkbookWorld w;
        const QString folder = w.data + names::materialsFolder() + QChar('/');
        touch(folder + QStringLiteral("在庫品仕様0001.xls"), 30);
        touch(folder + QStringLiteral("手順書ABC.pdf"), 5);
        touch(folder + QStringLiteral("在庫品仕様0002.xls"), 10);
        touch(folder + QStringLiteral(".~lock.在庫品仕様0002.xls#"), 1);
        QDir().mkpath(folder + QStringLiteral("古い資料"));
        // A real workbook for the office to open.
        QFile::remove(folder + QStringLiteral("在庫品仕様0001.xls"));
        QVERIFY(QFile::copy(excel::ExcelTemplatePath(w.client), folder + QStringLiteral("在庫品仕様0001.xls")));
        QFile f(folder + QStringLiteral("在庫品仕様0001.xls"));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-1800), QFileDevice::FileModificationTime));
        f.close();

        QStringList desktop;
        menu::ScreenServices services{w.d, w.office.get(), {}};
        menu::CommonDocuments screen(services, [&](const QString &p) { desktop << p; return true; });
        screen.show();
        auto names = [&] {
            QStringList out;
            for (int r = 1; r < screen.list->rows(); ++r) out << screen.list->textMatrix(r, 0);
            return out;
        };
        QCOMPARE(names(), (QStringList{QStringLiteral("手順書ABC.pdf"), QStringLiteral("在庫品仕様0002.xls"),
                                       QStringLiteral("在庫品仕様0001.xls")}));

        screen.filter->setText(QStringLiteral("仕様　0001"));
        QCOMPARE(names(), QStringList{QStringLiteral("在庫品仕様0001.xls")});
        QVERIFY(screen.openRow(1)); // in the office
        QVERIFY(desktop.isEmpty());
        QCOMPARE(w.messages.count(), 0);

        screen.filter->setText(QStringLiteral("ａｂｃ"));
        QCOMPARE(names(), QStringList{QStringLiteral("手順書ABC.pdf")});
        screen.list->setRow(1);
        screen.open->click();
        QCOMPARE(desktop, QStringList{folder + QStringLiteral("手順書ABC.pdf")});

        QFile::remove(folder + QStringLiteral("手順書ABC.pdf"));
        QVERIFY(!screen.openRow(1)); // gone meanwhile: told, list read again
        QCOMPARE(w.messages.count(), 1);
        QCOMPARE(screen.list->rows(), 1);
        screen.back->click();
        QVERIFY(!screen.isVisible());
    }

    void newFolderGetsTheDailyBookOnceAndKeepsAnExistingOne()
    {
        WorkbookWorld w;
        const QString fresh = withSlash(w.tmp.path()) + QStringLiteral("fresh/");
        QDir().mkpath(fresh);
        QVERIFY(!menu::FirstStart::setUpDailyBook(w.d, fresh)); // no blank in the program folder yet
        const QString blank = w.client + names::templatesFolder() + QStringLiteral("/Mb入出庫月報.xls");
        QVERIFY(QFile::copy(withSlash(qEnvironmentVariable("KPV_APP_DIR")) + QStringLiteral("原本Excel/Mb入出庫月報.xls"), blank));
        QVERIFY(menu::FirstStart::setUpDailyBook(w.d, fresh));
        const QString book = fresh + names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls");
        QCOMPARE(QFileInfo(book).size(), QFileInfo(blank).size());
        QVERIFY(QFileInfo(fresh + names::ledgerBooksFolder()).isDir());
        touch(book, 0, "users book");
        QVERIFY(menu::FirstStart::setUpDailyBook(w.d, fresh));
        QCOMPARE(QFileInfo(book).size(), qint64(10));
    }
};

QTEST_MAIN(TestCommonDocuments)
#include "test_common_documents.moc"
