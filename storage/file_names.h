#pragma once
// Names of the files and sub-folders, used exactly as written (paths are
// formed as folder + name).

#include <QString>

namespace kpv::names {

inline QString clientSettings() { return QStringLiteral("MbDOLV在庫品基礎.dat"); }
inline QString sharedSettings() { return QStringLiteral("Ma在庫品基礎.dat"); }
inline QString ledger() { return QStringLiteral("Ma在庫品.dat"); }
inline QString tempLedger() { return QStringLiteral("Ma在庫品仮.dat"); }
// The index cache is written under one name and read back under another;
// both names are kept as other clients use them.
inline QString indexCacheWritten() { return QStringLiteral("Ma在庫品No.dat"); }
inline QString indexCacheRead() { return QStringLiteral("Ma在庫No.dat"); }
inline QString pickListPrefix() { return QStringLiteral("Mb在庫品"); }
inline QString ledgerBooksFolder() { return QStringLiteral("M在庫台帳"); }
inline QString materialsFolder() { return QStringLiteral("M在庫資料"); }
inline QString templatesFolder() { return QStringLiteral("原本Excel"); }
inline QString picturesFolder() { return QStringLiteral("設備画像"); }
inline QString importBooksFolder() { return QStringLiteral("原本INP"); }

} // namespace kpv::names
