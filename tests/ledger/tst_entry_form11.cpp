// A new item entered on the ledger screen with the mouse only: item number
// and numbers on the calculator, the name from the word list, the start of
// use from the chooser, a refused and an accepted month of issues, then
// registering.
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "ledger/form12.h"
#include "ledger/pick_list_panel.h"
#include "ledger/start_of_use_panel.h"
#include "storage/dolvb.h"
#include "ui/clickable.h"
#include "ui/flex_grid.h"

#include "ledger_world.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace kpv;
using namespace kpv::ledger;
using namespace kpv::testing;

class TstEntryForm11 : public QObject {
    Q_OBJECT

    static void clickCell(ui::FlexGrid *g, int row, int col)
    {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, col)).center());
    }
    // Keys of the open calculator, then "決 定".
    static void keyIn(Form11 &w, std::initializer_list<int> keys)
    {
        Form12 *calc = w.entryHelpers().calculator();
        QVERIFY(calc);
        for (int k : keys) QTest::mouseClick(calc->key(k), Qt::LeftButton);
        QTest::mouseClick(calc->confirmButton(), Qt::LeftButton);
    }

private slots:
    void newItemWithTheMouseOnly()
    {
        LedgerWorld world(QStringLiteral("ledger30"));
        ScriptedMessages &messages = world.messages;
        Dolvb &d = world.d;
        Form11 w(d, {}, QDate(2025, 6, 1));
        w.show();
        CardPanel &card = w.cardPanel();
        const LedgerRecord &values = w.session().card().values();

        QTest::mouseClick(w.newItem, Qt::LeftButton);
        QVERIFY(card.panel->isVisible());
        const int newNo = w.session().card().currentRecordNo;

        QTest::mouseClick(card.itemNumber, Qt::LeftButton);
        keyIn(w, {16, 11, 35, 9, 35, 1});
        QCOMPARE(values.field(0), QStringLiteral("FA-9-1"));
        QCOMPARE(card.itemNumber->text(), QStringLiteral("FA-9-1 "));

        clickCell(card.fields, 1, 0);
        QListWidget *list = w.entryHelpers().pickListPanel()->list();
        QVERIFY(list->isVisible());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        QCOMPARE(values.field(1), QStringLiteral("ボルトM8"));
        QCOMPARE(card.fields->textMatrix(1, 0), QStringLiteral("ボルトM8"));

        clickCell(card.fields, 1, 4);
        keyIn(w, {1, 2, 5, 0});
        clickCell(card.fields, 1, 7);
        keyIn(w, {1, 0});
        QCOMPARE(card.fields->textMatrix(1, 4), QStringLiteral("1,250"));
        QCOMPARE(values.field(10), QStringLiteral("10"));

        // Issues of 20 in the second month: refused, the card goes back.
        clickCell(card.months, 2, 2);
        keyIn(w, {2, 0});
        QVERIFY(messages.last().text.contains(QStringLiteral("この数量では在庫数不足となります。")));
        QCOMPARE(values.cell(2, 2), QString());
        QCOMPARE(card.months->textMatrix(2, 2), QString());
        QCOMPARE(values.field(8), QStringLiteral("10"));
        QCOMPARE(values.field(1), QStringLiteral("ボルトM8"));
        // Issues of 4: accepted.
        clickCell(card.months, 2, 2);
        keyIn(w, {4});
        QCOMPARE(values.cell(2, 2), QStringLiteral("4"));
        QCOMPARE(values.field(10), QStringLiteral("6"));
        QCOMPARE(card.fields->textMatrix(1, 9), QStringLiteral("6"));
        QCOMPARE(values.field(6), QStringLiteral("7500"));

        w.entryHelpers().fieldGridClicked(10);
        QComboBox *combo = w.entryHelpers().startOfUsePanel()->combo();
        QVERIFY(combo->isVisible());
        emit combo->activated(combo->findText(QStringLiteral("2025/04")));
        QCOMPARE(values.field(11), QStringLiteral("2025/04"));

        messages.answerYes(5);
        QTest::mouseClick(card.registerButton, Qt::LeftButton);
        QVERIFY(d.openLedger());
        QVERIFY2(d.recordCount == newNo, qPrintable(messages.texts().join(QLatin1Char('|'))));
        QVERIFY(d.readRecord(newNo));
        QCOMPARE(d.recordBuffer.field(0), QStringLiteral("FA-9-1"));
        QCOMPARE(d.recordBuffer.field(10), QStringLiteral("6"));
        QCOMPARE(d.recordBuffer.cell(2, 2), QStringLiteral("4"));
    }

    void panelsMoveAndListViews()
    {
        LedgerWorld world(QStringLiteral("ledger30"));
        ScriptedMessages &messages = world.messages;
        Dolvb &d = world.d;
        Form11 w(d, {}, QDate(2025, 6, 1));
        w.show();
        QTest::mouseClick(w.newItem, Qt::LeftButton);
        CardPanel &card = w.cardPanel();
        const auto clickNamed = [&](const char *name) {
            auto *l = w.findChild<ui::ClickLabel *>(QString::fromLatin1(name));
            QVERIFY2(l, name);
            QTest::mouseClick(l, Qt::LeftButton);
        };
        clickNamed("Picture2");
        QCOMPARE(card.panel->pos(), QPoint(111, 447));  // 1660, 6700 twips
        clickNamed("Picture9");
        QCOMPARE(card.panel->pos(), QPoint(111, 224));
        // Pressed on the frame's background: the card's corner goes to the
        // pointer, held inside the screen.
        const QPoint at = card.frame->mapTo(card.panel->parentWidget(), QPoint(900, 220));
        QTest::mousePress(card.frame, Qt::LeftButton, {}, QPoint(900, 220));
        QCOMPARE(card.panel->pos(), QPoint(944, at.y()));  // left 14160 at most
        clickNamed("Picture11");
        QCOMPARE(w.listPanel().grid->colWidthTwips(2), 1395);
        QCOMPARE(w.listPanel().grid->colWidthTwips(5), 0);
        clickNamed("Picture13");
        QCOMPARE(w.listPanel().grid->colWidthTwips(5), 1800);
        // A page move ends an open calculator: its cell is gone.
        clickCell(card.months, 1, 3);
        QVERIFY(w.entryHelpers().calculator());
        QTest::mouseClick(w.listPanel().nextPage, Qt::LeftButton);
        QVERIFY(!w.entryHelpers().calculator());
        QTest::mouseClick(card.entryHelp, Qt::LeftButton);
        QVERIFY(messages.last().text.startsWith(QStringLiteral("　この枠表を使ってデータの編集・登録を行います。")));
    }
};

QTEST_MAIN(TstEntryForm11)
#include "tst_entry_form11.moc"
