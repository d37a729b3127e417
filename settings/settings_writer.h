#pragma once
// How the settings screen changes the shared files. Several clients share
// the data folder, so no change writes the whole in-memory store: each one
// re-reads the file under its lock and sets only the slots it changed, and a
// list is saved on its own. Values are checked before they are set.

#include <QString>

#include <map>
#include <optional>

namespace kpv {
class Dolvb;
}

namespace kpv::settings {

// The message naming the first character a settings or list file cannot
// hold (double quote, line break, text outside code page 932), or nullopt.
std::optional<QString> valueProblem(const QString &value);

// Sets exactly these SharedSettings / ClientSettings slots in the file and in
// memory. False when refused or not written (the user was told).
bool changeShared(Dolvb &d, const std::map<int, QString> &changes);
bool changeClient(Dolvb &d, const std::map<int, QString> &changes);

// Saves one pick-list file (lists 2..6) from the memory table.
bool saveList(Dolvb &d, int list);

} // namespace kpv::settings
