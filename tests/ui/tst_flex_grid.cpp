// The grid the ledger and settings screens are written against.
#include "ui/flex_grid.h"
#include "ui/twips.h"

#include <QSignalSpy>
#include <QTest>

using kpv::ui::FlexGrid;

class TestFlexGrid : public QObject {
    Q_OBJECT
private slots:
    void unwrittenCellsReadEmptyAndOutOfRangeIsIgnored()
    {
        FlexGrid g(nullptr, QStringLiteral("MSFlexGrid1"));
        QCOMPARE(g.objectName(), QStringLiteral("MSFlexGrid1"));
        g.setRows(3);
        g.setCols(4);
        QCOMPARE(g.textMatrix(2, 3), QString());
        g.setTextMatrix(3, 0, QStringLiteral("x"));
        g.setTextMatrix(0, -1, QStringLiteral("x"));
        QCOMPARE(g.textMatrix(3, 0), QString());
        QCOMPARE(g.rows(), 3);
        QCOMPARE(g.cols(), 4);
    }

    void resizingKeepsCellsAndDropsTheRest()
    {
        FlexGrid g;
        g.setRows(2);
        g.setCols(2);
        g.setTextMatrix(1, 1, QStringLiteral("ボルト"));
        g.setRows(10);
        g.setCols(5);
        QCOMPARE(g.textMatrix(1, 1), QStringLiteral("ボルト"));
        g.setRows(1);
        g.setRows(2);
        QCOMPARE(g.textMatrix(1, 1), QString());
    }

    void fixedCellsArePaintedAndCentred()
    {
        FlexGrid g;
        g.setRows(3);
        g.setCols(3);
        g.setFixedRows(1);
        g.setFixedCols(1);
        QVERIFY(g.cellBackground(0, 2).isValid());
        QVERIFY(g.cellBackground(2, 0).isValid());
        QVERIFY(!g.cellBackground(1, 1).isValid());
        QCOMPARE(g.cellAlignment(0, 1), Qt::Alignment(Qt::AlignCenter));
        g.setColAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(g.cellAlignment(0, 1), Qt::Alignment(Qt::AlignCenter)); // title cell untouched
        QCOMPARE(g.cellAlignment(2, 1), Qt::AlignRight | Qt::AlignVCenter);
    }

    void columnAlignmentAppliesToCellsWrittenLater()
    {
        FlexGrid g;
        g.setRows(4);
        g.setCols(2);
        g.setTextMatrix(1, 1, QStringLiteral("1"));
        g.setColAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        g.setTextMatrix(3, 1, QStringLiteral("2"));
        QCOMPARE(g.cellAlignment(1, 1), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(g.cellAlignment(3, 1), Qt::AlignRight | Qt::AlignVCenter);
        g.setCellAlignment(3, 1, Qt::AlignCenter);
        QCOMPARE(g.cellAlignment(3, 1), Qt::Alignment(Qt::AlignCenter));
        g.setCols(3); // a new column starts with the default
        QCOMPARE(g.colAlignment(2), Qt::AlignLeft | Qt::AlignVCenter);
    }

    void widthsAndHeightsInTwips_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("expected");
        QTest::newRow("exact") << 1500 << 1500;
        QTest::newRow("rounds to the nearest pixel") << 1507 << 1500;
        QTest::newRow("rounds up from the half") << 1508 << 1515;
        QTest::newRow("zero hides") << 0 << 0;
        QTest::newRow("negative is zero") << -300 << 0;
    }
    void widthsAndHeightsInTwips()
    {
        QFETCH(int, twips);
        QFETCH(int, expected);
        FlexGrid g;
        g.setRows(2);
        g.setCols(2);
        g.setColWidthTwips(1, twips);
        g.setRowHeightTwips(1, twips);
        QCOMPARE(g.colWidthTwips(1), expected);
        QCOMPARE(g.rowHeightTwips(1), expected);
    }

    void backgroundsAndClear()
    {
        FlexGrid g;
        g.setRows(3);
        g.setCols(3);
        g.setFixedRows(1);
        g.setColWidthTwips(2, 3000);
        g.setTextMatrix(0, 1, QStringLiteral("品名"));
        g.setTextMatrix(2, 2, QStringLiteral("12"));
        g.setCellBackground(2, 2, QColor(255, 0, 0));
        QCOMPARE(g.cellBackground(2, 2), QColor(255, 0, 0));
        g.setCellBackground(2, 2, QColor());
        QVERIFY(!g.cellBackground(2, 2).isValid());
        g.setCellBackground(2, 2, QColor(255, 0, 0));
        g.clearCells();
        QCOMPARE(g.textMatrix(0, 1), QString());
        QCOMPARE(g.textMatrix(2, 2), QString());
        QVERIFY(!g.cellBackground(2, 2).isValid());
        QVERIFY(g.cellBackground(0, 1).isValid()); // a title cell keeps its face
        QCOMPARE(g.rows(), 3);
        QCOMPARE(g.colWidthTwips(2), 3000);
    }

    void currentCellMovesAndClicksFollow()
    {
        FlexGrid g;
        g.setRows(5);
        g.setCols(3);
        g.setRow(4);
        g.setCol(2);
        QCOMPARE(g.row(), 4);
        QCOMPARE(g.col(), 2);
        g.setRow(5); // out of range: unchanged
        g.setCol(-1);
        QCOMPARE(g.row(), 4);
        QCOMPARE(g.col(), 2);
        QSignalSpy spy(&g, &FlexGrid::cellClickedAt);
        emit g.cellClicked(1, 1);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(g.row(), 1);
        QCOMPARE(g.col(), 1);
        g.setRows(1); // shrinking pulls the current row inside
        QCOMPARE(g.row(), 0);
    }

    void suspendedPaintingStillTakesCells()
    {
        FlexGrid g;
        g.setRows(100);
        g.setCols(4);
        g.setRedraw(false);
        QVERIFY(!g.redraw());
        QVERIFY(!g.updatesEnabled());
        for (int r = 0; r < 100; ++r) g.setTextMatrix(r, 3, QString::number(r));
        g.setRow(50);
        g.setRedraw(true);
        QVERIFY(g.updatesEnabled());
        QCOMPARE(g.textMatrix(99, 3), QStringLiteral("99"));
        QCOMPARE(g.row(), 50);
        QCOMPARE(g.currentRow(), 50);
    }
};

QTEST_MAIN(TestFlexGrid)
#include "tst_flex_grid.moc"
