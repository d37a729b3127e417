#pragma once
// The office behind a LibreOffice object (private to the layer): its
// process, its folder and record, the connection, and what the work thread,
// a deadline and the program's end do to it. See libreoffice.h for the rules.
//
// Threads: the members below are used by one caller at a time (the work
// thread, or a test's own thread), under `mutex`. breakOff() may come from
// any thread at any time and touches only the `live` part, under its own
// mutex: the session a call is waiting on and the process being started.

#include "excel/libreoffice.h"
#include "excel/lo_workbook.h"
#include "excel/office_records.h"
#include "excel/soffice_process.h"
#include "excel/work_thread.h"

#include <QStringList>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace kpv::excel {

using namespace uno;

// The books of an office: whether each one is shown and whether it holds
// unsaved changes.
struct BookState {
    Reference<css::frame::XModel> model;
    bool visible = false;
    bool modified = false;
};
std::vector<BookState> booksOf(const Reference<css::frame::XDesktop2> &desktop);

// Removes the socket files an office leaves in /tmp when it is killed.
void removePipeFiles(const QString &pipeName, const QString &profileUrl);

// What the user is shown while the office starts.
QString startingStep();

struct LibreOffice::Impl {
    LibreOfficeOptions options;
    std::recursive_mutex mutex;

    Reference<css::uno::XComponentContext> local;
    std::shared_ptr<Session> session;
    SofficeProcess process;
    QString base;           // where the office folders are made
    QString privateBase;    // a folder made here because no per-user one could be had (removed at the end)
    QString officeFolder;   // the running office's folder
    records::OfficeRecord record;
    QString pipe;
    QString profileUrl;
    QStringList deadProfiles; // offices of this object that are gone: their locks are stale
    int starts = 0;
    bool detached = false;
    bool cleaned = false;
    std::vector<std::weak_ptr<OpenDoc>> docs;
    // Whether the running office may hold books of the user's (see uno_call.h).
    std::shared_ptr<std::atomic<bool>> usersBooks = std::make_shared<std::atomic<bool>>(false);

    struct Live {
        std::mutex mutex;
        std::shared_ptr<Session> session; // the session calls go to (or a connection attempt's)
        long long starting = 0;           // the office being started, until it answers
        QStringList marks;
        bool broken = false;              // the start was broken off
    } live;

    std::unique_ptr<WorkThread> thread;

    Status localContext();
    std::shared_ptr<Session> newSession();
    Status connect(const QString &pipeName, int timeoutMs, bool watchProcess);
    Status startOwn();
    Status ensure();
    // The office of this object is gone or given up: what is left of it is
    // ended and its folder removed, unless it was left to the user.
    void officeGone();
    // The running office stays for the user's books: forgotten here, its
    // record says so.
    void leaveToUser();
    void removeOfficeFolder();
    void setLive(const std::shared_ptr<Session> &s);
    // From any thread: the call in progress, or the start, ends now.
    void breakOff();
    // Whether the work running on the work thread was cancelled.
    bool cancelled() const { return thread && thread->currentCancelled(); }
    // The user's books may have been closed since they were shown.
    void refreshUsersBooks();

    Reference<css::frame::XModel> findOpen(const QString &canonical);
    std::shared_ptr<OpenDoc> docFor(const Reference<css::frame::XModel> &model, bool loadedForRead);
    void discard(const Reference<css::frame::XModel> &model);
};

} // namespace kpv::excel
