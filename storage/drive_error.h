#pragma once
// The report of a failed drive or folder access, by the classic error
// numbers (7 out of memory, 53 file not found, 70 permission denied, 76 path
// not found, 61 disk full ...).

#include "storage/messages.h"

#include <QFileDevice>
#include <QString>

namespace kpv {

struct DriveErrorReport {
    bool show = false;        // a message is shown
    bool endProgram = false;  // the program ends after the message
    QString title;            // "異常確認"
    QString text;             // prefix, a space, the description, the extra text
};

DriveErrorReport classifyDriveError(int errorNumber, const QString &prefix, const QString &description);

// Shows the report (if any) through messages; true when the program must end.
bool reportDriveError(Messages &messages, int errorNumber, const QString &prefix, const QString &description);

// The classic error number of a failed file operation, for the table above.
int driveErrorNumber(QFileDevice::FileError error, bool pathMissing);

} // namespace kpv
