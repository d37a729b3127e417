// The entry tools on a screen: the text box and word list, the start-of-use
// chooser and the calculator window, on a stand-in card.
#include "ledger/entry_helpers.h"
#include "ledger/form12.h"
#include "ledger/pick_list_panel.h"
#include "storage/dolvb.h"

#include "entry_fake_card.h"
#include "scripted_messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

using namespace kpv;
using namespace kpv::ledger;
using namespace kpv::testing;

class TstEntryScreen : public QObject {
    Q_OBJECT

    struct World {
        ScriptedMessages messages;
        RecordingBusyPointer pointer;
        Dolvb d{messages, pointer};
        FakeCard card;
        EntryRouter router{d, card};
        QWidget screen;
        EntryHelpers *helpers;
        explicit World(bool decimal = false, bool hideHelp = false)
        {
            d.sharedSettings.setSwitch(21, decimal);
            d.clientSettings.setSwitch(14, hideHelp);
            screen.resize(1280, 700);
            helpers = new EntryHelpers(d, router, &screen, 2025);
            screen.show();
        }
        Form12 *calc() const { return helpers->calculator(); }
    };

    static void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }
    // The window lies wholly in the screen's available area, as near its
    // place as that allows.
    static void expectPlaced(Form12 *calc, QPoint wanted)
    {
        const QRect area = calc->screen()->availableGeometry();
        QVERIFY(area.contains(calc->frameGeometry()));
        QCOMPARE(calc->pos(), Calculator::placeInside(wanted, calc->frameGeometry().size(), area));
    }

private slots:
    void calculatorBuildsReplacesAndConfirms()
    {
        World w;
        w.card.record.setCell(2, 3, QStringLiteral("35"));
        w.helpers->monthGridClicked(2, 3);
        Form12 *calc = w.calc();
        QVERIFY(calc && calc->isVisible());
        // At its place (933, 80 px), moved only as far as the screen needs.
        expectPlaced(calc, QPoint(933, 80));
        QCOMPARE(calc->readout()->text(), QStringLiteral("35"));
        QVERIFY(calc->typingBox()->isVisible());
        for (int k : {1, 2, 0}) click(calc->key(k));
        QCOMPARE(calc->readout()->text(), QStringLiteral("120"));
        QVERIFY(!calc->typingBox()->isVisible());
        click(calc->confirmButton());
        QTRY_VERIFY(!w.calc());
        QCOMPARE(w.card.record.cell(2, 3), QStringLiteral("120"));
        QCOMPARE(w.card.monthCellText(2, 3), QStringLiteral("120"));
        QCOMPARE(w.card.recomputed, QStringList{QStringLiteral("stock 3")});

        // "閉じる" after building a value writes nothing; a second click on
        // the card closes an open calculator first.
        w.helpers->fieldGridClicked(7);
        QPointer<Form12> first = w.calc();
        click(first->key(5));
        w.helpers->monthGridClicked(1, 14);
        QVERIFY(!first);
        QCOMPARE(w.screen.findChildren<Form12 *>().size(), 1);
        click(w.calc()->key(9));
        click(w.calc()->closeButton());
        QTRY_VERIFY(!w.calc());
        QCOMPARE(w.card.record.field(8), QString());
        QCOMPARE(w.card.record.cell(1, 14), QString());
    }

    void calculatorKeysByMode()
    {
        for (bool decimal : {false, true}) {
            World w(decimal, !decimal);
            w.card.record.setField(0, QStringLiteral("X1"));
            w.helpers->itemNumberClicked();
            Form12 *calc = w.calc();
            expectPlaced(calc, QPoint(800, 160));
            QCOMPARE(calc->key(10)->isVisible(), decimal);
            QCOMPARE(calc->key(35)->geometry(), decimal ? QRect(264, 136, 49, 32) : QRect(216, 136, 97, 32));
            QCOMPARE(calc->helpButton()->isVisible(), decimal);
            QCOMPARE(w.screen.findChildren<QPushButton *>(QRegularExpression(QStringLiteral("^number_\\d+$"))).size(), 40);
            // Letters and "-" from the keys are stored as keyed; "/" cannot
            // be part of a file name and is refused, the window stays.
            for (int k : {13, 11, 35, 7, 36, 2}) click(calc->key(k));
            click(calc->confirmButton());
            QVERIFY(w.calc());
            QCOMPARE(w.messages.last().text, QStringLiteral("在庫品番号の文字「/」はファイル名に使えません。　"));
            QCOMPARE(w.card.record.field(0), QStringLiteral("X1"));
            click(calc->cancelButton());
            for (int k : {13, 11, 35, 7, 35, 2}) click(calc->key(k));
            click(calc->confirmButton());
            QCOMPARE(w.card.record.field(0), QStringLiteral("CA-7-2"));
            QCOMPARE(w.card.itemNumber, QStringLiteral("CA-7-2 "));
        }
    }

    void typingBoxConfirmsAndRefusals()
    {
        World w;
        w.card.record.setField(5, QStringLiteral("800"));
        w.helpers->fieldGridClicked(4);
        Form12 *calc = w.calc();
        QCOMPARE(calc->typingBox()->text(), QStringLiteral("800"));
        QVERIFY(!calc->typedConfirmButton()->isVisible());
        QTest::mouseClick(calc->typingBox(), Qt::LeftButton);
        QVERIFY(calc->typedConfirmButton()->isVisible());
        calc->typingBox()->setText(QStringLiteral("1😀"));
        QTest::keyClick(calc->typingBox(), Qt::Key_Return);
        // Refused: nothing stored, the window stays with the text to mend.
        QVERIFY(w.calc());
        QVERIFY(w.messages.last().text.contains(QStringLiteral("😀")));
        QCOMPARE(w.card.record.field(5), QStringLiteral("800"));
        calc->typingBox()->setText(QStringLiteral(" 1250 "));
        click(calc->typedConfirmButton());
        QTRY_VERIFY(!w.calc());
        QCOMPARE(w.card.record.field(5), QStringLiteral("1250"));
        QCOMPARE(w.card.fieldCellText(4), QStringLiteral("1,250"));
        QCOMPARE(w.card.recomputed, QStringList{QStringLiteral("value")});
    }

    // The large "決 定" takes what was given last: the typed value, which the
    // display follows, or the keys pressed after it.
    void bigConfirmTakesWhatWasTypedLast()
    {
        World w;
        w.card.record.setCell(1, 6, QStringLiteral("35"));
        w.helpers->monthGridClicked(1, 6);
        Form12 *calc = w.calc();
        QTest::mouseClick(calc->typingBox(), Qt::LeftButton);
        calc->typingBox()->selectAll();
        QTest::keyClicks(calc->typingBox(), QStringLiteral("1,250"));
        QCOMPARE(calc->readout()->text(), QStringLiteral("1,250"));
        click(calc->confirmButton());
        QTRY_VERIFY(!w.calc());
        QCOMPARE(w.card.record.cell(1, 6), QStringLiteral("1250"));

        w.helpers->monthGridClicked(1, 6);
        calc = w.calc();
        QTest::keyClicks(calc->typingBox(), QStringLiteral("9"));
        click(calc->key(4));
        QCOMPARE(calc->readout()->text(), QStringLiteral("4"));
        click(calc->confirmButton());
        QTRY_VERIFY(!w.calc());
        QCOMPARE(w.card.record.cell(1, 6), QStringLiteral("4"));
    }

    void textBoxAndWordList()
    {
        World w;
        w.d.sharedSettings.set(6, QStringLiteral("3"));  // list 5: locations
        for (int i = 1; i <= 3; ++i) w.d.pickListTable.setWord(i, 5, QStringLiteral("棚%1").arg(i));
        w.card.record.setField(4, QStringLiteral("倉庫 "));
        w.card.fieldCol = 3;
        w.helpers->fieldGridClicked(3);
        QLineEdit *text1 = w.helpers->textBox();
        PickListPanel *panel = w.helpers->pickListPanel();
        QVERIFY(text1->isVisible() && panel->isVisible());
        QCOMPARE(text1->text(), QStringLiteral("倉庫"));
        QCOMPARE(text1->cursorPosition(), 2);
        QCOMPARE(panel->captionLabel()->text(), QStringLiteral("保管場所"));
        QCOMPARE(panel->countLabel()->text(), QStringLiteral("3"));
        QCOMPARE(panel->list()->count(), 3);

        // A letter hides the word list; Enter stores and moves to column 0.
        QTest::keyClick(text1, Qt::Key_B);
        QVERIFY(!panel->isVisible());
        QCOMPARE(text1->text(), QStringLiteral("倉庫b"));
        w.card.fields[0] = QStringLiteral("ボルト");
        QTest::keyClick(text1, Qt::Key_Return);
        QCOMPARE(w.card.record.field(4), QStringLiteral("倉庫b"));
        QCOMPARE(w.card.fieldCol, 0);
        QCOMPARE(text1->text(), QStringLiteral("ボルト"));

        // A click on the stock value only closes the panels.
        w.helpers->fieldGridClicked(3);
        w.helpers->fieldGridClicked(5);
        QVERIFY(!panel->isVisible() && !text1->isVisible() && !w.calc());
    }
};

QTEST_MAIN(TstEntryScreen)
#include "tst_entry_screen.moc"
