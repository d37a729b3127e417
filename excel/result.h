#pragma once
// Outcome of a spreadsheet operation: success, or a failure of a known kind.
//
// Spreadsheet failures are expected (a template deleted by a user, a workbook
// open on another PC, LibreOffice missing or crashed), so they travel back as
// values. Nothing in this layer lets an exception escape to its callers; the
// screen turns the kind into the system's message with ReportExcelFailure.

#include <QString>

#include <optional>
#include <type_traits>
#include <utility>

namespace kpv::excel {

enum class FailureKind {
    InUse,             // permission denied: the file is open elsewhere or not writable
    ApplicationFailed, // the spreadsheet application is missing, crashed or failed
    TemplateMissing,   // the template file to copy from does not exist
    DiskNotReady,      // the drive or medium does not answer
    FolderMissing,     // the template folder or the output folder does not exist
    WorkbookNotFound,  // the file to bind to is missing or is not a workbook
    OutsideSheet,      // a cell beyond the .xls sheet (65,536 rows, 256 columns) or an inverted range
    WriteFailed,       // storing the finished book failed (disk full, I/O error)
    NoAnswer,          // the office stopped answering and, holding the user's books, was left running
    Cancelled,         // the user cancelled the work (中止): nothing to tell
    Other,             // anything else
};

struct Failure {
    FailureKind kind = FailureKind::Other;
    QString detail; // for logs and tests; never shown to the user
};

class Status {
public:
    Status() = default;
    Status(Failure failure) : m_failure(std::move(failure)) {}
    static Status fail(FailureKind kind, QString detail = {}) { return Status(Failure{kind, std::move(detail)}); }

    bool ok() const { return !m_failure.has_value(); }
    explicit operator bool() const { return ok(); }
    const Failure &failure() const { return *m_failure; }
    FailureKind kind() const { return m_failure->kind; }

private:
    std::optional<Failure> m_failure;
};

template <class T>
class Result {
public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure failure) : m_failure(std::move(failure)) {}
    Result(const Status &status) : m_failure(status.failure()) {} // only from a failed status

    bool ok() const { return m_value.has_value(); }
    // "The call succeeded": not offered for Result<bool>, where it would read
    // as the answer. Use ok() and value() there.
    explicit operator bool() const
        requires(!std::is_same_v<T, bool>)
    {
        return ok();
    }
    T &value() { return *m_value; }
    const T &value() const { return *m_value; }
    T *operator->() { return &*m_value; }
    T &operator*() { return *m_value; }
    const Failure &failure() const { return *m_failure; }
    FailureKind kind() const { return m_failure->kind; }
    Status status() const { return ok() ? Status() : Status(*m_failure); }

private:
    std::optional<T> m_value;
    std::optional<Failure> m_failure;
};

} // namespace kpv::excel
