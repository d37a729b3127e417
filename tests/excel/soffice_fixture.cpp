// The test suite's shared office:
//   kpv_soffice_fixture start <work folder>   starts a headless office listening
//                                             on $KPV_SOFFICE_PIPE, leaves it running
//   kpv_soffice_fixture stop <work folder>    ends it (terminate, wait, kill its group)

#include "excel/libreoffice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

using namespace kpv::excel;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kpv_soffice_fixture start|stop <work folder>\n");
        return 2;
    }
    const QString command = QString::fromLocal8Bit(argv[1]);
    const QString folder = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    const QString pipe = qEnvironmentVariable("KPV_SOFFICE_PIPE");
    const QString pidFile = folder + QStringLiteral("/soffice.pid");
    if (pipe.isEmpty()) {
        std::fprintf(stderr, "KPV_SOFFICE_PIPE is not set\n");
        return 2;
    }
    auto stopRecorded = [&] {
        QFile f(pidFile);
        if (!f.open(QIODevice::ReadOnly)) return true;
        const long long pid = f.readAll().trimmed().toLongLong();
        f.close();
        const bool gone = LibreOffice::stopExternal(pipe, pid, 20000);
        QFile::remove(pidFile);
        return gone;
    };

    if (command == QLatin1String("stop")) return stopRecorded() ? 0 : 1;
    if (command != QLatin1String("start")) return 2;

    stopRecorded(); // an office left by an interrupted earlier run
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    LibreOfficeOptions options;
    options.pipeName = pipe;
    options.headless = true;
    options.workFolder = folder;
    LibreOffice office(options);
    const Status s = office.start();
    if (!s) {
        std::fprintf(stderr, "cannot start the office: %s\n", qPrintable(s.failure().detail));
        return 1;
    }
    QFile f(pidFile);
    f.open(QIODevice::WriteOnly);
    f.write(QByteArray::number(office.processId()));
    f.close();
    office.detach();
    std::printf("office %lld on pipe %s\n", office.processId(), qPrintable(pipe));
    return 0;
}
