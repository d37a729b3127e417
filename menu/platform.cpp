#include "menu/platform.h"

#include <QDir>
#include <QSysInfo>
#include <QtGlobal>

namespace kpv::menu {

QString machineName()
{
    const QString fromEnv = qEnvironmentVariable("COMPUTERNAME").trimmed();
    if (!fromEnv.isEmpty()) return fromEnv;
    return QSysInfo::machineHostName();
}

QString userDataHome()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/share"));
}

} // namespace kpv::menu
