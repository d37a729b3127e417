#pragma once
// The administrator's checks of the shared files of a data folder.

#include <QString>
#include <QStringList>

#include <cstdio>

namespace kpv::tool {

// One JSON object per ledger record, one per line, UTF-8.
// False when the ledger cannot be read.
bool dumpLedger(const QString &dataFolder, std::FILE *out);

// The 50 slots of a settings file as a JSON array. False when unreadable.
bool dumpSettings(const QString &path, std::FILE *out);

struct CheckResult {
    bool readable = true;   // false: the folder or its ledger cannot be read
    QStringList findings;   // one line each
};
CheckResult checkDataFolder(const QString &dataFolder);

} // namespace kpv::tool
