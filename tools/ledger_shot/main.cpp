// Renders the ledger screen on a data folder into a PNG for the README:
//   ledger_shot <data folder> <out.png>
// The folder is used as both program and data folder; the screen opens on it
// as it would from the menu.
#include "ledger/form11.h"
#include "storage/dolvb.h"
#include "tools/shot_support.h"

#include <QApplication>
#include <QPixmap>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) return 2;
    kpv::shot::useScreenFont();
    kpv::shot::World world(argv[1]);
    kpv::Dolvb &d = world.d;
    kpv::ledger::Form11 w(d);
    w.show();
    w.session().setListCell(3, 1);
    w.session().openCorrectCard();
    w.refresh();
    app.processEvents();
    return w.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
