#include "menu/platform.h"

#include "storage/machine.h"

namespace kpv::menu {

QString machineName()
{
    return kpv::machineName();
}

} // namespace kpv::menu
