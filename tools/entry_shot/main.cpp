// Renders the card's entry tools for the README:
//   entry_shot <data folder> <word-list.png> <calculator.png>
// Opens the ledger screen on the folder (used as program and data folder),
// opens a new item's card with some values, clicks its name cell (text box
// and word list) and saves the screen; then clicks an issues cell, builds a
// value on the keypad and saves the calculator window.
//
//   entry_shot --screen <data folder> <price.png> <item-number.png> <word-list.png>
// The same tools on a real display, as the display shows them (the whole
// screen is captured, window manager or not): the card of the second item
// with the calculator open on its unit price, then on its item number (where
// it lies wholly over the ledger screen), then with the word list of its
// name. Prints where they lie: the calculator against the screen's available
// area, the word list against every control of the card.
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "ledger/form12.h"
#include "ledger/pick_list_panel.h"
#include "ui/clickable.h"
#include "storage/dolvb.h"
#include "tools/shot_support.h"
#include "ui/flex_grid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include <cstdio>

namespace {

void settle(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

QString rect(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

bool captureCalculator(kpv::ledger::Form11 &w, const QString &png)
{
    kpv::ledger::Form12 *calc = w.entryHelpers().calculator();
    if (!calc) return false;
    QScreen *screen = w.screen();
    const QRect area = screen->availableGeometry();
    std::printf("available area %s; calculator %s; inside: %s\n", qPrintable(rect(area)), qPrintable(rect(calc->frameGeometry())),
                area.contains(calc->frameGeometry()) ? "yes" : "NO");
    return screen->grabWindow(0).save(png);
}

int onScreen(const char *folder, const QString &pricePng, const QString &itemNumberPng, const QString &wordListPng)
{
    kpv::shot::useScreenFont();
    kpv::shot::World world(folder);
    kpv::ledger::Form11 w(world.d);
    w.show();
    settle(800);
    w.session().setListCell(3, 1);
    w.session().openCorrectCard();
    w.refresh();
    kpv::ledger::EntryHelpers &entry = w.entryHelpers();
    w.cardPanel().fields->setCol(4);
    entry.fieldGridClicked(4);
    settle(800);
    if (!captureCalculator(w, pricePng)) return 1;
    entry.itemNumberClicked();
    settle(800);
    if (!captureCalculator(w, itemNumberPng)) return 1;
    QScreen *screen = w.screen();

    w.cardPanel().fields->setCol(0);
    entry.fieldGridClicked(0);
    settle(800);
    QWidget *list = entry.pickListPanel();
    const QRect listRect(list->mapToGlobal(QPoint(0, 0)), list->size());
    int covered = 0;
    for (QWidget *c : w.cardPanel().panel->findChildren<QWidget *>()) {
        if (!c->isVisible() || c->objectName().isEmpty() || c == w.cardPanel().frame) continue;
        const QRect r(c->mapToGlobal(QPoint(0, 0)), c->size());
        if (r.intersects(listRect)) {
            std::printf("word list covers %s\n", qPrintable(c->objectName()));
            ++covered;
        }
    }
    std::printf("word list %s; card %s; controls covered: %d\n", qPrintable(rect(listRect)),
                qPrintable(rect(QRect(w.cardPanel().panel->mapToGlobal(QPoint(0, 0)), w.cardPanel().panel->size()))), covered);
    return screen->grabWindow(0).save(wordListPng) ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc == 6 && QByteArray(argv[1]) == "--screen")
        return onScreen(argv[2], QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4]), QString::fromLocal8Bit(argv[5]));
    if (argc != 4) return 2;
    kpv::shot::useScreenFont();
    kpv::shot::World world(argv[1]);
    kpv::Dolvb &d = world.d;
    kpv::ledger::Form11 w(d);
    w.show();
    w.newItem->click();
    kpv::ledger::EntryHelpers &entry = w.entryHelpers();
    // A few values through the calculator, as a user would key them.
    const auto keyIn = [&](std::initializer_list<int> keys) {
        kpv::ledger::Form12 *calc = entry.calculator();
        if (!calc) return;
        for (int k : keys) calc->key(k)->click();
        calc->confirmButton()->click();
        app.processEvents();
    };
    entry.itemNumberClicked();
    keyIn({16, 11, 35, 1, 0, 2});
    kpv::ui::FlexGrid *fields = w.cardPanel().fields;
    fields->setCol(4);
    entry.fieldGridClicked(4);
    keyIn({1, 2, 5, 0});
    fields->setCol(7);
    entry.fieldGridClicked(7);
    keyIn({2, 0});
    fields->setCol(0);
    entry.fieldGridClicked(0);
    app.processEvents();
    if (!w.grab().save(QString::fromLocal8Bit(argv[2]))) return 1;

    w.cardPanel().months->setCol(3);
    entry.monthGridClicked(2, 3);
    kpv::ledger::Form12 *calc = entry.calculator();
    if (!calc) return 1;
    for (int k : {1, 2}) calc->key(k)->click();
    app.processEvents();
    return calc->grab().save(QString::fromLocal8Bit(argv[3])) ? 0 : 1;
}
