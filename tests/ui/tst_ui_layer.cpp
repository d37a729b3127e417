// Twips, colours, message boxes and the busy pointer.
#include "ui/colours.h"
#include "ui/qt_busy_pointer.h"
#include "ui/qt_messages.h"
#include "ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace kpv::ui;

namespace {
// Presses the button with the given caption on the next modal box, and
// remembers what the box showed.
struct BoxPresser {
    QString pressed;
    QString title;
    QString text;
    QStringList buttons;
    void arm(const QString &caption)
    {
        QTimer::singleShot(0, [this, caption] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box) return;
            title = box->windowTitle();
            text = box->text();
            for (QAbstractButton *b : box->buttons()) buttons << b->text();
            for (QAbstractButton *b : box->buttons())
                if (b->text() == caption) {
                    pressed = caption;
                    b->click();
                    return;
                }
            box->reject();
        });
    }
};
} // namespace

class TestUiLayer : public QObject {
    Q_OBJECT
private slots:
    void twipsConversion_data()
    {
        QTest::addColumn<int>("twips");
        QTest::addColumn<int>("px");
        QTest::newRow("zero") << 0 << 0;
        QTest::newRow("one pixel") << 15 << 1;
        QTest::newRow("just under a half") << 7 << 0;
        QTest::newRow("a half rounds up") << 8 << 1;
        QTest::newRow("logo origin") << 16000 << 1067;
        QTest::newRow("negative mirrors") << -8 << -1;
        QTest::newRow("menu nudge") << -200 << -13;
    }
    void twipsConversion()
    {
        QFETCH(int, twips);
        QFETCH(int, px);
        QCOMPARE(twipsToPx(twips), px);
    }

    void geometryInTwips()
    {
        QWidget parent;
        QLabel l(&parent);
        setGeometryTwips(&l, 5880, 6480, 3735, 855);
        QCOMPARE(l.geometry(), QRect(392, 432, 249, 57));
        setLeftTwips(&l, 9640);
        QCOMPARE(leftTwips(&l), 9645); // nearest pixel
        QCOMPARE(topTwips(&l), 6480);
    }

    void centringUsesIntegerHalves()
    {
        QCOMPARE(centeredPositionTwips(QSize(28800, 16200), QSize(18000, 9001)), QPoint(5400, 3600));
        QCOMPARE(centeredPositionTwips(QSize(15000, 9000), QSize(18000, 9000)), QPoint(-1500, 0));
    }

    void coloursFromConstants_data()
    {
        QTest::addColumn<QString>("constant");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("switch pink") << "&H008080FF" << QColor(255, 128, 128);
        QTest::newRow("white short") << "&HFFFFFF" << QColor(255, 255, 255);
        QTest::newRow("palette 4") << "&H00E6D8AD" << QColor(173, 216, 230);
        QTest::newRow("palette 8") << "&H008B3D48" << QColor(72, 61, 139);
        QTest::newRow("date box") << "&H00E1E4FF" << QColor(255, 228, 225);
        QTest::newRow("trailing ampersand, lower case") << "&h00ff0000&" << QColor(0, 0, 255);
        QTest::newRow("empty") << "" << QColor();
        QTest::newRow("no prefix") << "008080FF" << QColor();
        QTest::newRow("system colour") << "&H8000000F" << QColor();
        QTest::newRow("not hex") << "&H00GG0000" << QColor();
    }
    void coloursFromConstants()
    {
        QFETCH(QString, constant);
        QFETCH(QColor, colour);
        QCOMPARE(colourFromConstant(constant), colour);
    }

    void switchBoxes()
    {
        QCOMPARE(switchColour(true), QColor(255, 128, 128));
        QCOMPARE(switchColour(false), QColor(255, 255, 255));
        QLabel box;
        paintBackground(&box, switchColour(true));
        QVERIFY(box.autoFillBackground());
        QCOMPARE(backgroundOf(&box), QColor(255, 128, 128));
    }

    void screenBackgroundFromTheColourInForce()
    {
        QWidget screen;
        paintBackground(&screen, QStringLiteral("&H00E6D8AD"));
        QCOMPARE(backgroundOf(&screen), QColor(173, 216, 230));
        paintBackground(&screen, QString(), QColor(1, 2, 3)); // no colour chosen: the designed one
        QCOMPARE(backgroundOf(&screen), QColor(1, 2, 3));
        paintBackground(&screen, "bad");
        QVERIFY(!screen.autoFillBackground());
    }

    void messageTextKeepsLines()
    {
        QCOMPARE(QtMessages::displayText(QStringLiteral("a\rb\r\nc")), QStringLiteral("a\nb\nc"));
    }

    void questionActsOnlyOnYes()
    {
        QtMessages m;
        BoxPresser p;
        p.arm(QStringLiteral("はい"));
        QVERIFY(m.ask(QStringLiteral("登録確認"), QStringLiteral("一行目\r二行目")));
        QCOMPARE(p.title, QStringLiteral("登録確認"));
        QCOMPARE(p.text, QStringLiteral("一行目\n二行目"));
        QVERIFY(p.buttons.contains(QStringLiteral("はい")));
        QVERIFY(p.buttons.contains(QStringLiteral("いいえ")));

        BoxPresser n;
        n.arm(QStringLiteral("いいえ"));
        QVERIFY(!m.ask(QStringLiteral("登録確認"), QStringLiteral("q")));
        QCOMPARE(n.pressed, QStringLiteral("いいえ"));

        BoxPresser closed; // closing the box without an answer is not a yes
        closed.arm(QStringLiteral("(none)"));
        QVERIFY(!m.ask(QStringLiteral("登録確認"), QStringLiteral("q")));
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }

    void noticeHasOk()
    {
        QtMessages m;
        BoxPresser p;
        p.arm(QStringLiteral("OK"));
        m.tell(QStringLiteral("管理確認"), QStringLiteral(" パスワード認証が必要です。"));
        QCOMPARE(p.pressed, QStringLiteral("OK"));
        QCOMPARE(p.buttons, QStringList{QStringLiteral("OK")});
    }

    void busyPointerNestsAndAlwaysRestores()
    {
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        {
            QtBusyPointer pointer;
            pointer.setBusy(false); // normal with nothing busy: nothing to undo
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            {
                kpv::BusyGuard outer(pointer);
                QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
                {
                    kpv::BusyGuard inner(pointer);
                }
                QVERIFY(QApplication::overrideCursor() != nullptr);
            }
            QCOMPARE(QApplication::overrideCursor(), nullptr);
            pointer.setBusy(true);
            pointer.setBusy(true);
        } // left busy twice: the pointer object restores on its way out
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

QTEST_MAIN(TestUiLayer)
#include "tst_ui_layer.moc"
