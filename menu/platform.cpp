#include "menu/platform.h"

#include "storage/machine.h"

#include <QDir>
#include <QtGlobal>

namespace kpv::menu {

QString machineName()
{
    return kpv::machineName();
}

QString userDataHome()
{
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) return QDir::cleanPath(xdg);
    return QDir::cleanPath(QDir::homePath() + QStringLiteral("/.local/share"));
}

} // namespace kpv::menu
