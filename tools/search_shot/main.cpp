// Renders the ledger screen narrowed to a word and with the sort panel after
// a sort into two PNGs for the README:
//   search_shot <data folder> <narrowed.png> <sort.png>
// Works on a copy of the folder: the sort panel is closed without
// registering, so the folder's ledger stays as it was.
#include "ledger/form11.h"
#include "search/narrow_panel.h"
#include "search/sort_panel.h"
#include "storage/dolvb.h"
#include "tools/shot_support.h"
#include "ui/flex_grid.h"

#include <QApplication>
#include <QPixmap>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 4) return 2;
    kpv::shot::useScreenFont();
    kpv::shot::World world(argv[1]);
    kpv::Dolvb &d = world.d;
    d.machineName = QStringLiteral("KPV-PC01");
    kpv::ledger::Form11 w(d);
    w.show();

    // Narrowed to ＡＢＣ in the maker column, then to ボルト in the name.
    kpv::ui::FlexGrid &list = *w.findChild<kpv::ui::FlexGrid *>(QStringLiteral("f1Grid1"));
    list.setRow(1);
    list.setCol(4);
    w.narrowing().open();
    w.narrowing().conditionsGrid->setTextMatrix(0, 2, QStringLiteral("ＡＢＣ"));
    w.narrowing().start();
    w.narrowing().conditionClicked(1);
    w.narrowing().listClicked(1, 2);
    w.narrowing().conditionsGrid->setTextMatrix(1, 2, QStringLiteral("ボルト"));
    app.processEvents();
    bool ok = w.grab().save(QString::fromLocal8Bit(argv[2]));
    w.narrowing().close();

    w.sorting().openSort();
    w.sorting().startSort();
    app.processEvents();
    ok = w.grab().save(QString::fromLocal8Bit(argv[3])) && ok;
    w.sorting().closeSort();
    return ok ? 0 : 1;
}
