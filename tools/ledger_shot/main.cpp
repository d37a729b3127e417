// Renders the ledger screen on a data folder into a PNG for the README:
//   ledger_shot <data folder> <out.png>
// The folder is used as both program and data folder; the screen opens on it
// as it would from the menu.
#include "ledger/form11.h"
#include "storage/dolvb.h"
#include "storage/text.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPixmap>

namespace {
struct Silent : kpv::Messages {
    bool ask(const QString &, const QString &) override { return false; }
    void tell(const QString &, const QString &) override {}
};
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 3) return 2;
    for (const QString &family : {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont f(family);
            f.setPointSize(10);
            QApplication::setFont(f);
            break;
        }
    }
    Silent messages;
    kpv::NoBusyPointer pointer;
    kpv::Dolvb d(messages, pointer);
    d.clientFolder = d.dataFolder = kpv::normalizeFolderPath(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'));
    d.appTitle = QStringLiteral("KPV予備品管理");
    kpv::ledger::Form11 w(d);
    w.show();
    w.session().setListCell(3, 1);
    w.session().openCorrectCard();
    w.refresh();
    app.processEvents();
    return w.grab().save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
