// The program: the application, the program's parts on the program's folder
// (app/program.h), the menu.

#include "app/program.h"
#include "storage/text.h"
#include "ui/accessible.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Without a screen the toolkit would only print its own error.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "kpv: 画面（ディスプレイ）がありません。デスクトップで起動してください (no display: set DISPLAY or use xvfb-run).\n");
        return 1;
    }
    QApplication app(argc, argv);
    kpv::ui::installAccessibility();
    // The menu unloads while a work screen is open and comes back when the
    // screen closes: the program ends by the menu, not by its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    kpv::setScreenFont();
    kpv::Program program(
        kpv::normalizeFolderPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QChar(kpv::kPathSeparator)));
    program.show();
    return app.exec();
}
