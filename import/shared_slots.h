#pragma once
// Changing some SharedSettings slots: the file is read again and only these
// slots change, so what another client saved meanwhile is kept.

#include <QString>

#include <map>

namespace kpv {
class Dolvb;
}

namespace kpv::import {

bool changeSharedSlots(Dolvb &d, const std::map<int, QString> &values);

} // namespace kpv::import
