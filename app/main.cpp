// The program: builds the application, the message boxes and the mouse
// pointer, the process-wide data on the program's folder and the one
// spreadsheet office, registers the work screens and shows the menu. Once the
// menu has been painted, the office starts in the background (with a
// display, unless switched off), so that the first workbook does not wait
// for it.

#include "excel/libreoffice.h"
#include "excel/window_thread.h"
#include "import/form10.h"
#include "ledger/form11.h"
#include "ledger/workbook_commands.h"
#include "menu/common_documents.h"
#include "menu/menu_host.h"
#include "settings/form2.h"
#include "storage/dolvb.h"
#include "storage/settings_slots.h"
#include "storage/text.h"
#include "ui/after_first_paint.h"
#include "ui/qt_busy_pointer.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
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

    // Workbook work runs on the office's own thread: its messages are shown
    // on this one.
    kpv::ui::QtMessages boxes;
    kpv::excel::WindowThreadMessages messages(boxes);
    kpv::ui::QtBusyPointer shownPointer;
    kpv::excel::WindowThreadPointer pointer(shownPointer);
    kpv::Dolvb dolvb(messages, pointer);
    dolvb.clientFolder =
        kpv::normalizeFolderPath(QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QChar(kpv::kPathSeparator));
    // Started in the background or on first use, ended with the program
    // (which waits a few seconds for it at most).
    kpv::excel::LibreOffice office;

    kpv::menu::MenuHost host(dolvb, &office);
    // The monthly buttons explain themselves once per run of the program.
    kpv::ledger::MonthlyExplained monthlyExplained;
    // Each work screen registers its window here.
    host.registerScreen(kpv::menu::Screen::Ledger, [&monthlyExplained](kpv::menu::ScreenServices &s) {
        auto *form = new kpv::ledger::Form11(s);
        new kpv::ledger::WorkbookCommands(*form, s.spreadsheet, monthlyExplained);
        return form;
    });
    host.registerScreen(kpv::menu::Screen::Settings,
                        [](kpv::menu::ScreenServices &s) { return new kpv::settings::Form2(s.d, s.spreadsheet); });
    host.registerScreen(kpv::menu::Screen::Import, [](kpv::menu::ScreenServices &s) { return new kpv::import::Form10(s); });
    host.registerScreen(kpv::menu::Screen::CommonDocuments,
                        [](kpv::menu::ScreenServices &s) { return new kpv::menu::CommonDocuments(s); });
    host.showMenu();
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (host.menu() && !host.ended()
        && kpv::excel::StartsInBackground(QGuiApplication::platformName(), display,
                                          dolvb.clientSettings.isOn(kpv::slot::client::kNoBackgroundOffice),
                                          qEnvironmentVariable("KPV_SOFFICE_BACKGROUND")))
        kpv::ui::afterFirstPaint(host.menu(), [&office] { office.startInBackground(); });
    return app.exec();
}
