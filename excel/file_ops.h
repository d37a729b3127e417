#pragma once
// File operations around workbooks: the template copy, the in-use and
// writability checks. The platform calls of the spreadsheet layer live here.

#include "excel/result.h"

#include <QString>
#include <QStringList>

namespace kpv::excel {

// Copies the template over target (replacing it). Missing template: the
// template's folder missing gives FolderMissing, the file TemplateMissing; a
// missing target folder gives FolderMissing; a target that cannot be written
// gives InUse.
Status CopyTemplateFile(const QString &templatePath, const QString &target);

// InUse when an existing file cannot be opened for writing.
Status CheckWritable(const QString &path);

// The book stored at path, kept as a copy beside it (a hidden file in the
// same folder) while another program replaces it: restore() puts it back in
// one step (or removes what was written when there was no book before),
// discard() drops the copy. Dropped with the object when neither was called.
class BookBackup {
public:
    explicit BookBackup(QString path);
    ~BookBackup();
    BookBackup(const BookBackup &) = delete;
    BookBackup &operator=(const BookBackup &) = delete;

    bool ok() const { return m_ok; } // false: the copy could not be made
    void restore();
    void discard();

private:
    QString m_path;
    QString m_copy;   // empty when there was no book
    bool m_ok = true;
    bool m_done = false;
};

// Who holds the lock file ".~lock.<name>#" beside a workbook.
enum class LockHolder {
    None,      // no lock file
    Own,       // the running office (its profile is ownProfileUrl)
    StaleOurs, // an office of this program that is gone: one of deadProfiles,
               // or a crashed run's (same machine, a profile of ours that no
               // running process uses)
    Other,     // another session or PC
};
LockHolder LockHolderOf(const QString &path, const QString &ownProfileUrl, const QStringList &deadProfiles = {});

// True when a spreadsheet application of another session holds the file open.
inline bool LockedByOther(const QString &path, const QString &ownProfileUrl, const QStringList &deadProfiles = {})
{
    return LockHolderOf(path, ownProfileUrl, deadProfiles) == LockHolder::Other;
}

// Removes the lock file when it is a stale one of ours (the office would
// otherwise open the book read-only). True when no stale lock remains.
bool RemoveStaleLock(const QString &path, const QString &ownProfileUrl, const QStringList &deadProfiles);

// The name of this machine, as spreadsheet lock files record it.
QString HostName();

} // namespace kpv::excel
