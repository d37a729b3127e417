#pragma once
// The one rule for item numbers, wherever one is entered: on the card, in the
// ledger import, in the monthly import and for the item's specification
// workbook, which is named after it ("在庫品仕様" + item number + ".xls").
// An item number must therefore be usable as part of a file name on every
// client: no character a file name cannot hold (\ / : * ? " < > |), no
// control character, not "." or ".." or anything holding "..", and no "." or
// space at its end. An empty item number passes this rule (a card may be
// registered without one); whoever needs a number says so itself.

#include <QString>

#include <optional>

namespace kpv {

// Why number cannot be an item number, as the user is told (one line, no
// title); nullopt when it can.
std::optional<QString> itemNumberProblem(const QString &number);

} // namespace kpv
