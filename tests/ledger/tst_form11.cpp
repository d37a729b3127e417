// The ledger screen window on the example ledger: what the list grid shows
// and how it is coloured, paging by its buttons, the card opened from a list
// line, registering through the card's button, and closing.
#include "controls.h"
#include "../menu/menu_world.h"
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "ledger/form12.h"
#include "menu/menu_host.h"
#include "ui/colours.h"
#include "ledger_world.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace kpv;
using kpv::testing::child;
using kpv::testing::click;
using kpv::testing::text;
using kpv::testing::LedgerWorld;

class TestForm11 : public QObject {
    Q_OBJECT


private slots:
    void listPagingCardAndRegister()
    {
        LedgerWorld world(QStringLiteral("ledger30"));
        ledger::Form11 form(world.d, {}, QDate(2026, 1, 5));
        form.show();
        auto *grid = child<ui::FlexGrid>(&form, "f1Grid1");
        QCOMPARE(grid->rows(), 25);
        QCOMPARE(grid->cols(), 29);
        QCOMPARE(grid->columnWidth(1), ui::twipsToPx(2000));
        QCOMPARE(grid->textMatrix(0, 14), QStringLiteral("2025/04月"));
        QCOMPARE(grid->textMatrix(1, 1), QStringLiteral("A-001"));
        QCOMPARE(grid->cellBackground(2, 3), QColor(173, 216, 230));
        QCOMPARE(grid->cellBackground(5, 11), QColor(204, 204, 255)); // record 3 below proper
        QCOMPARE(grid->cellBackground(9, 11), QColor(255, 192, 203)); // record 5 no stock
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数 30"));
        QCOMPARE(text(&form, "Label15"), QStringLiteral(" P 1"));
        QCOMPARE(text(&form, "Label16"), QStringLiteral("266,277"));
        QCOMPARE(text(&form, "Label27"), QStringLiteral("2025/04"));
        QVERIFY(!child(&form, "Picture20")->isVisible());

        click(&form, "Command1");
        QCOMPARE(text(&form, "Label15"), QStringLiteral(" P 2"));
        QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("13"));
        click(&form, "Command2");
        QCOMPARE(grid->textMatrix(1, 0), QStringLiteral("1"));

        // The card from line 5 (record 3).
        grid->setRow(5);
        grid->setCol(2);
        click(&form, "Command23");
        QVERIFY(child(&form, "Picture20")->isVisible());
        QCOMPARE(text(&form, "Label11"), QStringLiteral("訂 正"));
        QCOMPARE(text(&form, "Label23"), QStringLiteral(" No 3"));
        QCOMPARE(text(&form, "Label3"), QStringLiteral("A-003 "));
        auto *fields = child<ui::FlexGrid>(&form, "MSFlexGrid1");
        auto *months = child<ui::FlexGrid>(&form, "MSFlexGrid2");
        QCOMPARE(fields->textMatrix(0, 0), QStringLiteral("品名"));
        QCOMPARE(fields->textMatrix(1, 9), QStringLiteral("3"));
        QCOMPARE(fields->cellBackground(1, 9), QColor(204, 204, 255));
        QCOMPARE(months->textMatrix(0, 1), QStringLiteral("2025/04月"));
        QCOMPARE(months->textMatrix(1, 15), QStringLiteral("166.6"));

        // A click on a month cell is what the entry helpers start from.
        QSignalSpy clicked(&form, &ledger::Form11::monthCellClicked);
        emit months->cellClickedAt(2, 4);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(form.session().entry().state().monthColumn, 4);

        // An entry on the calculator, then the register button.
        ledger::Form12 *calc = form.entryHelpers().calculator();
        QVERIFY(calc);
        QTest::mouseClick(calc->key(3), Qt::LeftButton);
        QTest::mouseClick(calc->confirmButton(), Qt::LeftButton);
        QCOMPARE(fields->textMatrix(1, 9), QStringLiteral("0"));
        QCOMPARE(fields->cellBackground(1, 9), QColor(255, 192, 203));
        click(&form, "Command5");
        QCOMPARE(world.stored(3).field(10), QStringLiteral("0"));
        QCOMPARE(world.stored(3).cell(2, 4), QStringLiteral("3"));
        QCOMPARE(grid->textMatrix(5, 11), QStringLiteral("0"));
        QCOMPARE(grid->cellBackground(5, 11), QColor(255, 192, 203));
        QCOMPARE(text(&form, "Label16"), QStringLiteral("266,172"));
        QVERIFY(child(&form, "Picture20")->isVisible());

        click(&form, "Command37");
        QVERIFY(!child(&form, "Picture20")->isVisible());
        QSignalSpy destroyed(&form, &QObject::destroyed);
        click(&form, "Command4");
        QVERIFY(!form.isVisible());
        QCOMPARE(world.messages.unscripted(), 0);
    }

    // From the menu: its warning boxes lit by the example ledger, the ledger
    // screen through the program's seam, and back to the menu.
    void fromTheMenuAndBack()
    {
        kpv::testing::World w;
        auto c = w.client();
        for (const QString &f : {names::ledger(), names::sharedSettings()})
            QVERIFY(QFile::copy(kpv::test::fixturePath(QStringLiteral("ledger30")) + QLatin1Char('/') + f, c->folder + f));
        menu::MenuHost host(c->d);
        host.registerScreen(menu::Screen::Ledger, [](menu::ScreenServices &s) { return new ledger::Form11(s); });
        host.showMenu();
        QPointer<menu::DolvMenu> m = host.menu();
        QVERIFY(m);
        QCOMPARE(ui::backgroundOf(child(m, "Label28")), QColor(255, 0, 0));
        QCOMPARE(ui::backgroundOf(child(m, "Label32")), QColor(255, 0, 0));
        QTest::mouseClick(child(m, "Command1"), Qt::LeftButton, {}, QPoint(2, 2));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *form = qobject_cast<ledger::Form11 *>(host.screen());
        QVERIFY(form);
        QVERIFY(form->isVisible());
        QCOMPARE(text(form, "Label8"), QStringLiteral("総数 30"));
        click(form, "Command4");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents();
        QVERIFY(host.menu());
        delete host.menu();
    }
};

QTEST_MAIN(TestForm11)
#include "tst_form11.moc"
