#pragma once
// The one place that asks the operating system who this PC is and where
// its user keeps their own files.

#include <QString>

namespace kpv::menu {

// The PC's name: the environment variable COMPUTERNAME (set on Windows),
// else the host name.
QString machineName();

// The folder where the user's programs keep their data: XDG_DATA_HOME when
// it is an absolute path, else ~/.local/share. No trailing separator.
QString userDataHome();

} // namespace kpv::menu
