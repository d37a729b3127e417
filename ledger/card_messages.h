#pragma once
// The messages of the item card: what an entry is refused or told with, and
// the questions before the card's values are discarded or registered after
// another client changed the ledger. One set, used by the entry tools and by
// the card's commands alike. Every one has the title cardTitle().

#include <QString>

namespace kpv::ledger::card_messages {

QString cardTitle();  // "登録確認"

// ---- Entries ------------------------------------------------------------------
// A character code page 932 cannot hold (the character named).
QString unstorableCharacter(const QString &character);
// A number entry that is not a number (the text named).
QString notANumber(const QString &typed, bool decimal);
// A number entry longer than its cell (bytes: the cell's width).
QString numberTooLong(const QString &typed, int bytes);
// A text longer than its field was stored cut: what was typed and what the
// field now holds.
QString textCut(const QString &typed, const QString &stored);
// The item number entered is held by another record: はい keeps the previous one.
QString duplicateItemNumber(int recordNo);
// A total of the computation that its cell cannot hold.
QString totalTooLong();
// A shortage at a month (heading) or at the year end (empty heading).
QString shortage(const QString &heading);

// ---- Leaving the card and registering -----------------------------------------
// The card holds changes that were never registered: はい discards them.
QString discardChanges();
// Another client registered a change of the same item since the card read it.
QString overwriteChange();
// The ledger was replaced or reordered on another PC since the list or the
// card read it.
QString reorderedListReloaded();
QString reorderedAtRegister();
// Offers after a reorder: the record now holding the item, or a new item
// (count: how many records hold the item number now).
QString registerOnto(int recordNo, const QString &itemNumber);
QString registerAsNew(const QString &itemNumber, int count);

} // namespace kpv::ledger::card_messages
