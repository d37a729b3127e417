// Renders the card's entry tools for the README:
//   entry_shot <data folder> <word-list.png> <calculator.png>
// Opens the ledger screen on the folder (used as program and data folder),
// opens a new item's card with some values, clicks its name cell (text box
// and word list) and saves the screen; then clicks an issues cell, builds a
// value on the keypad and saves the calculator window.
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "ledger/form12.h"
#include "storage/dolvb.h"
#include "tools/shot_support.h"
#include "ui/flex_grid.h"

#include <QApplication>
#include <QPixmap>
#include <QPushButton>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
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
