#include "import/import_folder.h"

#include "storage/text.h"

#include <QDir>

namespace kpv::import {

QStringList xlsFilesIn(const QString &folder)
{
    if (folder.isEmpty()) return {};
    QDir dir(folder);
    dir.setNameFilters({QStringLiteral("*.xls")});
    dir.setFilter(QDir::Files | QDir::Hidden);
    dir.setSorting(QDir::Unsorted);
    return dir.entryList();
}

QString importFolderText(const QString &folder)
{
    return normalizeFolderPath(folder.trimmed());
}

} // namespace kpv::import
