#pragma once
// The user's messages for spreadsheet failures, and the mapping of the
// platform's file errors to failure kinds.

#include "excel/result.h"

#include <QString>

namespace kpv {
class Messages;
}

namespace kpv::excel {

struct FailureMessage {
    QString title;
    QString text; // lines joined by "\r"
};

// The title and text shown for a failure kind.
FailureMessage MessageForFailure(FailureKind kind);

// Shows the message of the failure in one box with the OK button (nothing
// for Cancelled: the user stopped the work).
void ReportExcelFailure(Messages &messages, const Failure &failure);
inline void ReportExcelFailure(Messages &messages, const Status &status)
{
    if (!status.ok()) ReportExcelFailure(messages, status.failure());
}

// The kind of a failed file operation from the platform's error number
// (errno on POSIX).
FailureKind FailureKindFromErrno(int error);

} // namespace kpv::excel
