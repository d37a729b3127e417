// The program: the application, the program's parts on the program's folder
// (app/program.h), the menu.

#include "app/program.h"
#include "storage/text.h"

#include <QApplication>
#include <QDir>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The menu unloads while a work screen is open and comes back when the
    // screen closes: the program ends by the menu, not by its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    kpv::setScreenFont();
    kpv::Program program(
        kpv::normalizeFolderPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QChar(kpv::kPathSeparator)));
    program.show();
    return app.exec();
}
