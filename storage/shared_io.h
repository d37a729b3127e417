#pragma once
// The file calls of the shared data folder, in one place, with what a file
// server makes of them:
// - an open for writing can be refused for about a second after this PC
//   closed the same file (the close reaches the server late): retried;
// - a rename over a file that another PC holds open is refused: retried,
//   then reported as "in use" with nothing changed;
// - a file that existed can look missing for a moment: a read that finds no
//   file looks again before it says so;
// - a removal is refused while another PC has the file open, even only for
//   a moment's read (measured over smbnetfs: one unlink in twenty of a file
//   another PC kept reading failed with EBUSY): retried;
// - a replaced file keeps the mode, owner and group of the file it
//   replaces, and is on the disk (file and folder synced) before it is
//   reported written.
// Every bound is a time, so a slow server gets the same number of seconds
// as a fast one.

#include <QByteArray>
#include <QString>

#include <functional>
#include <sys/types.h>

namespace kpv::io {

// How long each refusal is retried (milliseconds).
struct Retry {
    int openMs = 3000;    // an open for writing refused by the server
    int renameMs = 10000; // a rename over a file another PC holds open
    int missingMs = 600;  // a file that looks missing
};
// The process-wide bounds (KPV_SHARE_OPEN_MS, KPV_SHARE_RENAME_MS and
// KPV_SHARE_MISSING_MS override them).
Retry &retry();

QByteArray localPath(const QString &path);

// The size of a file as the server has it now. A client of a file server
// keeps what it last heard of a file for a while (measured over smbnetfs: a
// plain stat after another PC appended still gave the old length); this
// asks again. -1 when it cannot be had.
qint64 freshSize(const QString &path);
qint64 freshSize(int fd);

enum class ReadStatus { Read, Missing, Failed };
// Reads the whole file. lookAgain: a file that looks missing is looked for
// again within the bound before it counts as missing (for a file that
// should be there: one that existed must never be taken for a new one).
ReadStatus readFile(const QString &path, QByteArray &out, bool lookAgain = false);

// Opens for writing (flags as for open(2)), retrying a refusal within the
// bound. -1 with errno set when it stays refused.
int openForWrite(const QString &path, int flags, mode_t mode = 0666);

// Writes every byte at offset (pwrite), whatever each call takes.
bool writeAt(int fd, const char *data, qint64 size, qint64 offset);
bool writeAll(int fd, const char *data, qint64 size);
bool syncFile(int fd);
// Syncs the folder that holds path, so a rename in it is on the disk.
bool syncFolderOf(const QString &path);

// Mode, owner and group of a file (exists false when there is none).
struct Identity {
    bool exists = false;
    mode_t mode = 0;
    uid_t uid = 0;
    gid_t gid = 0;
};
Identity identityOf(const QString &path);
// Gives the open file the mode, owner and group (as far as this process
// may: the owner is kept only by a process allowed to give files away).
void applyIdentity(int fd, const Identity &identity);

// A new name beside path for a file that only this process writes: the
// PC, the process and a counter make it unique among all clients.
QString besideName(const QString &path, const char *kind);
// Removes the files a process (of that PC) wrote beside path and left
// there: called once that process is known to be gone.
void removeBesideFilesOf(const QString &path, const QString &pc, qint64 pid);

enum class Outcome { Done, InUse, Failed };
// Renames from over to in one step, retrying while the server refuses
// because another PC holds `to` open. InUse when it stays refused.
Outcome renameOver(const QString &from, const QString &to);

// Writes a new file at path (created exclusively), synced to the disk,
// with the identity given (or the process's default mode when it does not
// exist). The writer gets the open descriptor. The file is removed when
// anything fails.
bool writeNewFile(const QString &path, const Identity &identity, const std::function<bool(int fd)> &write);

// Replaces the file whole: the bytes go to a new file beside it (synced,
// with the old file's mode, owner and group), which is renamed over it;
// then the folder is synced. A crash leaves the old file or the new one.
// InUse: another PC kept the file open past the bound; nothing changed.
Outcome replaceWhole(const QString &path, const QByteArray &bytes);
Outcome replaceWhole(const QString &path, const std::function<bool(int fd)> &write);

// Makes the folder path (not its parents): 0, or the error (EEXIST when it
// is there). A refusal of the server for a moment is retried within the
// bound.
int makeFolder(const QString &path);
// Removes an empty folder, retrying a refusal within the bound. True when
// it is gone.
bool removeFolder(const QString &path);
bool isFile(const QString &path);

// Removes a file, retrying a refusal within the bound (another PC reading
// it). True when it is gone.
bool removeFile(const QString &path);
bool exists(const QString &path);

} // namespace kpv::io
