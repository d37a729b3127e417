#pragma once
// The spreadsheet interface over LibreOffice Calc, driven through UNO.
//
// One soffice process per program run: the start-up builds one LibreOffice
// object and passes it by reference; the first operation that needs the
// application starts soffice (private profile folder, own process group),
// the destructor ends it. A soffice that crashed, was killed or stopped
// answering makes the running operation fail with ApplicationFailed, and the
// next bind starts a new one. Every wait has a time limit, every call to the
// office too: an office that hangs, or waits on a dialog of its own, is ended
// (ours by proof) when a call passes callTimeoutMs. The slowest calls of this
// system are on a full .xls sheet (65,536 rows of 30 columns, bench_excel's
// BM_LargestCalls): load 90 s, store 41 s, block write 24 s, block read 12 s
// on two cores at a load average of 11; the bound of 300 s leaves three times
// that.
//
// The program ignores SIGPIPE (an office dying during a call must fail the
// call, not end the program). Only processes proven ours (process_proof.h)
// are ever signalled. A document the user closed fails the call on it but
// never condemns an office that still answers.
//
// At the end, in a session with windows, the books the user can see or that
// hold unsaved changes (also one the program hid) are the user's: they are
// shown and the office is left running for the user. Anything else of ours is
// closed and the office ended. At the start, what a crashed earlier run left
// (an invisible office, its kpv-soffice-* folder) is ended and removed, by the
// same proof; a running program's folder is never touched.
//
// Environment (LibreOfficeOptions::fromEnvironment):
//   KPV_SOFFICE           the soffice launcher (default /usr/lib/libreoffice/program/soffice)
//   KPV_SOFFICE_PIPE      connect to an office already listening on this pipe
//                         (the test suite's shared office); it is neither started nor ended here
//   KPV_SOFFICE_HEADLESS  "1": no windows at all. Also headless without a display
//                         (no DISPLAY and no WAYLAND_DISPLAY) or with QT_QPA_PLATFORM=offscreen.
//   KPV_SOFFICE_CALL_TIMEOUT_MS  the bound on one call (tests of a hung office)

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
    int callTimeoutMs = 300000;   // one call to the office
    QString leftoversFolder;      // where crashed runs' folders are looked for; empty: the temporary folder

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
    // (the test fixture's clean-up), only when the PID is proven to be that
    // office; any other number is forgotten. True when no such office remains.
    static bool stopExternal(const QString &pipeName, long long pid, int timeoutMs);

    // Ends and removes what crashed runs of the program left in folder (see
    // above). Runs before the first office of a LibreOffice object starts.
    static void cleanLeftovers(const QString &folder);

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace kpv::excel
