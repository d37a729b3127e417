#include "excel/lo_office.h"

#include "excel/process_proof.h"
#include "excel/units.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <chrono>
#include <thread>

#include <unistd.h>

namespace kpv::excel {

QString startingStep()
{
    return QStringLiteral("表計算ソフト（LibreOffice Calc）を起動しています");
}

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
// profile URL (UTF-16, each byte in hex without padding). The office keeps
// them in /tmp (or /var/tmp) whatever its TMPDIR says.
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

namespace {

void dropConnection(Session *s)
{
    try {
        if (s && s->connection.is()) s->connection->close();
    } catch (...) {
    }
}

// Shows the office's start as the step of the work that waits for it, and
// gives the work its own step back afterwards.
class StartingStep {
public:
    explicit StartingStep(WorkThread *thread)
    {
        if (!thread || !thread->onThread()) return;
        m_job = thread->current();
        if (!m_job) return;
        m_before = m_job->state().step;
        m_job->step(startingStep());
    }
    ~StartingStep()
    {
        if (m_job) m_job->step(m_before);
    }

private:
    std::shared_ptr<Job> m_job;
    QString m_before;
};

} // namespace

Status LibreOffice::Impl::localContext()
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

// A session whose deadline ends our own office (by proof) unless it may hold
// the user's books; for those, and for an office started elsewhere, it drops
// the connection and leaves the office running.
std::shared_ptr<Session> LibreOffice::Impl::newSession()
{
    auto holder = std::make_shared<Session *>(nullptr);
    std::shared_ptr<std::atomic<bool>> users = options.headless ? nullptr : usersBooks;
    std::function<void()> expire;
    if (!options.external) {
        expire = [holder, users, pid = process.pid(), marks = process.marks()] {
            if (users && users->load()) {
                if (*holder) (*holder)->leftToUser = true;
                dropConnection(*holder);
                return;
            }
            proc::killProvenGroup(pid, marks);
        };
    } else {
        expire = [holder] { dropConnection(*holder); };
    }
    auto s = std::make_shared<Session>(expire, options.callTimeoutMs);
    *holder = s.get();
    s->usersBooks = users;
    WorkThread *t = thread.get();
    s->cancelled = [t] { return t && t->currentCancelled(); };
    return s;
}

void LibreOffice::Impl::setLive(const std::shared_ptr<Session> &s)
{
    std::lock_guard lock(live.mutex);
    live.session = s;
}

void LibreOffice::Impl::breakOff()
{
    std::lock_guard lock(live.mutex);
    if (live.starting > 1) {
        // An office still starting holds nothing of the user's.
        live.broken = true;
        proc::killProvenGroup(live.starting, live.marks);
    }
    if (live.session) live.session->breakOff(BreakReason::Cancelled);
}

// Connects to the pipe until the deadline; gives up early when the process
// started here has gone or the start is broken off. Each attempt runs under
// the deadline (an office that accepts but never answers must not hold the
// program).
Status LibreOffice::Impl::connect(const QString &pipeName, int timeoutMs, bool watchProcess)
{
    if (Status s = localContext(); !s) return s;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    QString last;
    auto broken = [&] {
        std::lock_guard lock(live.mutex);
        return live.broken || cancelled();
    };
    for (;;) {
        if (broken()) return Status::fail(FailureKind::Cancelled, QStringLiteral("the start was broken off"));
        std::shared_ptr<Session> s = newSession();
        setLive(s);
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
        if (s->desktop.is() && !fired && !broken()) {
            session = s;
            return {};
        }
        setLive(nullptr);
        if (broken()) return Status::fail(FailureKind::Cancelled, QStringLiteral("the start was broken off"));
        if (fired)
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("the office does not answer: ") + last);
        if (watchProcess && !process.running())
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("soffice ended during start: ") + last);
        if (std::chrono::steady_clock::now() >= deadline)
            return Status::fail(FailureKind::ApplicationFailed, QStringLiteral("no connection: ") + last);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}

Status LibreOffice::Impl::startOwn()
{
    if (cancelled()) return Status::fail(FailureKind::Cancelled, QStringLiteral("cancelled before the start"));
    StartingStep shown(thread.get());
    if (!cleaned) {
        cleaned = true;
        const QString leftovers = !options.leftoversFolder.isEmpty() ? options.leftoversFolder
                                  : !options.workFolder.isEmpty()    ? options.workFolder
                                                                     : records::defaultOfficesFolder();
        cleanLeftovers(leftovers, [this] { return cancelled(); });
    }
    if (base.isEmpty()) {
        base = !options.workFolder.isEmpty() ? options.workFolder : records::defaultOfficesFolder();
        if (!base.isEmpty()) QDir().mkpath(base);
        if (base.isEmpty() || !QFileInfo(base).isDir()) {
            // No per-user folder: a private one of this object's, not found by later runs.
            QByteArray pattern = QFile::encodeName(QDir::tempPath() + QStringLiteral("/kpv-offices-XXXXXX"));
            if (!::mkdtemp(pattern.data())) return Status::fail(FailureKind::Other, QStringLiteral("no folder for the office"));
            base = privateBase = QFile::decodeName(pattern);
        }
    }
    officeFolder = records::newOfficeFolder(base);
    if (officeFolder.isEmpty()) return Status::fail(FailureKind::Other, QStringLiteral("no office folder in ") + base);
    ++starts;
    pipe = options.pipeName.isEmpty() || starts > 1
               ? QStringLiteral("kpv-%1-%2").arg(QCoreApplication::applicationPid()).arg(QUuid::createUuid().toString(QUuid::Id128))
               : options.pipeName;
    // A fresh profile per start: a crashed office may leave its profile locked.
    profileUrl = QUrl::fromLocalFile(records::profileFolderOf(officeFolder)).toString(QUrl::FullyEncoded);
    record = {QCoreApplication::applicationPid(), 0, pipe, profileUrl, options.headless, false};
    records::writeRecord(officeFolder, record); // claims the folder before the office runs
    usersBooks = std::make_shared<std::atomic<bool>>(false);
    QStringList args{QStringLiteral("--invisible"), QStringLiteral("--nologo"), QStringLiteral("--norestore"),
                     QStringLiteral("--nofirststartwizard"), QStringLiteral("--nodefault"),
                     QStringLiteral("--nolockcheck"),
                     QStringLiteral("--accept=pipe,name=%1;urp;StarOffice.ComponentContext").arg(pipe),
                     proc::profileMark(profileUrl)};
    if (options.headless) args.prepend(QStringLiteral("--headless"));
    const QStringList marks{proc::pipeMark(pipe), proc::profileMark(profileUrl)};
    QString error;
    {
        std::lock_guard lock(live.mutex);
        if (live.broken || cancelled()) {
            removeOfficeFolder();
            return Status::fail(FailureKind::Cancelled, QStringLiteral("cancelled before the start"));
        }
        // Everything the office writes on its own goes into its folder.
        const QList<QByteArray> env{"TMPDIR=" + QFile::encodeName(records::tempFolderOf(officeFolder))};
        if (!process.start(options.program, args, officeFolder + QStringLiteral("/soffice.log"), !options.headless, marks,
                           env, &error)) {
            removeOfficeFolder();
            return Status::fail(FailureKind::ApplicationFailed, error);
        }
        live.starting = process.pid();
        live.marks = marks;
    }
    record.office = process.pid();
    records::writeRecord(officeFolder, record);
    Status s = connect(pipe, options.startTimeoutMs, true);
    {
        std::lock_guard lock(live.mutex);
        live.starting = 0;
        live.broken = false;
    }
    if (s) setLive(session);
    else officeGone();
    return s;
}

void LibreOffice::Impl::removeOfficeFolder()
{
    if (!officeFolder.isEmpty()) QDir(officeFolder).removeRecursively();
    officeFolder.clear();
}

void LibreOffice::Impl::leaveToUser()
{
    if (!officeFolder.isEmpty()) {
        record.user = true;
        records::writeRecord(officeFolder, record);
    }
    process.detach();
    officeFolder.clear(); // the office still uses it; a later run looks at it again
}

void LibreOffice::Impl::officeGone()
{
    const bool left = session && session->leftToUser;
    setLive(nullptr);
    session.reset();
    if (options.external) return;
    if (left) {
        leaveToUser();
        return;
    }
    if (!profileUrl.isEmpty() && !deadProfiles.contains(profileUrl)) deadProfiles << profileUrl;
    process.waitForExit(500);
    process.killGroup();
    if (!process.running()) {
        removePipeFiles(pipe, profileUrl);
        removeOfficeFolder();
    }
}

void LibreOffice::Impl::refreshUsersBooks()
{
    if (options.headless || !usersBooks->load() || !session) return;
    bool any = true;
    const Status s = guarded(session.get(), "usersBooks", [&] {
        any = false;
        for (const BookState &b : booksOf(session->desktop)) any = any || b.visible || b.modified;
    });
    if (s && !any) usersBooks->store(false); // the user closed them all
}

Status LibreOffice::Impl::ensure()
{
    if (cancelled()) return Status::fail(FailureKind::Cancelled, QStringLiteral("cancelled"));
    if (session && session->answers()) {
        refreshUsersBooks();
        return {};
    }
    if (session) officeGone();
    if (options.external) {
        Status s = connect(options.pipeName, options.connectTimeoutMs, false);
        if (s) setLive(session);
        return s;
    }
    return startOwn();
}

// The open document of the file, if any.
Reference<css::frame::XModel> LibreOffice::Impl::findOpen(const QString &canonical)
{
    Reference<css::container::XEnumerationAccess> access(session->desktop->getComponents(), UNO_QUERY_THROW);
    Reference<css::container::XEnumeration> e = access->createEnumeration();
    while (e->hasMoreElements()) {
        Reference<css::frame::XModel> model(e->nextElement(), UNO_QUERY);
        if (!model.is()) continue;
        const QString url = qs(model->getURL());
        if (url.isEmpty()) continue; // a new, never stored book
        const QString localPath = units::pathOfUrl(url);
        if (!localPath.isEmpty() && units::canonicalPath(localPath) == canonical) return model;
    }
    return {};
}

// The shared handle of a document (a new one when no workbook object holds it).
std::shared_ptr<OpenDoc> LibreOffice::Impl::docFor(const Reference<css::frame::XModel> &model, bool loadedForRead)
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
void LibreOffice::Impl::discard(const Reference<css::frame::XModel> &model)
{
    guarded(
        session.get(), "discard", [&] { Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true); },
        CallKind::Release);
}

} // namespace kpv::excel
