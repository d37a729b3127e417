#include "menu/platform.h"

#include <QSysInfo>
#include <QtGlobal>

namespace kpv::menu {

QString machineName()
{
    const QString fromEnv = qEnvironmentVariable("COMPUTERNAME").trimmed();
    if (!fromEnv.isEmpty()) return fromEnv;
    return QSysInfo::machineHostName();
}

} // namespace kpv::menu
