#pragma once
// What `kpvtool --help` prints: the tool's commands for the plant's
// administrator, in Japanese.

#include <QString>

namespace kpv::tool {

QString helpText();

} // namespace kpv::tool
