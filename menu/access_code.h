#pragma once
// Login access codes: six digits, accepted by a fixed rule. The
// administrator hands codes out when the login function is switched on.

#include <QString>

namespace kpv::menu {

// The typed text, trimmed, is a valid access code. Full-width digits count
// as digits (an input method may give them).
bool acceptsAccessCode(const QString &typed);

} // namespace kpv::menu
