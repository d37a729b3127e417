#include "excel/libreoffice.h"

#include "excel/file_ops.h"
#include "excel/lo_office.h"
#include "excel/process_proof.h"
#include "excel/units.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>

#include <signal.h>

namespace kpv::excel {

using namespace uno;

namespace {

void ignoreSigpipe()
{
    struct sigaction current {};
    if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGPIPE, &ignore, nullptr);
    }
}

// The program's end waits this long at most for each of: the question which
// books the user has, the office's own end.
constexpr int kEndingCallMs = 1500;
constexpr int kEndingWaitMs = 1500;

} // namespace

LibreOfficeOptions LibreOfficeOptions::fromEnvironment()
{
    LibreOfficeOptions o;
    const QString program = qEnvironmentVariable("KPV_SOFFICE");
    if (!program.isEmpty()) o.program = program;
    const QString pipe = qEnvironmentVariable("KPV_SOFFICE_PIPE");
    if (!pipe.isEmpty()) {
        o.pipeName = pipe;
        o.external = true;
    }
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    o.headless = qEnvironmentVariable("KPV_SOFFICE_HEADLESS") == QLatin1String("1") || noDisplay
                 || qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
    bool ok = false;
    const int callTimeout = qEnvironmentVariableIntValue("KPV_SOFFICE_CALL_TIMEOUT_MS", &ok);
    if (ok && callTimeout > 0) o.callTimeoutMs = callTimeout;
    return o;
}

bool StartsInBackground(const QString &platformName, bool displayNamed, bool switchedOff, const QString &environment)
{
    if (switchedOff || environment == QLatin1String("0")) return false;
    if (environment == QLatin1String("1")) return true;
    const bool windows = platformName != QLatin1String("offscreen") && platformName != QLatin1String("minimal");
    return windows && displayNamed;
}

LibreOffice::LibreOffice(LibreOfficeOptions options) : d(std::make_unique<Impl>())
{
    d->options = std::move(options);
    d->thread = std::make_unique<WorkThread>([impl = d.get()] { impl->breakOff(); });
    ignoreSigpipe();
}

LibreOffice::~LibreOffice()
{
    if (!d->detached) shutdown();
    d->thread->stop(WorkThread::kStopBoundMs);
    if (!d->privateBase.isEmpty() && !d->detached && d->officeFolder.isEmpty()) QDir(d->privateBase).removeRecursively();
}

Status LibreOffice::start()
{
    std::lock_guard lock(d->mutex);
    return d->ensure();
}

void LibreOffice::startInBackground()
{
    d->thread->post(startingStep(), [this](Progress &) {
        const Status s = start();
        // Told only when a workbook is asked for (its own start then fails too).
        if (!s && s.kind() != FailureKind::Cancelled)
            qWarning("the office did not start in the background: %s", qPrintable(s.failure().detail));
    });
}

WorkThread *LibreOffice::workThread()
{
    return d->thread.get();
}

void LibreOffice::detach()
{
    std::lock_guard lock(d->mutex);
    d->detached = true;
    d->process.detach();
}

void LibreOffice::shutdown()
{
    // No work runs from here on; a call still waiting on the office is broken off.
    d->thread->stop(WorkThread::kStopBoundMs);
    std::lock_guard lock(d->mutex);
    if (d->options.external || d->process.pid() < 2) {
        d->setLive(nullptr);
        d->session.reset();
        if (!d->options.external) d->removeOfficeFolder();
        return;
    }
    bool usersOffice = false;
    if (d->session && !d->session->dead) {
        d->session->callTimeoutMs = std::min(d->options.callTimeoutMs, kEndingCallMs);
        guarded(
            d->session.get(), "shutdown",
            [&] {
                for (const BookState &b : booksOf(d->session->desktop)) {
                    if (d->options.headless || !(b.visible || b.modified)) continue;
                    // Shown, or changed and then hidden by the program: the user's.
                    usersOffice = true;
                    if (!b.visible) {
                        Reference<css::frame::XController> controller = b.model->getCurrentController();
                        Reference<css::frame::XFrame> frame = controller.is() ? controller->getFrame() : nullptr;
                        if (frame.is() && frame->getContainerWindow().is()) frame->getContainerWindow()->setVisible(true);
                    }
                }
                if (usersOffice) return;
                for (const BookState &b : booksOf(d->session->desktop)) {
                    Reference<css::util::XCloseable> c(b.model, UNO_QUERY);
                    if (c.is()) c->close(true);
                }
            },
            CallKind::Release);
    }
    // No answer from an office that may hold the user's books: it stays.
    if (d->session && d->session->leftToUser) usersOffice = true;
    if (usersOffice) {
        d->setLive(nullptr);
        d->session.reset();
        d->leaveToUser();
        d->detached = true;
        return;
    }
    if (d->session && !d->session->dead) {
        // The connection drops while the office ends: the failure is expected.
        guarded(d->session.get(), "terminate", [&] { d->session->desktop->terminate(); }, CallKind::Release);
    }
    d->setLive(nullptr);
    d->session.reset();
    if (!d->process.waitForExit(kEndingWaitMs)) d->process.killGroup();
    d->process.killGroup();
    if (!d->process.running()) {
        removePipeFiles(d->pipe, d->profileUrl);
        d->removeOfficeFolder();
    }
}

Result<std::unique_ptr<Workbook>> LibreOffice::bind(const QString &path, Access access)
{
    std::lock_guard lock(d->mutex);
    if (!QFileInfo(path).isFile())
        return Failure{FailureKind::WorkbookNotFound, QStringLiteral("no such workbook: ") + path};
    if (Status s = d->ensure(); !s) return s.failure();
    const QString canonical = units::canonicalPath(path);
    Reference<css::frame::XModel> model;
    bool readOnly = false;
    auto isReadOnly = [&] {
        Reference<css::frame::XStorable> store(model, UNO_QUERY);
        readOnly = store.is() && store->isReadonly();
    };
    Status s = guarded(d->session.get(), "bind", [&] {
        model = d->findOpen(canonical);
        if (model.is()) isReadOnly();
    });
    if (!s) return s.failure();
    if (model.is()) {
        // Open read-only (another PC held it when it was opened): nobody can store what we write.
        if (access == Access::Write && readOnly)
            return Failure{FailureKind::InUse, QStringLiteral("open read-only: ") + canonical};
        std::shared_ptr<OpenDoc> doc = d->docFor(model, false);
        if (access == Access::Write) doc->closeAtRelease = false;
        return std::unique_ptr<Workbook>(std::make_unique<LoWorkbook>(doc, canonical));
    }

    // A lock left by an office of ours that is gone would make the book read-only.
    RemoveStaleLock(canonical, d->profileUrl, d->deadProfiles);
    if (access == Access::Write) {
        if (Status w = CheckWritable(canonical); !w) return w.failure();
        if (LockedByOther(canonical, d->profileUrl, d->deadProfiles))
            return Failure{FailureKind::InUse, QStringLiteral("open in another session: ") + canonical};
    }
    bool notSpreadsheet = false;
    s = guarded(d->session.get(), "load", [&] {
        Reference<css::frame::XComponentLoader> loader(d->session->desktop, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args(3);
        args.getArray()[0] = prop("Hidden", any(true));
        args.getArray()[1] = prop("MacroExecutionMode", any(css::document::MacroExecMode::NEVER_EXECUTE));
        args.getArray()[2] = prop("UpdateDocMode", any(sal_Int16(0)));
        Reference<css::lang::XComponent> component =
            loader->loadComponentFromURL(ou(units::fileUrl(canonical)), name("_blank"), 0, args);
        Reference<css::sheet::XSpreadsheetDocument> doc(component, UNO_QUERY);
        if (!doc.is()) {
            notSpreadsheet = true;
            Reference<css::util::XCloseable> c(component, UNO_QUERY);
            if (c.is()) c->close(true);
            return;
        }
        model.set(component, UNO_QUERY_THROW);
        try {
            isReadOnly();
            if (access == Access::Write && !readOnly) setDefaultFonts(model, false);
        } catch (...) {
            // No hidden, locked book stays behind a failed bind.
            Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
            model.clear();
            throw;
        }
    });
    if (!s) {
        if (s.kind() == FailureKind::Other || s.kind() == FailureKind::InUse)
            return Failure{FailureKind::WorkbookNotFound, s.failure().detail};
        return s.failure();
    }
    if (notSpreadsheet) return Failure{FailureKind::WorkbookNotFound, QStringLiteral("not a workbook: ") + canonical};
    if (access == Access::Write && readOnly) {
        d->discard(model);
        return Failure{FailureKind::InUse, QStringLiteral("opened read-only: ") + canonical};
    }
    return std::unique_ptr<Workbook>(std::make_unique<LoWorkbook>(d->docFor(model, access == Access::Read), canonical));
}

Result<std::unique_ptr<Workbook>> LibreOffice::createNew()
{
    std::lock_guard lock(d->mutex);
    if (Status s = d->ensure(); !s) return s.failure();
    Reference<css::frame::XModel> model;
    Status s = guarded(d->session.get(), "createNew", [&] {
        Reference<css::frame::XComponentLoader> loader(d->session->desktop, UNO_QUERY_THROW);
        Sequence<css::beans::PropertyValue> args(1);
        args.getArray()[0] = prop("Hidden", any(true));
        model.set(loader->loadComponentFromURL(name("private:factory/scalc"), name("_blank"), 0, args),
                  UNO_QUERY_THROW);
        try {
            setDefaultFonts(model, true);
        } catch (...) {
            Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
            throw;
        }
    });
    if (!s) return s.failure();
    return std::unique_ptr<Workbook>(std::make_unique<LoWorkbook>(d->docFor(model, false), QString()));
}

bool LibreOffice::isOpen(const QString &path)
{
    std::lock_guard lock(d->mutex);
    if (!d->session || d->session->dead) return false;
    bool open = false;
    guarded(d->session.get(), "isOpen", [&] { open = d->findOpen(units::canonicalPath(path)).is(); });
    return open;
}

long long LibreOffice::processId() const
{
    return d->process.pid();
}

QString LibreOffice::pipeName() const
{
    return d->options.external ? d->options.pipeName : d->pipe;
}

QString LibreOffice::profileUrl() const
{
    return d->profileUrl;
}

bool LibreOffice::headless() const
{
    return d->options.headless;
}

bool LibreOffice::stopExternal(const QString &pipeName, long long pid, int timeoutMs)
{
    const QStringList marks{proc::pipeMark(pipeName)};
    if (!proc::provenGroup(pid, marks)) return true; // not (or no longer) our office: forget the number
    QString profile;
    const QString profileArgument = QLatin1String(proc::kProfileArgument);
    for (const QString &a : proc::commandLine(pid_t(pid)))
        if (a.startsWith(profileArgument)) profile = a.mid(profileArgument.size());
    {
        LibreOfficeOptions o;
        o.pipeName = pipeName;
        o.external = true;
        o.connectTimeoutMs = 2000;
        o.callTimeoutMs = 10000;
        LibreOffice office(o);
        if (office.start().ok())
            guarded(office.d->session.get(), "terminate", [&] { office.d->session->desktop->terminate(); });
    }
    const bool gone = proc::endProvenGroup(pid, marks, timeoutMs);
    if (gone) removePipeFiles(pipeName, profile);
    return gone;
}

void LibreOffice::cleanLeftovers(const QString &folder)
{
    cleanLeftovers(folder, {});
}

void LibreOffice::cleanLeftovers(const QString &folder, const std::function<bool()> &stop)
{
    // Only a private folder of ours is looked into: a record anybody else
    // could have written proves nothing.
    if (folder.isEmpty() || !records::privateFolder(folder)) return;
    for (const QString &path : records::officeFoldersIn(folder)) {
        if (stop && stop()) return;
        const QFileInfo dir(path);
        if (!records::ownedAndClosed(path, true)) continue;
        const std::optional<records::OfficeRecord> r = records::readRecord(folder, path);
        if (!r) {
            // No record (an older run, or one that is being set up right now):
            // removed only when old and no process uses anything in it.
            if (dir.lastModified().secsTo(QDateTime::currentDateTime()) > 600
                && !proc::anyProcessNames(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded))
                && !proc::anyProcessNames(path))
                QDir(path).removeRecursively();
            continue;
        }
        if (r->program == QCoreApplication::applicationPid() || proc::processExists(r->program))
            continue; // a running program's office
        const QStringList marks{proc::pipeMark(r->pipe), proc::profileMark(r->profile)};
        if (proc::provenGroup(r->office, marks)) {
            if (!r->headless) {
                // A visible office may hold the user's books: look before ending it.
                LibreOfficeOptions o;
                o.pipeName = r->pipe;
                o.external = true;
                o.connectTimeoutMs = 1500;
                o.callTimeoutMs = 2000;
                LibreOffice office(o);
                bool users = r->user; // unless it answers otherwise: it was left for the user's books
                if (!r->pipe.isEmpty() && office.start().ok()) {
                    guarded(office.d->session.get(), "leftover", [&] {
                        bool shown = false;
                        for (const BookState &b : booksOf(office.d->session->desktop))
                            shown = shown || b.visible || b.modified;
                        users = shown;
                    });
                }
                if (users) continue; // the user's office now
            }
            if (proc::endProvenGroup(r->office, marks, 3000)) removePipeFiles(r->pipe, r->profile);
        }
        if (!proc::provenGroup(r->office, marks)) QDir(path).removeRecursively();
    }
}

} // namespace kpv::excel
