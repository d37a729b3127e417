#pragma once
// The change journal of a data folder read back: the entries as a table
// (kpvtool journal) and an item's values put back as they were at a time
// (kpvtool restore). See storage/change_journal.h for the lines.

#include "storage/change_journal.h"

#include <QDateTime>
#include <QString>

#include <cstdio>
#include <vector>

namespace kpv::tool {

struct JournalEntry {
    enum class State { Done, Unfinished, GivenUp };
    QString id;
    QString time; // as written
    QDateTime at;
    QString pc, user, op;
    QString history;
    int recordsBefore = -1, recordsAfter = -1;
    State state = State::Unfinished;
    std::vector<changes::ItemChange> items;
};

// The entries of the older journal file and then the current one, in the
// order they were written (the ledger lock orders them). readable false
// when the folder cannot be read; no journal yet is no entries.
struct Journal {
    bool readable = false;
    std::vector<JournalEntry> entries;
};
Journal readJournal(const QString &dataFolder);

// A time given by the user: "2026-06-30", "2026-06-30 17:00", "2026/06/30 17:00:05",
// or ISO 8601 with a zone; local time unless it says otherwise. Invalid
// when it reads as none of them.
QDateTime parseUserTime(const QString &text);

struct JournalFilter {
    QString item;     // entries touching this item number
    QDateTime since;  // entries at or after
    QString pc;       // entries from this PC
};
// The table, one line per changed field, tab-separated, with its heading.
void printJournal(const Journal &journal, const JournalFilter &filter, FILE *out);

// kpvtool restore: 0 restored (or nothing to restore), 1 not confirmed,
// 2 refused or failed (the reason on err).
int restoreItem(const QString &dataFolder, const QString &item, const QDateTime &at, bool confirmed, FILE *in, FILE *out,
                FILE *err);

} // namespace kpv::tool
