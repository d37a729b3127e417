#pragma once
// The list of the common documents: the files of the data folder's
// "M在庫資料" (the item specification workbooks, the daily receipts/issues
// book and whatever documents the users keep there), newest first, narrowed
// by a part of the name. Spreadsheet files open in the office, every other
// file in the desktop's default application.

#include <QDateTime>
#include <QString>

#include <vector>

namespace kpv::menu {

struct DocumentEntry {
    QString name;      // file name
    QString path;      // absolute path
    QDateTime modified;
    qint64 size = 0;
};

// The files (not folders, not hidden files, not the office's lock files) of
// folder, newest first; equal times by name.
std::vector<DocumentEntry> listDocuments(const QString &folder);

// The entries whose name contains every word of filter (blank-separated,
// half- or full-width blanks; case and width of Latin letters ignored).
std::vector<DocumentEntry> filterDocuments(const std::vector<DocumentEntry> &all, const QString &filter);

// Whether the office opens the file (spreadsheet files by their extension).
bool opensInOffice(const QString &fileName);

// Size as shown ("12 KB", at least 1 KB for a non-empty file).
QString sizeText(qint64 bytes);

} // namespace kpv::menu
