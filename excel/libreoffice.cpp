#include "excel/libreoffice.h"

#include "excel/file_ops.h"
#include "excel/lo_workbook.h"
#include "excel/process_proof.h"
#include "excel/soffice_process.h"
#include "excel/units.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory2.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/connection/XConnector.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/document/MacroExecMode.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <chrono>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace kpv::excel {

using namespace uno;

namespace {

// The record a running program keeps in its office folder, for the clean-up
// after a crash.
constexpr const char *kRecordFile = "/kpv-office.txt";

struct OfficeRecord {
    long long program = 0;
    long long office = 0;
    QString pipe;
    QString profile;
    bool headless = true;
};

void writeRecord(const QString &folder, const OfficeRecord &r)
{
    QFile f(folder + QLatin1String(kRecordFile));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(QStringLiteral("program=%1\noffice=%2\npipe=%3\nprofile=%4\nheadless=%5\n")
                .arg(r.program)
                .arg(r.office)
                .arg(r.pipe, r.profile)
                .arg(r.headless ? 1 : 0)
                .toUtf8());
}

std::optional<OfficeRecord> readRecord(const QString &folder)
{
    QFile f(folder + QLatin1String(kRecordFile));
    if (!f.open(QIODevice::ReadOnly)) return std::nullopt;
    OfficeRecord r;
    for (const QByteArray &line : f.readAll().split('\n')) {
        const int eq = line.indexOf('=');
        if (eq < 0) continue;
        const QByteArray key = line.left(eq);
        const QString value = QString::fromUtf8(line.mid(eq + 1));
        if (key == "program") r.program = value.toLongLong();
        else if (key == "office") r.office = value.toLongLong();
        else if (key == "pipe") r.pipe = value;
        else if (key == "profile") r.profile = value;
        else if (key == "headless") r.headless = value == QLatin1String("1");
    }
    return r;
}

// The books of an office: whether each one is shown and whether it holds
// unsaved changes.
struct BookState {
    Reference<css::frame::XModel> model;
    bool visible = false;
    bool modified = false;
};

std::vector<BookState> booksOf(const Reference<css::frame::XDesktop2> &desktop)
{
    std::vector<BookState> out;
    Reference<css::container::XEnumerationAccess> access(desktop->getComponents(), UNO_QUERY_THROW);
    Reference<css::container::XEnumeration> e = access->createEnumeration();
    while (e->hasMoreElements()) {
        BookState b;
        b.model.set(e->nextElement(), UNO_QUERY);
        if (!b.model.is()) continue;
        Reference<css::util::XModifiable> modifiable(b.model, UNO_QUERY);
        b.modified = modifiable.is() && modifiable->isModified();
        Reference<css::frame::XController> controller = b.model->getCurrentController();
        Reference<css::frame::XFrame> frame = controller.is() ? controller->getFrame() : nullptr;
        Reference<css::awt::XWindow2> window(frame.is() ? frame->getContainerWindow() : nullptr, UNO_QUERY);
        b.visible = window.is() && window->isVisible();
        out.push_back(b);
    }
    return out;
}

// The socket files an office leaves behind when it is killed: the pipe it
// accepted on, and its single-instance pipe, named after the MD5 of its
// profile URL (UTF-16, each byte in hex without padding).
void removePipeFiles(const QString &pipeName, const QString &profileUrl)
{
    QStringList names;
    if (!pipeName.isEmpty()) names << pipeName;
    if (!profileUrl.isEmpty()) {
        const QByteArray utf16(reinterpret_cast<const char *>(profileUrl.utf16()), profileUrl.size() * 2);
        QString ipc = QStringLiteral("SingleOfficeIPC_");
        for (unsigned char b : QCryptographicHash::hash(utf16, QCryptographicHash::Md5)) ipc += QString::number(b, 16);
        names << ipc;
    }
    for (const QString &n : names)
        for (const char *folder : {"/tmp", "/var/tmp"}) {
            const QString file = QStringLiteral("%1/OSL_PIPE_%2_%3").arg(QLatin1String(folder)).arg(::getuid()).arg(n);
            const QFileInfo info(file);
            if (info.exists() && !info.isDir() && !info.isFile()) QFile::remove(file); // a socket, nothing else
        }
}

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

} // namespace

// ---------------------------------------------------------------------------

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

struct LibreOffice::Impl {
    LibreOfficeOptions options;
    Reference<css::uno::XComponentContext> local;
    std::shared_ptr<Session> session;
    SofficeProcess process;
    std::unique_ptr<QTemporaryDir> temp;
    QString workFolder;
    QString pipe;
    QString profileUrl;
    QStringList deadProfiles; // offices of this object that are gone: their locks are stale
    int starts = 0;
    bool detached = false;
    bool cleaned = false;
    std::vector<std::weak_ptr<OpenDoc>> docs;

    Status localContext()
    {
        if (local.is()) return {};
        // The client side of UNO needs to find the office's type libraries.
        if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
            qputenv("URE_BOOTSTRAP", "vnd.sun.star.pathname:/usr/lib/libreoffice/program/fundamentalrc");
        try {
            local = cppu::defaultBootstrap_InitialComponentContext();
        } catch (const css::uno::Exception &e) {
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("UNO bootstrap: ") + qs(e.Message));
        } catch (...) {
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("UNO bootstrap failed"));
        }
        return {};
    }

    // A session whose deadline ends our own office (by proof) or, for an
    // office started elsewhere, drops the connection.
    std::shared_ptr<Session> newSession()
    {
        auto holder = std::make_shared<Session *>(nullptr);
        std::function<void()> expire;
        if (!options.external) {
            expire = [pid = process.pid(), marks = process.marks()] { proc::killProvenGroup(pid, marks); };
        } else {
            expire = [holder] {
                Session *s = *holder;
                try {
                    if (s && s->connection.is()) s->connection->close();
                } catch (...) {
                }
            };
        }
        auto s = std::make_shared<Session>(expire, options.callTimeoutMs);
        *holder = s.get();
        return s;
    }

    // Connects to the pipe until the deadline; gives up early when the
    // process started here has gone. Each attempt runs under the deadline (an
    // office that accepts but never answers must not hold the program).
    Status connect(const QString &pipeName, int timeoutMs, bool watchProcess)
    {
        if (Status s = localContext(); !s) return s;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        QString last;
        for (;;) {
            std::shared_ptr<Session> s = newSession();
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            s->watchdog.arm(std::max(left, std::chrono::milliseconds(1000)));
            try {
                Reference<css::connection::XConnector> connector = css::connection::Connector::create(local);
                s->connection = connector->connect(ou(QStringLiteral("pipe,name=") + pipeName));
                Reference<css::bridge::XBridge> bridge = css::bridge::BridgeFactory::create(local)->createBridge(
                    OUString(), name("urp"), s->connection, nullptr);
                s->context.set(bridge->getInstance(name("StarOffice.ComponentContext")), UNO_QUERY_THROW);
                s->desktop = css::frame::Desktop::create(s->context);
            } catch (const css::connection::NoConnectException &e) {
                last = qs(e.Message);
            } catch (const css::uno::Exception &e) {
                last = qs(e.Message);
            } catch (...) {
                last = QStringLiteral("connect failed");
            }
            const bool fired = s->watchdog.disarm();
            if (s->desktop.is() && !fired) {
                session = s;
                return {};
            }
            if (fired)
                return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("the office does not answer: ") + last);
            if (watchProcess && !process.running())
                return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("soffice ended during start: ") + last);
            if (std::chrono::steady_clock::now() >= deadline)
                return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("no connection: ") + last);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    Status startOwn()
    {
        if (!cleaned) {
            cleaned = true;
            cleanLeftovers(options.leftoversFolder.isEmpty() ? QDir::tempPath() : options.leftoversFolder);
        }
        if (workFolder.isEmpty()) {
            if (!options.workFolder.isEmpty()) {
                workFolder = options.workFolder;
            } else {
                const QString base = options.leftoversFolder.isEmpty() ? QDir::tempPath() : options.leftoversFolder;
                temp = std::make_unique<QTemporaryDir>(base + QStringLiteral("/kpv-soffice-XXXXXX"));
                if (!temp->isValid()) return Status::fail(FailureKind::Other, QStringLiteral("no temporary folder"));
                workFolder = temp->path();
            }
            QDir().mkpath(workFolder);
        }
        ++starts;
        pipe = options.pipeName.isEmpty() || starts > 1
                   ? QStringLiteral("kpv-%1-%2").arg(QCoreApplication::applicationPid()).arg(
                         QUuid::createUuid().toString(QUuid::Id128))
                   : options.pipeName;
        // A fresh profile per start: a crashed office may leave its profile locked.
        const QString profile = workFolder + QStringLiteral("/profile-%1").arg(starts);
        profileUrl = QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded);
        OfficeRecord record{QCoreApplication::applicationPid(), 0, pipe, profileUrl, options.headless};
        writeRecord(workFolder, record); // claims the folder before the office runs
        QStringList args{QStringLiteral("--invisible"), QStringLiteral("--nologo"), QStringLiteral("--norestore"),
                         QStringLiteral("--nofirststartwizard"), QStringLiteral("--nodefault"),
                         QStringLiteral("--nolockcheck"),
                         QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe),
                         proc::profileMark(profileUrl)};
        if (options.headless) args.prepend(QStringLiteral("--headless"));
        QString error;
        if (!process.start(options.program, args, workFolder + QStringLiteral("/soffice.log"), !options.headless,
                           {proc::pipeMark(pipe), proc::profileMark(profileUrl)}, &error))
            return Status::fail(FailureKind::ApplicationFailed, error);
        record.office = process.pid();
        writeRecord(workFolder, record);
        Status s = connect(pipe, options.startTimeoutMs, true);
        if (!s) officeGone();
        return s;
    }

    // The office of this object is gone or given up: end what is left of it;
    // its lock files are stale from now on.
    void officeGone()
    {
        session.reset();
        if (options.external) return;
        if (!profileUrl.isEmpty() && !deadProfiles.contains(profileUrl)) deadProfiles << profileUrl;
        process.waitForExit(500);
        process.killGroup();
        if (!process.running()) removePipeFiles(pipe, profileUrl);
    }

    Status ensure()
    {
        if (session && session->answers()) return {};
        if (session) officeGone();
        if (options.external) return connect(options.pipeName, options.connectTimeoutMs, false);
        return startOwn();
    }

    // The open document of the file, if any.
    Reference<css::frame::XModel> findOpen(const QString &canonical)
    {
        Reference<css::container::XEnumerationAccess> access(session->desktop->getComponents(), UNO_QUERY_THROW);
        Reference<css::container::XEnumeration> e = access->createEnumeration();
        while (e->hasMoreElements()) {
            Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
            if (!model.is()) continue;
            const QString url = qs(model->getURL());
            if (url.isEmpty()) continue; // a new, never stored book
            const QString local = units::pathOfUrl(url);
            if (!local.isEmpty() && units::canonicalPath(local) == canonical) return model;
        }
        return {};
    }

    // The shared handle of a document (a new one when no workbook object holds it).
    std::shared_ptr<OpenDoc> docFor(const Reference<css::frame::XModel> &model, bool loadedForRead)
    {
        std::shared_ptr<OpenDoc> found;
        for (auto it = docs.begin(); it != docs.end();) {
            std::shared_ptr<OpenDoc> d = it->lock();
            if (!d) {
                it = docs.erase(it);
                continue;
            }
            if (d->session == session && d->model == model) found = d;
            ++it;
        }
        if (found) return found;
        found = std::make_shared<OpenDoc>();
        found->session = session;
        found->model = model;
        found->closeAtRelease = loadedForRead;
        docs.push_back(found);
        return found;
    }

    // Closes a document this bind loaded and will not hand out.
    void discard(const Reference<css::frame::XModel> &model)
    {
        guarded(session.get(), "discard",
                [&] { Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true); });
    }
};

LibreOffice::LibreOffice(LibreOfficeOptions options) : d(std::make_unique<Impl>())
{
    d->options = std::move(options);
    ignoreSigpipe();
}

LibreOffice::~LibreOffice()
{
    if (!d->detached) shutdown();
}

Status LibreOffice::start()
{
    return d->ensure();
}

void LibreOffice::detach()
{
    d->detached = true;
    d->process.detach();
    if (d->temp) d->temp->setAutoRemove(false);
}

void LibreOffice::shutdown()
{
    if (d->options.external || d->process.pid() < 2) {
        d->session.reset();
        return;
    }
    bool usersOffice = false;
    if (d->session && !d->session->dead) {
        guarded(d->session.get(), "shutdown", [&] {
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
        });
    }
    if (usersOffice) {
        d->session.reset();
        detach(); // the record stays: a later start sees the office shows the user's books
        return;
    }
    if (d->session && !d->session->dead) {
        // The connection drops while the office ends: the failure is expected.
        guarded(d->session.get(), "terminate", [&] { d->session->desktop->terminate(); });
    }
    d->session.reset();
    if (!d->process.waitForExit(d->options.stopTimeoutMs)) d->process.killGroup();
    d->process.killGroup();
    if (!d->process.running()) removePipeFiles(d->pipe, d->profileUrl);
}

Result<std::unique_ptr<Workbook>> LibreOffice::bind(const QString &path, Access access)
{
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
    for (const QString &a : proc::commandLine(pid_t(pid)))
        if (a.startsWith(proc::profileMark(QString()))) profile = a.mid(proc::profileMark(QString()).size());
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
    const QFileInfoList dirs =
        QDir(folder).entryInfoList({QStringLiteral("kpv-soffice-*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo &dir : dirs) {
        const QString path = dir.absoluteFilePath();
        const std::optional<OfficeRecord> r = readRecord(path);
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
                o.connectTimeoutMs = 3000;
                o.callTimeoutMs = 10000;
                LibreOffice office(o);
                bool users = false;
                if (office.start().ok()) {
                    guarded(office.d->session.get(), "leftover", [&] {
                        for (const BookState &b : booksOf(office.d->session->desktop))
                            users = users || b.visible || b.modified;
                    });
                }
                if (users) continue; // the user's office now
            }
            if (proc::endProvenGroup(r->office, marks, 10000)) removePipeFiles(r->pipe, r->profile);
        }
        if (!proc::provenGroup(r->office, marks)) QDir(path).removeRecursively();
    }
}

} // namespace kpv::excel
