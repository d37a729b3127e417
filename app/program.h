#pragma once
// The program's parts, built in the order they depend on each other: the
// message boxes and the mouse pointer (reached from the office's work thread
// through their window-thread wrappers), the process-wide data on the
// program's folder, the one spreadsheet office, the menu host with the work
// screens. show() shows the menu; once it has been painted, the office
// starts in the background where a user sees windows (unless ClientSettings
// or KPV_SOFFICE_BACKGROUND switch that off), so that the first workbook
// does not wait for it. The office ends with the object, after a few seconds
// at most.

#include "excel/libreoffice.h"
#include "excel/window_thread.h"
#include "ledger/workbook_commands.h"
#include "menu/menu_host.h"
#include "storage/dolvb.h"
#include "ui/qt_busy_pointer.h"
#include "ui/qt_messages.h"

#include <QString>

namespace kpv {

// The Japanese screen font, where one is installed.
void setScreenFont();

class Program {
public:
    // programFolder: the program's folder (ends with one separator). It is
    // the client folder, unless the program runs installed from the package:
    // then the user's own client folder is made from it.
    explicit Program(const QString &programFolder);

    // Loads and shows the menu (the start-up runs); false when the start-up
    // ended the program.
    bool show();

    menu::MenuHost &host() { return m_host; }
    excel::LibreOffice &office() { return m_office; }

private:
    ui::QtMessages m_boxes;
    excel::WindowThreadMessages m_messages{m_boxes};
    ui::QtBusyPointer m_shownPointer;
    excel::WindowThreadPointer m_pointer{m_shownPointer};
    Dolvb m_dolvb{m_messages, m_pointer};
    excel::LibreOffice m_office;
    menu::MenuHost m_host{m_dolvb, &m_office};
    // The monthly buttons explain themselves once per run of the program.
    ledger::MonthlyExplained m_monthlyExplained;
};

} // namespace kpv
