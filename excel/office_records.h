#pragma once
// Where the offices this program starts keep their files, and the record
// that lets a later run find an office a crashed run left behind.
//
// Every office gets a folder of its own, "kpv-soffice-XXXXXX", inside a
// per-user folder of mode 700: the runtime folder ($XDG_RUNTIME_DIR/kpv-offices)
// when there is one of ours, else the user's cache folder
// (~/.cache/kpv/offices). Nobody else can put a record there. The office
// folder holds the office's profile, its temporary folder (the office's
// TMPDIR, so everything it leaves behind goes with the folder), its log and
// the record, which is written beside and renamed into place (never half a
// record).
//
// A record is trusted only when the folder above it is ours and private,
// and the office folder and the record are ours and writable by nobody else
// (no symbolic links either). An empty field proves nothing: the marks made
// from it match no process (process_proof.h).

#include <QString>

#include <optional>

namespace kpv::excel::records {

struct OfficeRecord {
    long long program = 0; // the program that started the office
    long long office = 0;  // the office's launcher, leading its process group
    QString pipe;
    QString profile;       // the profile URL
    bool headless = true;
    bool user = false;     // the office was handed books of the user's and left running for them
};

// The per-user folder for office folders, created with mode 700 when
// missing; empty when no such folder can be had.
QString defaultOfficesFolder();

// Whether path is a folder of ours that nobody else may enter: owned by this
// user, mode 700 (no rights for group or others), not a symbolic link.
bool privateFolder(const QString &path);
// Whether path (a folder or a file) is ours and writable by nobody else, and
// not a symbolic link.
bool ownedAndClosed(const QString &path, bool folder);

// A new office folder inside base (mode 700, with its temporary folder);
// empty when it cannot be made.
QString newOfficeFolder(const QString &base);
// The office's temporary folder inside its folder.
QString tempFolderOf(const QString &officeFolder);
// The profile folder inside an office folder.
QString profileFolderOf(const QString &officeFolder);
// The office folders in base ("kpv-soffice-*").
QStringList officeFoldersIn(const QString &base);

// Writes the record of an office folder (beside, then renamed; mode 600).
bool writeRecord(const QString &officeFolder, const OfficeRecord &record);
// The record of an office folder inside base, when both can be trusted (see
// above); nullopt otherwise.
std::optional<OfficeRecord> readRecord(const QString &base, const QString &officeFolder);

} // namespace kpv::excel::records
