#pragma once
// The import folder: the books in it, and the folder text as it is kept in
// SharedSettings slot 10 (exactly one trailing separator).

#include <QString>
#include <QStringList>

namespace kpv::import {

// The names of the files of the folder ending in ".xls" (any case), in the
// order the directory gives them. Empty for a missing folder.
QStringList xlsFilesIn(const QString &folder);

// The folder trimmed and, when it has at least two characters, ended with
// exactly one separator.
QString importFolderText(const QString &folder);

} // namespace kpv::import
