// The settings window: what loading shows, and the controls reaching the
// rules (label edit, count bound, word-list editing by keys and buttons,
// the backup switch, the return to the program folder).
#include "menu/menu_host.h"
#include "settings/data_folder_panel.h"
#include "settings/form2.h"
#include "settings/names_panel.h"
#include "settings/pick_list_panel.h"
#include "settings_world.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"

#include <QTest>

using namespace kpv;
using namespace kpv::settings;
using kpv::testing::SettingsWorld;

namespace {

const QDate kToday(2026, 12, 9);

void clickCell(ui::FlexGrid *g, int row, int col)
{
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, col)).center());
}

void clickLabel(QWidget *w)
{
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2));
}

QString gridWords(ui::FlexGrid *g)
{
    QStringList out;
    for (int r = 1; r < g->rows(); ++r) out << g->textMatrix(r, 2);
    return out.join(u',');
}

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private slots:
    void loadShowsSettingsAndHidesPanels()
    {
        SettingsWorld w({{"a", "b", "c"}}, 3);
        w.d.appTitle = QStringLiteral("KPV予備品管理");
        w.d.clientSettings.set(14, QStringLiteral("1"));
        w.d.sharedSettings.set(9, QStringLiteral("2019/04")); // outside the offered years
        w.d.saveSharedSettings();
        Form2 f(w.d, nullptr, kToday);
        QCOMPARE(f.windowTitle(), QStringLiteral("KPV予備品管理　初期設定"));
        auto *grid = f.namesPanel()->grid();
        QCOMPARE(grid->textMatrix(0, 0), QStringLiteral("品番"));
        QCOMPARE(grid->textMatrix(5, 0), QStringLiteral("単位"));
        QCOMPARE(grid->textMatrix(0, 1), QString());
        QCOMPARE(grid->textMatrix(3, 1), QStringLiteral("3"));
        QCOMPARE(f.listButton(2)->text(), QStringLiteral("品名"));
        QCOMPARE(f.listButton(6)->text(), QStringLiteral("単位"));
        QCOMPARE(f.startMonth()->count(), 36);
        QCOMPARE(f.startMonth()->currentText(), QStringLiteral("2019/04"));
        QCOMPARE(f.startMonthLabel()->text(), QStringLiteral("2019/04"));
        QVERIFY(f.namesPanel()->isHidden() && f.pickListPanel()->isHidden() && f.dataFolderPanel()->isHidden());
        QVERIFY(f.findChild<QWidget *>(QStringLiteral("Command41"))->isHidden());
        QVERIFY(f.namesPanel()->explainButton()->isHidden());
        QVERIFY(f.dataFolderPanel()->explainButton()->isHidden());
        QCOMPARE(ui::backgroundOf(f.setupPositionBox()), ui::switchOnColour());
        QCOMPARE(ui::backgroundOf(f.backupOnBox()), ui::switchOffColour());
        QCOMPARE(f.namesPanel()->countChooser()->count(), 100);
    }

    void labelsCountsAndTheBound()
    {
        SettingsWorld w;
        Form2 f(w.d, nullptr, kToday);
        f.show();
        QTest::mouseClick(f.findChild<QWidget *>(QStringLiteral("Command11")), Qt::LeftButton);
        auto *panel = f.namesPanel();
        QVERIFY(panel->isVisible());
        clickCell(panel->grid(), 1, 0);
        QVERIFY(panel->labelEditor()->isVisible());
        panel->labelEditor()->setText(QStringLiteral("  部品名 "));
        QTest::keyClick(panel->labelEditor(), Qt::Key_Return);
        QVERIFY(panel->labelEditor()->isHidden());
        QCOMPARE(panel->grid()->textMatrix(1, 0), QStringLiteral("部品名"));
        QCOMPARE(f.listButton(2)->text(), QStringLiteral("部品名"));

        clickCell(panel->grid(), 0, 1);
        QCOMPARE(w.messages.last().text, QStringLiteral("設定枠ではありません。"));
        QVERIFY(panel->countChooser()->isHidden());

        auto *bound = panel->boundChooser();
        bound->setCurrentIndex(bound->findText(QStringLiteral("50")));
        emit bound->activated(bound->currentIndex());
        QCOMPARE(panel->countChooser()->count(), 50);
        QCOMPARE(ui::backgroundOf(panel->boundSign()), QColor(255, 0, 0));
        QCOMPARE(w.sharedFile().value(22), QStringLiteral("50"));

        // The label reaches the file only by 登録.
        QCOMPARE(w.sharedFile().value(15), QStringLiteral("品名"));
        QTest::mouseClick(panel->registerButton(), Qt::LeftButton);
        QCOMPARE(w.sharedFile().value(15), QStringLiteral("部品名"));
    }

    void wordListByKeysAndButtons()
    {
        SettingsWorld w({{"a", "b", "c"}}, 3);
        Form2 f(w.d, nullptr, kToday);
        f.show();
        QTest::mouseClick(f.listButton(2), Qt::LeftButton);
        auto *panel = f.pickListPanel();
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->titleLabel()->text(), QStringLiteral("品名"));
        QCOMPARE(panel->countLabel()->text(), QStringLiteral("3"));
        QCOMPARE(gridWords(panel->grid()), QStringLiteral("a,b,c"));

        clickCell(panel->grid(), 1, 2);
        QTest::keyClick(panel->entryEditor(), Qt::Key_Up);
        QCOMPARE(panel->grid()->row(), 3);
        QCOMPARE(panel->entryEditor()->text(), QStringLiteral("c"));
        panel->entryEditor()->setText(QStringLiteral("z"));
        QTest::keyClick(panel->entryEditor(), Qt::Key_Return);
        QCOMPARE(panel->grid()->row(), 1);
        QCOMPARE(gridWords(panel->grid()), QStringLiteral("a,b,z"));

        w.messages.answerNo();
        QTest::mouseClick(panel->button(QStringLiteral("Command37")), Qt::LeftButton);
        QCOMPARE(gridWords(panel->grid()), QStringLiteral("a,b,z"));
        w.messages.answerYes();
        QTest::mouseClick(panel->button(QStringLiteral("Command37")), Qt::LeftButton);
        QCOMPARE(gridWords(panel->grid()), QStringLiteral("　,a,b"));

        QTest::mouseClick(panel->button(QStringLiteral("Command3")), Qt::LeftButton);
        w.d.loadPickLists();
        QCOMPARE(w.d.pickListTable.word(2, 2), QStringLiteral("a"));
        QCOMPARE(w.messages.unscripted(), 0);
    }

    void openedFromTheMenuAndBackShowingTheNewLabel()
    {
        SettingsWorld w;
        menu::MenuHost host(w.d, nullptr, [] {});
        host.registerScreen(menu::Screen::Settings, [](menu::ScreenServices &s) { return new Form2(s.d, s.spreadsheet); });
        host.showMenu();
        QVERIFY(host.menu());
        QTest::mouseClick(host.menu()->findChild<QPushButton *>(QStringLiteral("Command2")), Qt::LeftButton);
        QTRY_VERIFY(qobject_cast<Form2 *>(host.screen()));
        auto *f = qobject_cast<Form2 *>(host.screen());
        f->namesCounts().setLabel(5, QStringLiteral("数量単位"));
        f->namesCounts().registerChanges();
        QTest::mouseClick(f->findChild<QPushButton *>(QStringLiteral("Command5")), Qt::LeftButton);
        QTRY_VERIFY(!host.screen() && host.menu());
        QCOMPARE(w.d.itemLabels[9], QStringLiteral("数量単位")); // the start-up built the labels from the file
        QCOMPARE(w.messages.unscripted(), 0);
    }

    void backupSwitchAndReturnToTheProgramFolder()
    {
        SettingsWorld w({{"a"}}, 1);
        const QString other = kpv::testing::withSlash(w.dir.path() + QStringLiteral("/other"));
        QDir().mkpath(other);
        Form2 f(w.d, nullptr, kToday);
        f.show();
        w.messages.answerYes();
        clickLabel(f.backupOnBox());
        QCOMPARE(ui::backgroundOf(f.backupOnBox()), ui::switchOnColour());
        QCOMPARE(w.clientFile().value(18), QStringLiteral("1"));

        // Confirm a typed folder, then come back to the program folder.
        QTest::mouseClick(f.findChild<QWidget *>(QStringLiteral("Command39")), Qt::LeftButton);
        auto *panel = f.dataFolderPanel();
        clickLabel(f.dataFolderLabel());
        QVERIFY(panel->pathEditor()->isVisible());
        panel->pathEditor()->setText(other);
        w.messages.answerYes();
        QTest::keyClick(panel->pathEditor(), Qt::Key_Return);
        QVERIFY(panel->transferButton()->isVisible());
        QCOMPARE(w.d.dataFolder, other);
        QCOMPARE(ui::backgroundOf(f.dataPositionBox()), ui::switchOnColour());

        w.messages.answerYes();
        clickLabel(f.setupPositionBox());
        QCOMPARE(w.d.dataFolder, w.client);
        QCOMPARE(f.dataFolderLabel()->text(), w.client);
        QCOMPARE(ui::backgroundOf(f.setupPositionBox()), ui::switchOnColour());
        QCOMPARE(w.messages.unscripted(), 0);
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
