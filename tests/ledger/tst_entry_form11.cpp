// The card's entry tools on the ledger screen: a new item entered with the
// mouse only (item number and numbers on the calculator, the name from the
// word list, the start of use from the chooser, a refused and an accepted
// month of issues, registering); the calculator and the text box across the
// card's 次 項 and 閉じる (they end with the item they were opened for);
// typed text at 登　録; the refused stock painted while it is told; the word
// list beside the card; the question before unregistered values go.
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "ledger/form12.h"
#include "ledger/pick_list_panel.h"
#include "ledger/start_of_use_panel.h"
#include "storage/dolvb.h"
#include "ui/clickable.h"
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include "ledger_world.h"

#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using namespace kpv;
using namespace kpv::ledger;
using namespace kpv::testing;
using kpv::testing::RecordedMessage;

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

    // The screen on the example ledger with the card correcting A-003
    // (record 3: previous-year stock 10, receipts 5, issues 12, stock 3).
    struct Screen {
        LedgerWorld world{QStringLiteral("ledger30")};
        Form11 w{world.d, {}, QDate(2025, 6, 1)};
        CardPanel &card = w.cardPanel();
        Screen()
        {
            w.show();
            w.listPanel().grid->setRow(5);
            w.listPanel().grid->setCol(2);
            QTest::mouseClick(w.correct, Qt::LeftButton);
            world.messages.clear();
        }
        const LedgerRecord &values() { return w.session().card().values(); }
    };

private slots:
    void calculatorEndsWithItsItem()
    {
        for (const bool close : {false, true}) {
            Screen x;
            const QByteArray record3 = x.world.stored(3).bytes();
            QCOMPARE(x.values().field(0), QStringLiteral("A-003"));
            clickCell(x.card.months, 2, 3);  // June's issues
            QPointer<Form12> calc = x.w.entryHelpers().calculator();
            QVERIFY(calc);
            QTest::mouseClick(calc->key(4), Qt::LeftButton);
            QTest::mouseClick(close ? x.card.close : x.card.next, Qt::LeftButton);
            // Gone with the item it was opened for, before the card moved.
            QVERIFY(!calc);
            QVERIFY(!x.w.entryHelpers().calculator());
            QCOMPARE(x.world.messages.count(), 0);
            if (!close) {
                QCOMPARE(x.values().field(0), QStringLiteral("A-004"));
                QCOMPARE(x.values().cell(2, 3), QString());
                QTest::mouseClick(x.card.registerButton, Qt::LeftButton);
            }
            QCOMPARE(x.world.stored(4).cell(2, 3), QString());
            QCOMPARE(x.world.stored(4).field(10), QStringLiteral("50"));
            QCOMPARE(x.world.stored(3).bytes(), record3);
        }
    }

    void textBoxEndsWithItsItem()
    {
        for (const bool close : {false, true}) {
            for (const bool discard : {true, false}) {
                Screen x;
                clickCell(x.card.fields, 1, 0);
                QLineEdit *text1 = x.w.entryHelpers().textBox();
                QVERIFY(text1->isVisible());
                text1->selectAll();
                QTest::keyClicks(text1, QStringLiteral("NUT"));
                // The typed name is A-003's: the card changed, so the
                // question comes before it goes.
                x.world.messages.answer(discard);
                QTest::mouseClick(close ? x.card.close : x.card.next, Qt::LeftButton);
                QCOMPARE(x.world.messages.count(), 1);
                QVERIFY(x.world.messages.last().text.startsWith(QStringLiteral("この在庫品の変更はまだ登録されていません。")));
                // はい: the tools went with the item; いいえ: all stays as it was.
                QCOMPARE(text1->isVisible(), !discard);
                if (discard) {
                    QCOMPARE(x.card.panel->isVisible(), !close);
                    if (!close) QCOMPARE(x.values().field(0), QStringLiteral("A-004"));
                    if (!close) QCOMPARE(x.values().field(1), QStringLiteral("ﾎﾞﾙﾄ"));
                } else {
                    // Stayed on A-003 with the name typed; registering keeps it.
                    QVERIFY(x.card.panel->isVisible());
                    QCOMPARE(x.values().field(1), QStringLiteral("NUT"));
                    QTest::mouseClick(x.card.registerButton, Qt::LeftButton);
                }
                QCOMPARE(x.world.stored(3).field(1), discard ? QStringLiteral("ボルトM8") : QStringLiteral("NUT"));
                QCOMPARE(x.world.stored(4).field(1), QStringLiteral("ﾎﾞﾙﾄ"));
            }
        }
    }

    void typedTextIsRegistered()
    {
        Screen x;
        clickCell(x.card.fields, 1, 1);
        QLineEdit *text1 = x.w.entryHelpers().textBox();
        text1->selectAll();
        QTest::keyClicks(text1, QStringLiteral("SUS316"));
        QTest::mouseClick(x.card.registerButton, Qt::LeftButton);
        QCOMPARE(x.world.stored(3).field(2), QStringLiteral("SUS316"));
        QCOMPARE(x.card.fields->textMatrix(1, 1), QStringLiteral("SUS316"));
        // A click on another cell stores it too.
        clickCell(x.card.fields, 1, 2);
        text1->selectAll();
        QTest::keyClicks(text1, QStringLiteral("TOYO"));
        clickCell(x.card.months, 1, 5);
        QCOMPARE(x.values().field(3), QStringLiteral("TOYO"));
        QCOMPARE(x.card.fields->textMatrix(1, 2), QStringLiteral("TOYO"));
    }

    void refusedStockIsPaintedWhileTold()
    {
        Screen x;
        QString shown;
        QColor shade;
        x.world.messages.whileShown = [&](const RecordedMessage &) {
            shown = x.card.fields->textMatrix(1, 9);
            shade = x.card.fields->cellBackground(1, 9);
        };
        clickCell(x.card.months, 2, 2);
        keyIn(x.w, {2, 0});  // issues 20 in May: 10 + 5 - 20
        QVERIFY(x.world.messages.last().text.contains(QStringLiteral("この数量では在庫数不足となります。")));
        QCOMPARE(shown, QStringLiteral("-5"));
        QCOMPARE(shade, QColor(255, 192, 203));
        QCOMPARE(x.card.fields->textMatrix(1, 9), QStringLiteral("3"));
        QCOMPARE(x.card.fields->cellBackground(1, 9), QColor(204, 204, 255));
        QCOMPARE(x.card.months->textMatrix(2, 2), QStringLiteral("12"));
    }

    void wordListCoversNoControlOfTheCard()
    {
        Screen x;
        for (const QPoint place : {QPoint(0, 0), QPoint(1660, 6700), QPoint(1660, 1200)}) {
            if (place != QPoint(0, 0)) ui::moveTwips(x.card.panel, place.x(), place.y());
            clickCell(x.card.fields, 1, 0);
            QWidget *list = x.w.entryHelpers().pickListPanel();
            QVERIFY(list->isVisible());
            const QRect listRect(list->mapTo(&x.w, QPoint(0, 0)), list->size());
            QVERIFY(x.w.rect().contains(listRect));
            for (QWidget *c : x.card.panel->findChildren<QWidget *>()) {
                if (!c->isVisible() || c->objectName().isEmpty() || c == x.card.frame) continue;
                const QRect r(c->mapTo(&x.w, QPoint(0, 0)), c->size());
                QVERIFY2(!r.intersects(listRect), qPrintable(c->objectName()));
            }
            QVERIFY(x.w.entryHelpers().pickListPanel()->list()->height() > 100);
        }
    }

    void closingTheScreenAsksForUnregisteredValues()
    {
        Screen x;
        clickCell(x.card.months, 1, 4);
        keyIn(x.w, {7});
        x.world.messages.answerNo();
        QVERIFY(!static_cast<QWidget &>(x.w).close());
        QVERIFY(x.w.isVisible());
        QCOMPARE(x.values().cell(1, 4), QStringLiteral("7"));
        x.world.messages.answerYes();
        QVERIFY(static_cast<QWidget &>(x.w).close());
        QCOMPARE(x.world.stored(3).cell(1, 4), QString());
    }

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
