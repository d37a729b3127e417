// kpvtool: the administrator's check of the shared files of a data folder.
//   kpvtool dump DATAFOLDER      one JSON object per ledger record
//   kpvtool settings FILE        the 50 slots of a settings file as a JSON array
//   kpvtool check DATAFOLDER     findings, one per line; exit 0 clean, 1 findings, 2 unreadable
//   kpvtool repair DATAFOLDER [--apply]
//                                what it would repair (exit 0 nothing, 1 something);
//                                with --apply repairs it, keeping copies (exit 0 done, 2 failed)
//   kpvtool journal DATAFOLDER [--item NO] [--since TIME] [--pc NAME]
//                                the change journal as a table
//   kpvtool restore DATAFOLDER --item NO --at TIME [--yes]
//                                an item's values as they were at TIME written back
//   kpvtool --help               the commands, in Japanese
#include "checks.h"
#include "help.h"
#include "journal_view.h"
#include "repair.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

// kpvtool journal and kpvtool restore.
int journalCommand(const QStringList &args)
{
    const bool restore = args.at(1) == QLatin1String("restore");
    QString item, since, pc, at;
    bool yes = false;
    for (int k = 3; k < args.size(); ++k) {
        const QString &a = args.at(k);
        const bool hasValue = k + 1 < args.size();
        if (a == QLatin1String("--item") && hasValue) item = args.at(++k);
        else if (a == QLatin1String("--since") && hasValue && !restore) since = args.at(++k);
        else if (a == QLatin1String("--pc") && hasValue && !restore) pc = args.at(++k);
        else if (a == QLatin1String("--at") && hasValue && restore) at = args.at(++k);
        else if (a == QLatin1String("--yes") && restore) yes = true;
        else {
            std::fprintf(stderr, "kpvtool: unknown or incomplete option %s (kpvtool --help: 説明)\n", qPrintable(a));
            return 2;
        }
    }
    const QString folder = args.at(2);
    if (restore) {
        if (item.isEmpty() || at.isEmpty()) {
            std::fprintf(stderr, "usage: kpvtool restore DATAFOLDER --item NO --at TIME [--yes]\n");
            return 2;
        }
        const QDateTime when = kpv::tool::parseUserTime(at);
        if (!when.isValid()) {
            std::fprintf(stderr, "kpvtool: %s\n", QStringLiteral("日時「%1」を読めません（例: 2026-06-30 17:00）。").arg(at).toUtf8().constData());
            return 2;
        }
        return kpv::tool::restoreItem(folder, item, when, yes, stdin, stdout, stderr);
    }
    kpv::tool::JournalFilter filter{item, {}, pc};
    if (!since.isEmpty()) {
        filter.since = kpv::tool::parseUserTime(since);
        if (!filter.since.isValid()) {
            std::fprintf(stderr, "kpvtool: %s\n", QStringLiteral("日時「%1」を読めません（例: 2026-06-30 17:00）。").arg(since).toUtf8().constData());
            return 2;
        }
    }
    const kpv::tool::Journal journal = kpv::tool::readJournal(folder);
    if (!journal.readable) {
        std::fprintf(stderr, "kpvtool: cannot read the folder %s\n", qPrintable(folder));
        return 2;
    }
    kpv::tool::printJournal(journal, filter, stdout);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 2 && (args.at(1) == QLatin1String("--help") || args.at(1) == QLatin1String("-h"))) {
        std::printf("%s\n", kpv::tool::helpText().toUtf8().constData());
        return 0;
    }
    if (args.size() >= 3 && (args.at(1) == QLatin1String("journal") || args.at(1) == QLatin1String("restore")))
        return journalCommand(args);
    const bool repairApply = args.size() == 4 && args.at(1) == QLatin1String("repair") && args.at(3) == QLatin1String("--apply");
    if (args.size() != 3 && !repairApply) {
        std::fprintf(stderr, "usage: kpvtool dump DATAFOLDER | settings FILE | check DATAFOLDER | repair DATAFOLDER [--apply]"
                             " | journal DATAFOLDER [--item NO] [--since TIME] [--pc NAME]"
                             " | restore DATAFOLDER --item NO --at TIME [--yes] (kpvtool --help: 説明)\n");
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
