// What assistive technology reads from a marked label: a value label reads
// as its current value with what it is as description, even when the label
// had a caption as its name before; a state box reads as a check box whose
// state is the colour it shows, pressable only when the user can click it.
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"

#include <QAccessible>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

using namespace kpv;

namespace {
QAccessibleInterface *reading(QObject *o) { return QAccessible::queryAccessibleInterface(o); }
} // namespace

class TestAccessible : public QObject {
    Q_OBJECT
private slots:
    void valueLabelReadsAsItsValue()
    {
        QWidget w;
        auto *label = new QLabel(QStringLiteral("A-003 "), &w);
        // A caption as name, and an interface Qt already made for it.
        label->setAccessibleName(QStringLiteral("在庫品No"));
        QCOMPARE(reading(label)->text(QAccessible::Name), QStringLiteral("在庫品No"));

        ui::showsValue(label, QStringLiteral("在庫品No"));
        QAccessibleInterface *i = reading(label);
        QCOMPARE(i->role(), QAccessible::StaticText);
        QCOMPARE(i->text(QAccessible::Name), QStringLiteral("A-003"));
        QCOMPARE(i->text(QAccessible::Description), QStringLiteral("在庫品No"));
        QAccessibleTextInterface *t = i->textInterface();
        QVERIFY(t);
        QCOMPARE(t->characterCount(), 6);
        QCOMPARE(t->text(0, t->characterCount()), QStringLiteral("A-003 "));
        QCOMPARE(t->text(2, 5), QStringLiteral("003"));

        // The reading follows the label.
        label->setText(QStringLiteral(" No 31"));
        QCOMPARE(reading(label)->text(QAccessible::Name), QStringLiteral("No 31"));
        QCOMPARE(reading(label)->textInterface()->text(0, -1), QStringLiteral(" No 31"));
        label->clear();
        QCOMPARE(reading(label)->text(QAccessible::Name), QString());
        QCOMPARE(reading(label)->text(QAccessible::Description), QStringLiteral("在庫品No"));
    }

    void unmarkedLabelsKeepQtsReading()
    {
        QWidget w;
        auto *caption = new QLabel(QStringLiteral("在庫金額計"), &w);
        ui::installAccessibility();
        QCOMPARE(reading(caption)->role(), QAccessible::StaticText);
        QCOMPARE(reading(caption)->text(QAccessible::Name), QStringLiteral("在庫金額計"));
        QVERIFY(!reading(caption)->textInterface());
    }

    void switchBoxReadsTheStateItsColourShows()
    {
        QWidget w;
        auto *box = new ui::ClickLabel(&w, QStringLiteral("Label34"));
        ui::paintBackground(box, ui::switchOffColour());
        ui::showsState(box, QStringLiteral("小数点以下の数量入力"));
        QAccessibleInterface *i = reading(box);
        QCOMPARE(i->role(), QAccessible::CheckBox);
        QCOMPARE(i->text(QAccessible::Name), QStringLiteral("小数点以下の数量入力"));
        QVERIFY(i->state().checkable);
        QVERIFY(!i->state().checked);
        QVERIFY(!i->state().readOnly);

        ui::paintBackground(box, ui::switchColour(true));
        QVERIFY(reading(box)->state().checked);
        ui::paintBackground(box, ui::switchColour(false));
        QVERIFY(!reading(box)->state().checked);

        // Pressed through assistive technology: the same as a click.
        QSignalSpy clicked(box, &ui::ClickLabel::clicked);
        QAccessibleActionInterface *a = reading(box)->actionInterface();
        QVERIFY(a);
        QVERIFY(a->actionNames().contains(QAccessibleActionInterface::pressAction()));
        a->doAction(QAccessibleActionInterface::pressAction());
        a->doAction(QAccessibleActionInterface::toggleAction());
        QCOMPARE(clicked.count(), 2);
    }

    void indicatorIsReadOnlyAndLitByItsOwnColour()
    {
        QWidget w;
        auto *lamp = new QLabel(&w);
        ui::showsState(lamp, QStringLiteral("在庫数ゼロ"), QColor(255, 0, 0));
        QVERIFY(!reading(lamp)->state().checked); // never painted: not lit
        ui::paintBackground(lamp, ui::switchOnColour());
        QVERIFY(!reading(lamp)->state().checked); // pink is not this box's "on"
        ui::paintBackground(lamp, QColor(255, 0, 0));
        QVERIFY(reading(lamp)->state().checked);
        QVERIFY(reading(lamp)->state().readOnly);
        QVERIFY(!reading(lamp)->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    }
};

QTEST_MAIN(TestAccessible)
#include "tst_accessible.moc"
