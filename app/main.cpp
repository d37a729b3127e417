// The program: builds the application, the message boxes and the mouse
// pointer, the process-wide data on the client folder and the one
// spreadsheet office, registers the work screens and shows the menu.

#include "app/work_screens.h"
#include "excel/libreoffice.h"
#include "menu/first_start.h"
#include "menu/menu_host.h"
#include "menu/platform.h"
#include "storage/dolvb.h"
#include "storage/text.h"
#include "ui/accessible.h"
#include "ui/qt_busy_pointer.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>

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
    // A Japanese screen font where one is installed.
    for (const QString &family : {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("MS UI Gothic")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont f(family);
            f.setPointSize(10);
            QApplication::setFont(f);
            break;
        }
    }

    kpv::ui::QtMessages messages;
    kpv::ui::QtBusyPointer pointer;
    kpv::Dolvb dolvb(messages, pointer);
    const QString programFolder =
        kpv::normalizeFolderPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QChar(kpv::kPathSeparator));
    // Installed from the package: this user's own client folder.
    dolvb.clientFolder = kpv::menu::FirstStart::clientFolderFor(dolvb, programFolder, kpv::menu::userDataHome());
    // Started on first use, ended with the program.
    kpv::excel::LibreOffice office;

    kpv::menu::MenuHost host(dolvb, &office);
    // The monthly buttons explain themselves once per run of the program.
    kpv::ledger::MonthlyExplained monthlyExplained;
    kpv::app::registerWorkScreens(host, monthlyExplained);
    host.showMenu();
    return app.exec();
}
