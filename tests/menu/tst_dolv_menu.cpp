// The menu window: what the start-up lays out, the hidden panels, the switch
// boxes, the login panel across a return to the menu, the palette.
#include "menu/dolv_menu.h"
#include "menu/menu_host.h"
#include "menu/menu_slots.h"
#include "menu_world.h"
#include "ui/colours.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QApplication>
#include <QPointer>
#include <QTest>

using namespace kpv;
using namespace kpv::menu;
using namespace kpv::testing;

namespace {

const QDate kToday(2026, 12, 9);

struct Fixture {
    World w;
    std::unique_ptr<Client> c = w.client();
    int exits = 0;
    std::unique_ptr<DolvMenu> load()
    {
        return std::make_unique<DolvMenu>(c->d, c->opener, [this] { ++exits; }, kToday);
    }
};

template <class T = QWidget> T *get(QWidget *menu, const char *name)
{
    T *w = menu->findChild<T *>(QString::fromLatin1(name));
    if (!w) qFatal("no control %s", name);
    return w;
}

void click(QWidget *menu, const char *name)
{
    QWidget *w = get(menu, name);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2));
}

bool shown(QWidget *menu, const char *name) { return !get(menu, name)->isHidden(); }
QColor colourOf(QWidget *menu, const char *name) { return ui::backgroundOf(get(menu, name)); }

} // namespace

class TestDolvMenu : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("COMPUTERNAME", "KPV-PC01"); }

    void freshStartLayout()
    {
        Fixture f;
        auto menu = f.load();
        QCOMPARE(menu->objectName(), QStringLiteral("DOLVmenu"));
        QCOMPARE(menu->windowTitle(), QStringLiteral("KPV予備品管理20261209"));
        QCOMPARE(get<QLabel>(menu.get(), "Label51")->text(), QStringLiteral("KPV-PC01"));
        QCOMPARE(get<QLabel>(menu.get(), "Label5")->text(), QStringLiteral("2026/12/09"));
        QCOMPARE(colourOf(menu.get(), "Label5"), QColor(255, 228, 225));
        QCOMPARE(f.c->messages.count(), 0);
        for (const char *hidden : {"Picture15", "Picture20", "Picture6", "Picture2", "Label18", "Label24", "Command3", "Picture12"})
            QVERIFY2(!shown(menu.get(), hidden), hidden);
        for (const char *admin : {"Label13", "Label14", "Label107", "Label108", "Label80", "Label81"})
            QVERIFY2(!shown(menu.get(), admin), admin);
        QCOMPARE(get<QPushButton>(menu.get(), "Command1")->text(), QStringLiteral("予備品管理"));
        QWidget *exit = get(menu.get(), "Command6");
        QCOMPARE(ui::leftTwips(exit), 9645);
        QCOMPARE(ui::topTwips(exit), 6480);
        QVERIFY(!get(menu.get(), "Picture1")->autoFillBackground()); // designed background
        QCOMPARE(get<QComboBox>(menu.get(), "Combo5")->count(), 10);
        QCOMPARE(get<QComboBox>(menu.get(), "Combo1")->count(), 80);
        // Switch boxes that are off are white, never the panel showing through.
        for (const char *box : {"Label34", "Label21", "Label33"}) {
            QVERIFY2(get(menu.get(), box)->autoFillBackground(), box);
            QVERIFY2(colourOf(menu.get(), box) == ui::switchOffColour(), box);
        }
        auto *password = get<QLineEdit>(menu.get(), "Text7");
        QTest::keyClicks(password, QStringLiteral("12"));
        QCOMPARE(password->displayText(), QStringLiteral("**"));
    }

    void preparedSwitchesArePainted()
    {
        Fixture f;
        f.c->d.clientFolder = f.c->folder;
        SettingsSlots cs;
        cs.set(1, f.c->folder);
        cs.set(14, "1");
        cs.set(15, "1");
        cs.set(19, "1");
        cs.set(7, "400");
        writeSettingsFile(f.c->clientFile(), cs);
        writeSlots(f.c->sharedFile(), {{12, u"1"}, {20, u"1"}, {21, u"1"}, {1, u"1"}, {8, u"1"}, {49, u"6"}});
        auto menu = f.load();
        QWidget *m = menu.get();
        for (const char *on : {"Label50", "Label81", "Label33", "Label21", "Label34", "Label44", "Label14", "Label108"})
            QVERIFY2(colourOf(m, on) == ui::switchOnColour(), on);
        QVERIFY(colourOf(m, "Label45") == ui::switchOffColour());
        for (const char *admin : {"Label13", "Label14", "Label107", "Label108", "Label80", "Label81"})
            QVERIFY2(shown(m, admin), admin);
        QVERIFY(shown(m, "Command3"));
        QCOMPARE(ui::leftTwips(get(m, "Command6")), 5880);
        QCOMPARE(ui::topTwips(get(m, "Command6")), 7440);
        QCOMPARE(ui::widthTwips(get(m, "Command6")), 7500);
        QCOMPARE(colourOf(m, "Picture1"), QColor(95, 158, 160));
        QCOMPARE(get<QComboBox>(m, "Combo5")->currentText(), QStringLiteral("6"));
        QCOMPARE(get<QComboBox>(m, "Combo1")->currentText(), QStringLiteral("400"));
        QCOMPARE(ui::leftTwips(get(m, "Picture2")), 16395); // 16400 to the nearest pixel
        QVERIFY(shown(m, "Picture15"));
    }

    void hiddenPanels()
    {
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        m->show();
        click(m, "Label2"); // without the date first: nothing
        QVERIFY(!shown(m, "Picture20"));
        click(m, "Label5");
        click(m, "Label3");
        QVERIFY(shown(m, "Picture20"));
        click(m, "Picture1");
        QVERIFY(!shown(m, "Picture20"));
        click(m, "Label51");
        click(m, "Label9");
        QVERIFY(shown(m, "Picture6"));
        click(m, "Label43"); // a caption inside the panel is not its background
        QVERIFY(shown(m, "Picture6"));
        click(m, "Picture6");
        QVERIFY(!shown(m, "Picture6"));
        click(m, "Label4");
        QVERIFY(shown(m, "Label18"));
        QCOMPARE(get<QLabel>(m, "Label18")->text(), f.c->folder);
    }

    void switchBoxes_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("shared");
        QTest::addColumn<int>("slot");
        QTest::newRow("Label34") << "Label34" << true << 21;
        QTest::newRow("Label21") << "Label21" << true << 20;
        QTest::newRow("Label33") << "Label33" << true << 12;
        QTest::newRow("Label81") << "Label81" << false << 19;
        QTest::newRow("Label50") << "Label50" << false << 14;
        QTest::newRow("Label108") << "Label108" << true << 8;
        QTest::newRow("Label44") << "Label44" << false << 15;
    }
    void switchBoxes()
    {
        QFETCH(QString, box);
        QFETCH(bool, shared);
        QFETCH(int, slot);
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        m->show();
        get(m, "Label81")->show();
        get(m, "Label108")->show();
        const QString file = shared ? f.c->sharedFile() : f.c->clientFile();
        QWidget *w = m->findChild<QWidget *>(box);
        f.c->messages.answerYes();
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(readSlots(file).value(slot), QStringLiteral("1"));
        QCOMPARE(ui::backgroundOf(w), ui::switchOnColour());
        f.c->messages.answerNo();
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(readSlots(file).value(slot), QStringLiteral("0"));
        QCOMPARE(ui::backgroundOf(w), ui::switchOffColour());
        QCOMPARE(f.c->messages.unscripted(), 0);
    }

    void logoSwitchWithoutPicture()
    {
        Fixture f;
        auto menu = f.load();
        f.c->messages.answerYes();
        click(menu.get(), "Label45");
        QCOMPARE(readSlots(f.c->clientFile()).value(6), QStringLiteral("1"));
        QCOMPARE(f.c->messages.last().text,
                 f.c->folder + QStringLiteral("設備画像/yuuza.jpg\r　画像が登録されてません。。"));
        f.c->messages.clear();
        auto again = f.load(); // the message comes at every menu load
        QCOMPARE(f.c->messages.count(), 1);
        QCOMPARE(ui::backgroundOf(get(again.get(), "Label45")), ui::switchOnColour());
    }

    void administratorShowsItsLabels()
    {
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        f.c->messages.answerYes();
        click(m, "Label44");
        for (const char *admin : {"Label13", "Label14", "Label107", "Label108", "Label80", "Label81"})
            QVERIFY2(shown(m, admin), admin);
        f.c->messages.answerYes();
        click(m, "Label14");
        QCOMPARE(ui::backgroundOf(get(m, "Label14")), ui::switchOnColour());
        f.c->messages.answerNo();  // rights off
        f.c->messages.answerYes(); // lifting the stop
        click(m, "Label44");
        QVERIFY(!shown(m, "Label13"));
        QVERIFY(!shown(m, "Label14"));
        QVERIFY(shown(m, "Label108")); // only the stop labels go
        QCOMPARE(readSlots(f.c->sharedFile()).value(1), QStringLiteral("0"));
    }

    void loginSurvivesAReturnToTheMenu()
    {
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        m->show();
        f.c->messages.answerYes();
        f.c->messages.answerYes(); // administrator, then the login function
        click(m, "Label44");
        click(m, "Label108");
        QVERIFY(shown(m, "Picture15"));

        click(m, "Command1");
        QCOMPARE(f.c->messages.last().text, QStringLiteral(" パスワード認証が必要です。"));
        QVERIFY(f.c->opener.opened.empty());

        auto *text = get<QLineEdit>(m, "Text7");
        QCOMPARE(text->echoMode(), QLineEdit::Password);
        click(m, "Label101");
        QCOMPARE(text->echoMode(), QLineEdit::Normal);
        QTest::keyClicks(text, QStringLiteral("111111"));
        QTest::keyClick(text, Qt::Key_Return);
        QCOMPARE(f.c->messages.last().text, QStringLiteral("パスワードが違います。。"));
        QVERIFY(text->text().isEmpty());
        QVERIFY(shown(m, "Picture15"));
        QTest::keyClicks(text, QStringLiteral("482910"));
        QTest::keyClick(text, Qt::Key_Return);
        QVERIFY(!shown(m, "Picture15"));

        click(m, "Command1");
        QCOMPARE(f.c->opener.opened.size(), size_t(1));
        QCOMPARE(f.c->opener.opened[0], Screen::Ledger);
        QVERIFY(!m->isVisible()); // the menu unloads
        QCOMPARE(f.exits, 0);     // and the program goes on

        const int messagesBefore = f.c->messages.count();
        auto back = f.load(); // the ledger closes: the menu loads anew
        QVERIFY(!shown(back.get(), "Picture15"));
        click(back.get(), "Command2");
        QCOMPARE(f.c->opener.opened.size(), size_t(2));
        QCOMPARE(f.c->messages.count(), messagesBefore);
    }

    void paletteWithPreviewAndUndo()
    {
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        auto *combo = get<QComboBox>(m, "Combo5");
        f.c->messages.answerNo();
        combo->setCurrentIndex(3);
        emit combo->textActivated(QStringLiteral("4"));
        QVERIFY(!get(m, "Picture1")->autoFillBackground()); // back to the designed background
        QCOMPARE(combo->currentIndex(), -1);
        f.c->messages.answerYes();
        combo->setCurrentIndex(3);
        emit combo->textActivated(QStringLiteral("4"));
        QCOMPARE(colourOf(m, "Picture1"), QColor(173, 216, 230));
        QCOMPARE(readSlots(f.c->sharedFile()).value(49), QStringLiteral("4"));
        f.c->messages.answerNo();
        combo->setCurrentIndex(9);
        emit combo->textActivated(QStringLiteral("10"));
        QCOMPARE(colourOf(m, "Picture1"), QColor(173, 216, 230));
        QCOMPARE(combo->currentText(), QStringLiteral("4"));
    }

    void logoPositionAndExit()
    {
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        emit get<QComboBox>(m, "Combo1")->textActivated(QStringLiteral("1600"));
        QCOMPARE(ui::leftTwips(get(m, "Picture2")), 17595);
        QCOMPARE(readSlots(f.c->clientFile()).value(7), QStringLiteral("1600"));
        click(m, "Command6");
        QCOMPARE(f.exits, 1);
        m->show();
        m->close(); // closing the window by its frame ends the program too
        QCOMPARE(f.exits, 2);
    }

    void aClosedScreenBringsTheMenuBack()
    {
        Fixture f;
        MenuHost host(f.c->d);
        host.showMenu();
        QPointer<DolvMenu> first = host.menu();
        click(first, "Command1");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first.isNull()); // unloaded
        QWidget *ledger = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QStringLiteral("Form11") && w->isVisible()) ledger = w;
        QVERIFY(ledger);
        QCOMPARE(ledger->windowTitle(), QStringLiteral("KPV予備品管理20261209"));
        ledger->close();
        QVERIFY(!host.menu()); // the menu loads only after the screen is gone
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents();
        QVERIFY(host.menu());
        QVERIFY(host.menu()->isVisible());
        QCOMPARE(f.c->d.subScreenOpened, 1);
        delete host.menu();
    }

    void registeredScreenCanEndTheProgram()
    {
        Fixture f;
        int quits = 0;
        MenuHost host(f.c->d, nullptr, [&] { ++quits; });
        QPointer<QWidget> built;
        Dolvb *given = nullptr;
        std::function<void()> endProgram;
        host.registerScreen(Screen::Settings, [&](ScreenServices &s) {
            given = &s.d;
            endProgram = s.endProgram;
            built = new QWidget;
            return built.data();
        });
        host.showMenu();
        click(host.menu(), "Command2");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(built && built->isVisible());
        QCOMPARE(built->objectName(), QStringLiteral("form2"));
        QCOMPARE(given, &f.c->d);
        endProgram(); // e.g. all clients stopped: the menu must not come back
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents();
        QVERIFY(built.isNull());
        QVERIFY(!host.menu());
        QCOMPARE(quits, 1);
    }

    void explanations()
    {
        Fixture f;
        auto menu = f.load();
        QWidget *m = menu.get();
        m->show();
        click(m, "Command10");
        QCOMPARE(f.c->messages.last().text.split('\r').size(), 4);
        click(m, "Command12");
        QVERIFY(shown(m, "Picture12"));
        click(m, "Command14");
        QVERIFY(!shown(m, "Picture12"));
        click(m, "Command13");
        QCOMPARE(f.c->messages.last().kind, RecordedMessage::Tell);
    }
};

QTEST_MAIN(TestDolvMenu)
#include "tst_dolv_menu.moc"
