#pragma once
// File operations around workbooks: the template copy, the in-use and
// writability checks. The platform calls of the spreadsheet layer live here.

#include "excel/result.h"

#include <QString>

namespace kpv::excel {

// Copies the template over target (replacing it). Missing template: the
// template's folder missing gives FolderMissing, the file TemplateMissing; a
// missing target folder gives FolderMissing; a target that cannot be written
// gives InUse.
Status CopyTemplateFile(const QString &templatePath, const QString &target);

// InUse when an existing file cannot be opened for writing.
Status CheckWritable(const QString &path);

// True when a spreadsheet application of another session holds the file open:
// its lock file ".~lock.<name>#" exists beside it and does not belong to the
// profile ownProfileUrl. Lock files left by a crashed session of this program
// (same machine, a profile of this program that is not the current one) are
// stale and not counted.
bool LockedByOther(const QString &path, const QString &ownProfileUrl);

// The name of this machine, as spreadsheet lock files record it.
QString HostName();

} // namespace kpv::excel
