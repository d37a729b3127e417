#include "app/program.h"

#include "app/work_screens.h"
#include "menu/first_start.h"
#include "menu/platform.h"
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

Program::Program(const QString &programFolder)
{
    // Installed from the package: this user's own client folder.
    m_dolvb.clientFolder = menu::FirstStart::clientFolderFor(m_dolvb, programFolder, menu::userDataHome());
    app::registerWorkScreens(m_host, m_monthlyExplained);
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
