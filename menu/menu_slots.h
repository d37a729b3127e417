#pragma once
// The settings slots under the short names the menu code uses.

#include "storage/settings_slots.h"

namespace kpv::menu {
namespace client = ::kpv::slot::client;
namespace shared = ::kpv::slot::shared;
} // namespace kpv::menu
