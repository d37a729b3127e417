#pragma once
// The spreadsheet interface over LibreOffice Calc, driven through UNO.
//
// One soffice process per program run: the start-up builds one LibreOffice
// object and passes it by reference; the first operation that needs the
// application starts soffice (private profile folder, own process group),
// the destructor ends it. A soffice that crashed or was killed makes the
// running operation fail with ApplicationFailed, and the next bind starts a
// new one. Every wait (start, connect, end) has a time limit.
//
// Environment (LibreOfficeOptions::fromEnvironment):
//   KPV_SOFFICE           the soffice launcher (default /usr/lib/libreoffice/program/soffice)
//   KPV_SOFFICE_PIPE      connect to an office already listening on this pipe
//                         (the test suite's shared office); it is neither started nor ended here
//   KPV_SOFFICE_HEADLESS  "1": no windows at all. Also headless without a display
//                         (no DISPLAY and no WAYLAND_DISPLAY) or with QT_QPA_PLATFORM=offscreen.

#include "excel/spreadsheet.h"

#include <QString>

#include <memory>

namespace kpv::excel {

struct LibreOfficeOptions {
    QString program = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    QString pipeName;          // empty: a unique name
    bool external = false;     // connect to an office on pipeName; never start or end it
    bool headless = true;
    QString workFolder;        // profile folders and soffice.log; empty: a temporary folder
    int startTimeoutMs = 60000;
    int connectTimeoutMs = 10000; // external office
    int stopTimeoutMs = 15000;

    static LibreOfficeOptions fromEnvironment();
};

class LibreOffice : public Spreadsheet {
public:
    explicit LibreOffice(LibreOfficeOptions options = LibreOfficeOptions::fromEnvironment());
    ~LibreOffice() override;
    LibreOffice(const LibreOffice &) = delete;
    LibreOffice &operator=(const LibreOffice &) = delete;

    Result<std::unique_ptr<Workbook>> bind(const QString &path, Access access = Access::Read) override;
    Result<std::unique_ptr<Workbook>> createNew() override;
    bool isOpen(const QString &path) override;

    // Starts (or connects to) the office now rather than on first use.
    Status start();
    // Ends the office started here: terminate, wait, then kill its process group.
    // In a session with windows, an office that still shows workbooks to the
    // user is left running for the user instead (nothing unsaved is lost).
    void shutdown();
    // Leaves the started office running when this object goes (test fixture).
    void detach();

    long long processId() const; // 0 when none was started here
    QString pipeName() const;
    QString profileUrl() const;  // the profile of the running office (lock files name it)
    bool headless() const;

    // Ends an office listening on pipeName whose launcher has the given PID
    // (the test fixture's clean-up). True when it is gone.
    static bool stopExternal(const QString &pipeName, long long pid, int timeoutMs);

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace kpv::excel
