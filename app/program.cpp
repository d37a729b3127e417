#include "app/program.h"

#include "import/form10.h"
#include "ledger/form11.h"
#include "menu/common_documents.h"
#include "settings/form2.h"
#include "storage/settings_slots.h"
#include "ui/after_first_paint.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>

namespace kpv {

void setScreenFont()
{
    for (const QString &family : {QStringLiteral("IPAGothic"), QStringLiteral("IPAPGothic"), QStringLiteral("MS UI Gothic")}) {
        if (QFontDatabase::hasFamily(family)) {
            QFont f(family);
            f.setPointSize(10);
            QApplication::setFont(f);
            break;
        }
    }
}

Program::Program(const QString &clientFolder)
{
    m_dolvb.clientFolder = clientFolder;
    // Each work screen registers its window here.
    m_host.registerScreen(menu::Screen::Ledger, [this](menu::ScreenServices &s) {
        auto *form = new ledger::Form11(s);
        new ledger::WorkbookCommands(*form, s.spreadsheet, m_monthlyExplained);
        return form;
    });
    m_host.registerScreen(menu::Screen::Settings, [](menu::ScreenServices &s) { return new settings::Form2(s.d, s.spreadsheet); });
    m_host.registerScreen(menu::Screen::Import, [](menu::ScreenServices &s) { return new import::Form10(s); });
    m_host.registerScreen(menu::Screen::CommonDocuments, [](menu::ScreenServices &s) { return new menu::CommonDocuments(s); });
}

bool Program::show()
{
    m_host.showMenu();
    if (!m_host.menu() || m_host.ended()) return false;
    const bool display = !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (excel::StartsInBackground(QGuiApplication::platformName(), display,
                                  m_dolvb.clientSettings.isOn(slot::client::kNoBackgroundOffice),
                                  qEnvironmentVariable("KPV_SOFFICE_BACKGROUND")))
        ui::afterFirstPaint(m_host.menu(), [this] { m_office.startInBackground(); });
    return true;
}

} // namespace kpv
