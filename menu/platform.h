#pragma once
// The one place that asks the operating system who this PC is.

#include <QString>

namespace kpv::menu {

// The PC's name: the environment variable COMPUTERNAME (set on Windows),
// else the host name.
QString machineName();

} // namespace kpv::menu
