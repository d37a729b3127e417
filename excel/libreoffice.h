#pragma once
// The spreadsheet interface over LibreOffice Calc, driven through UNO.
//
// One soffice process per program run: the start-up builds one LibreOffice
// object and passes it by reference. The program's work with the office runs
// on the object's work thread (work_thread.h), behind a progress window, so
// the window thread never waits on the office. With a display, the office is
// started on that thread in the background when the menu first shows
// (startInBackground, StartsInBackground); otherwise the first operation that
// needs it starts it. A start that fails in the background is told only when
// a workbook is asked for (that work starts it again and reports the failure).
// soffice runs with a private profile, in its own process group, with its
// own folder (office_records.h) that holds its profile, its temporary folder
// (TMPDIR), its log and its record; the folder goes when the office ends.
//
// A soffice that crashed, was killed or stopped answering makes the running
// operation fail, and the next bind starts a new one. Every wait has a time
// limit, every call to the office too. When a call passes callTimeoutMs (or
// is broken off by 中止 or the program's end), an office that holds no book
// of the user's is ended (ours by proof); one that may hold the user's books
// (the program showed it a book, and the user has not closed them all since)
// is never ended: our connection is dropped, the call fails with NoAnswer
// (the user is told the office was left running) and the next bind starts a
// new office. The slowest calls of this system are on a full .xls sheet
// (65,536 rows of 30 columns, bench_excel's BM_LargestCalls): load 90 s,
// store 41 s, block write 24 s, block read 12 s on two cores at a load
// average of 11; the bound of 300 s leaves three times that.
//
// The program ignores SIGPIPE (an office dying during a call must fail the
// call, not end the program). Only processes proven ours (process_proof.h)
// are ever signalled. A document the user closed fails the call on it but
// never condemns an office that still answers.
//
// At the end (bounded to a few seconds whatever the office does), in a
// session with windows, the books the user can see or that hold unsaved
// changes (also one the program hid) are the user's: they are shown and the
// office is left running for the user; so is an office that may hold them
// and does not answer. Anything else of ours is closed and the office ended.
// At the first start, what a crashed earlier run left (an invisible office,
// its kpv-soffice-* folder) is ended and removed, by the same proof; a
// running program's folder is never touched.
//
// Environment (LibreOfficeOptions::fromEnvironment):
//   KPV_SOFFICE           the soffice launcher (default /usr/lib/libreoffice/program/soffice)
//   KPV_SOFFICE_PIPE      connect to an office already listening on this pipe
//                         (the test suite's shared office); it is neither started nor ended here
//   KPV_SOFFICE_HEADLESS  "1": no windows at all. Also headless without a display
//                         (no DISPLAY and no WAYLAND_DISPLAY) or with QT_QPA_PLATFORM=offscreen.
//   KPV_SOFFICE_CALL_TIMEOUT_MS  the bound on one call (tests of a hung office)
//   KPV_SOFFICE_BACKGROUND  "0": never started in the background; "1": also without a display

#include "excel/spreadsheet.h"

#include <QString>

#include <functional>
#include <memory>

namespace kpv::excel {

struct LibreOfficeOptions {
    QString program = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    QString pipeName;          // empty: a unique name
    bool external = false;     // connect to an office on pipeName; never start or end it
    bool headless = true;
    QString workFolder;        // where the office folders are made; empty: the per-user folder (office_records.h)
    int startTimeoutMs = 60000;
    int connectTimeoutMs = 10000; // external office
    int callTimeoutMs = 300000;   // one call to the office
    QString leftoversFolder;      // where crashed runs' folders are looked for; empty: the work folder

    static LibreOfficeOptions fromEnvironment();
};

// Whether the office starts in the background when the menu first shows:
// with windows on a display, unless ClientSettings switches it off or the
// environment (KPV_SOFFICE_BACKGROUND) says otherwise.
bool StartsInBackground(const QString &platformName, bool displayNamed, bool switchedOff, const QString &environment);

class LibreOffice : public Spreadsheet {
public:
    explicit LibreOffice(LibreOfficeOptions options = LibreOfficeOptions::fromEnvironment());
    ~LibreOffice() override;
    LibreOffice(const LibreOffice &) = delete;
    LibreOffice &operator=(const LibreOffice &) = delete;

    Result<std::unique_ptr<Workbook>> bind(const QString &path, Access access = Access::Read) override;
    Result<std::unique_ptr<Workbook>> createNew() override;
    bool isOpen(const QString &path) override;

    WorkThread *workThread() override;

    // Starts (or connects to) the office now rather than on first use.
    Status start();
    // The same as the first work of the work thread; its failure is not told.
    void startInBackground();
    // Ends the office started here: terminate, wait, then kill its process group.
    // In a session with windows, an office that still shows workbooks to the
    // user is left running for the user instead (nothing unsaved is lost).
    // Work still running is broken off first; the whole takes a few seconds
    // at most.
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
    // above), when the folder is a private one of ours. Runs before the first
    // office of a LibreOffice object starts; stop ends it early.
    static void cleanLeftovers(const QString &folder);
    static void cleanLeftovers(const QString &folder, const std::function<bool()> &stop);

    struct Impl;

private:
    std::unique_ptr<Impl> d;
};

} // namespace kpv::excel
