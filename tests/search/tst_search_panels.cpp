// Narrowing, sorting and deleting on the ledger screen, driven through its
// buttons and grids as a user would, on a copy of the example ledger.
#include "controls.h"
#include "ledger/form11.h"
#include "search/narrow_panel.h"
#include "search/panel_list.h"
#include "search/delete_session.h"
#include "search_world.h"
#include "ui/flex_grid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace kpv;
using kpv::testing::child;
using kpv::testing::click;
using kpv::testing::text;
using kpv::testing::SearchWorld;

class TestSearchPanels : public QObject {
    Q_OBJECT

    static bool shown(QWidget *w, const char *name) { return child(w, name)->isVisible(); }
    static void clickCell(ui::FlexGrid *g, int row, int col)
    {
        g->scrollToItem(g->item(row, col));
        const QRect r = g->visualItemRect(g->item(row, col));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, r.center());
    }

private slots:
    void narrowAndRenarrowAndRelease()
    {
        SearchWorld w;
        ledger::Form11 form(*w.d, {}, QDate(2026, 1, 5));
        form.show();
        auto *list = child<ui::FlexGrid>(&form, "f1Grid1");
        auto *conds = child<ui::FlexGrid>(&form, "MSFlexGrid4");

        // Opening on a numeric column is refused after the explanation.
        list->setRow(1);
        list->setCol(6);
        click(&form, "Command29");
        QCOMPARE(w.messages.count(), 2);
        QCOMPARE(w.messages.last().text, QStringLiteral("  絞り込み枠ではありません。　"));
        QVERIFY(!shown(&form, "Picture6"));

        // On the name of record 1: row 0 is pre-filled from the list.
        list->setCol(2);
        click(&form, "Command29");
        QVERIFY(shown(&form, "Picture6"));
        QVERIFY(!shown(&form, "Command29"));
        QCOMPARE(child<QPushButton>(&form, "Command41")->text(), QStringLiteral("絞込中"));
        QCOMPARE(conds->textMatrix(0, 0), QStringLiteral("2"));
        QCOMPARE(conds->textMatrix(0, 1), list->textMatrix(0, 2));
        QCOMPARE(conds->textMatrix(0, 2), QStringLiteral("六角ボルト"));

        // The word typed by hand; a click outside the text columns is refused.
        clickCell(conds, 0, 2);
        auto *editor = child<QLineEdit>(&form, "Text2");
        QVERIFY(editor->isVisible());
        editor->setText(QStringLiteral(" ボルト "));
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(conds->textMatrix(0, 2), QStringLiteral("ボルト"));
        QVERIFY(!editor->isVisible());
        clickCell(list, 1, 7);
        QCOMPARE(w.messages.last().title, QStringLiteral("在庫品リスト"));
        QCOMPARE(w.messages.last().text, QStringLiteral("絞り込み位置が枠外です。　　　　"));

        click(&form, "Command10");
        QCOMPARE(list->textMatrix(1, 0), QStringLiteral("1"));
        QCOMPARE(list->textMatrix(3, 0), QStringLiteral("2"));
        QCOMPARE(list->textMatrix(5, 0), QStringLiteral("3"));
        QCOMPARE(list->textMatrix(7, 0), QString());
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数  3"));
        QCOMPARE(text(&form, "Label15"), QStringLiteral(" P  1"));
        QVERIFY(!shown(&form, "Command47"));
        QVERIFY(shown(&form, "Command8") && shown(&form, "Picture17") && !shown(&form, "Picture4"));
        click(&form, "Command24");
        QCOMPARE(text(&form, "Label16"), QStringLiteral("1,887")); // the total of the items found

        // A further condition from the result: the specification of record 1.
        clickCell(conds, 1, 2);
        clickCell(list, 1, 3);
        QCOMPARE(conds->textMatrix(1, 2), QStringLiteral("M8×20"));
        form.narrowing().again();
        QCOMPARE(form.narrowing().narrowing().result(), std::vector<int>{1});
        QCOMPARE(text(&form, "Label4"), QStringLiteral("Max P 1"));

        // Re-narrowing to nothing: the notice names the words.
        conds->setTextMatrix(1, 2, QStringLiteral("無い"));
        form.narrowing().again();
        QCOMPARE(w.messages.last().text, QStringLiteral("ボルト　無い　　\r　のデータ再絞り込みで対象データが見つかりません。"));
        click(&form, "Command11");
        QCOMPARE(list->textMatrix(1, 0), QString());

        click(&form, "Command8");
        QVERIFY(shown(&form, "Picture4") && shown(&form, "Command29") && !shown(&form, "Picture6") && !shown(&form, "Command41"));
        QCOMPARE(list->textMatrix(1, 1), QStringLiteral("A-001"));
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数 30"));
    }

    // The panels close the card: its values not yet registered go only when
    // the user says so.
    void panelsAskBeforeTheCardsValuesGo()
    {
        SearchWorld w;
        ledger::Form11 form(*w.d, {}, QDate(2026, 1, 5));
        form.show();
        auto *list = child<ui::FlexGrid>(&form, "f1Grid1");
        list->setRow(1);
        list->setCol(2);
        click(&form, "Command23");
        form.session().entry().startMonthEntry(1, 5);
        QVERIFY(form.session().entry().writeBack(QStringLiteral("3")));
        w.messages.clear();
        w.messages.answerNo();
        click(&form, "Command29");
        QVERIFY(!shown(&form, "Picture6"));
        QVERIFY(shown(&form, "Picture20"));
        QCOMPARE(form.session().card().values().cell(1, 5), QStringLiteral("3"));
        w.messages.answerYes();
        click(&form, "Command31");
        QVERIFY(shown(&form, "Picture8"));
        QVERIFY(!shown(&form, "Picture20"));
        QCOMPARE(w.messages.unscripted(), 0);
    }

    // A narrowed list names records of the ledger it was made from: when
    // another client replaced the ledger, its next page reads the whole
    // ledger again instead.
    void narrowedListOfAReplacedLedgerIsLeft()
    {
        SearchWorld w;
        ledger::Form11 form(*w.d, {}, QDate(2026, 1, 5));
        form.show();
        auto *list = child<ui::FlexGrid>(&form, "f1Grid1");
        list->setRow(1);
        list->setCol(2);
        click(&form, "Command29");
        click(&form, "Command10");
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数  2"));
        {
            auto other = w.makeClient(QStringLiteral("PC-B"));
            search::DeleteSession del(*other);
            QVERIFY(del.open());
            QVERIFY(del.deleteRow(1));
            QVERIFY(del.registerDeletions());
        }
        w.messages.clear();
        click(&form, "Command11");
        QCOMPARE(w.messages.last().text, QStringLiteral("在庫品台帳が他の端末で並べ替えられました。\r　一覧を読み直します。"));
        QVERIFY(!shown(&form, "Picture6") && !shown(&form, "Command41") && shown(&form, "Picture4"));
        QCOMPARE(list->textMatrix(1, 1), QStringLiteral("A-002"));
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数 29"));
    }

    void reNarrowOfferedAboveOnePage_data()
    {
        QTest::addColumn<int>("found");
        QTest::addColumn<bool>("offered");
        QTest::newRow("13") << 13 << true;
        QTest::newRow("12") << 12 << false;
    }
    void reNarrowOfferedAboveOnePage()
    {
        QFETCH(int, found);
        QFETCH(bool, offered);
        SearchWorld w;
        std::vector<std::pair<QString, QString>> items;
        for (int i = 1; i <= 30; ++i) items.emplace_back(QStringLiteral("N-%1").arg(i), i <= found ? QStringLiteral("X") : QStringLiteral("Y"));
        w.writeLedger(items);
        ledger::Form11 form(*w.d, {}, QDate(2026, 1, 5));
        form.show();
        auto *list = child<ui::FlexGrid>(&form, "f1Grid1");
        list->setRow(1);
        list->setCol(2);
        click(&form, "Command29");
        click(&form, "Command10");
        QCOMPARE(shown(&form, "Command47"), offered);
        click(&form, "Command11");
        QCOMPARE(text(&form, "Label15"), QStringLiteral(" P  2"));
        QCOMPARE(list->textMatrix(1, 0), offered ? QStringLiteral("13") : QString());
        click(&form, "Command11");
        QCOMPARE(text(&form, "Label15"), QStringLiteral(" P  1"));
    }

    void sortAndRegisterThenDeleteTwoAndRegister()
    {
        SearchWorld w;
        ledger::Form11 form(*w.d, {}, QDate(2026, 1, 5));
        form.show();
        auto *list = child<ui::FlexGrid>(&form, "f1Grid1");
        auto *panelList = child<search::PanelList>(&form, "MSFlexGrid3");

        click(&form, "Command31");
        QVERIFY(shown(&form, "Picture8") && shown(&form, "Picture12") && !shown(&form, "Picture10"));
        QCOMPARE(text(&form, "Label21"), QStringLiteral("在庫品台帳Sort"));
        QCOMPARE(panelList->rows(), 31);
        QCOMPARE(panelList->textMatrix(1, 1), QStringLiteral("A-001"));
        click(&form, "Command27");
        QCOMPARE(text(&form, "Label13"), QStringLiteral("Sort完了"));
        QCOMPARE(panelList->textMatrix(1, 1), QStringLiteral("E-001"));
        QCOMPARE(panelList->textMatrix(30, 1), QString());
        click(&form, "Command19");
        QVERIFY(!shown(&form, "Picture8"));
        QCOMPARE(list->textMatrix(1, 1), QStringLiteral("E-001"));
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数 29"));
        QVERIFY(!QFile::exists(w.folder + names::tempLedger()));

        click(&form, "Command33");
        QVERIFY(shown(&form, "Picture10") && !shown(&form, "Picture12"));
        QCOMPARE(text(&form, "Label21"), QStringLiteral("在庫品削除"));
        panelList->setRow(1);
        click(&form, "Command35");
        click(&form, "Command35");
        QCOMPARE(text(&form, "Label20"), QStringLiteral("総数  27"));
        QCOMPARE(text(&form, "Label13"), QStringLiteral("削除完了"));
        click(&form, "Command34");
        QVERIFY(!shown(&form, "Picture8"));
        const QStringList numbers = w.column(0);
        QCOMPARE(numbers.size(), 27);
        QCOMPARE(numbers.first(), QStringLiteral("L-001"));
        QCOMPARE(list->textMatrix(1, 1), QStringLiteral("L-001"));
        QCOMPARE(text(&form, "Label8"), QStringLiteral("総数 27"));

        // Switching from the delete panel to the sort panel, then to a card,
        // gives the temporary ledger back each time.
        const int before = w.messages.count();
        click(&form, "Command33");
        click(&form, "Command31");
        QCOMPARE(w.messages.count(), before + 2); // the two explanations, no refusal
        QVERIFY(shown(&form, "Picture12"));
        click(&form, "Command9");
        auto other = w.makeClient(QStringLiteral("PC-B"));
        search::DeleteSession second(*other);
        QVERIFY(second.open());
    }
};

QTEST_MAIN(TestSearchPanels)
#include "tst_search_panels.moc"
