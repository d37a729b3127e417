// kpvtool: the administrator's check of the shared files of a data folder.
//   kpvtool dump DATAFOLDER      one JSON object per ledger record
//   kpvtool settings FILE        the 50 slots of a settings file as a JSON array
//   kpvtool check DATAFOLDER     findings, one per line; exit 0 clean, 1 findings, 2 unreadable
//   kpvtool repair DATAFOLDER [--apply]
//                                what it would repair (exit 0 nothing, 1 something);
//                                with --apply repairs it, keeping copies (exit 0 done, 2 failed)
//   kpvtool --help               the commands, in Japanese
#include "checks.h"
#include "help.h"
#include "repair.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 && (args.at(1) == QLatin1String("--help") || args.at(1) == QLatin1String("-h"))) {
        std::printf("%s\n", kpv::tool::helpText().toUtf8().constData());
        return 0;
    }
    const bool repairApply = args.size() == 4 && args.at(1) == QLatin1String("repair") && args.at(3) == QLatin1String("--apply");
    if (args.size() != 3 && !repairApply) {
        std::fprintf(stderr, "usage: kpvtool dump DATAFOLDER | settings FILE | check DATAFOLDER | repair DATAFOLDER [--apply]"
                             " (kpvtool --help: 説明)\n");
        return 2;
    }
    const QString command = args.at(1);
    const QString target = args.at(2);
    if (command == QLatin1String("dump")) {
        if (kpv::tool::dumpLedger(target, stdout)) return 0;
        std::fprintf(stderr, "kpvtool: cannot read the ledger in %s\n", qPrintable(target));
        return 2;
    }
    if (command == QLatin1String("settings")) {
        if (kpv::tool::dumpSettings(target, stdout)) return 0;
        std::fprintf(stderr, "kpvtool: cannot read %s\n", qPrintable(target));
        return 2;
    }
    if (command == QLatin1String("check")) {
        const auto r = kpv::tool::checkDataFolder(target);
        if (!r.readable) {
            std::fprintf(stderr, "kpvtool: cannot read the folder %s\n", qPrintable(target));
            return 2;
        }
        for (const QString &line : r.findings) std::printf("%s\n", line.toUtf8().constData());
        return r.findings.isEmpty() ? 0 : 1;
    }
    if (command == QLatin1String("repair")) {
        const auto r = kpv::tool::repairDataFolder(target, repairApply);
        for (const QString &line : r.findings) std::printf("%s\n", line.toUtf8().constData());
        for (const QString &copy : r.copies) std::printf("copy kept: %s\n", copy.toUtf8().constData());
        if (!r.readable) {
            std::fprintf(stderr, "kpvtool: cannot read the folder %s\n", qPrintable(target));
            return 2;
        }
        if (r.failed) return 2;
        if (repairApply) return 0;
        if (r.findings.isEmpty()) std::printf("nothing to repair\n");
        return r.findings.isEmpty() ? 0 : 1;
    }
    std::fprintf(stderr, "kpvtool: unknown command %s\n", qPrintable(command));
    return 2;
}
