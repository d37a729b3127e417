// Writes the ledger workbook of a data folder, as the ledger screen's
// "在庫品Excel" does, without showing it (for the README's picture):
//   ledger_book <data folder> <program folder> <out.xls>
// The workbook lands in the data folder's "M在庫台帳" and is copied to out.
// Runs its own headless office and ends it.
#include "excel/ledger_output.h"
#include "excel/libreoffice.h"
#include "storage/dolvb.h"
#include "storage/text.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {
struct Printed : kpv::Messages {
    bool ask(const QString &, const QString &) override { return true; }
    void tell(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
};
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 4) return 2;
    Printed messages;
    kpv::NoBusyPointer pointer;
    kpv::Dolvb d(messages, pointer);
    d.dataFolder = kpv::normalizeFolderPath(QString::fromLocal8Bit(argv[1]) + QLatin1Char('/'));
    d.clientFolder = kpv::normalizeFolderPath(QString::fromLocal8Bit(argv[2]) + QLatin1Char('/'));
    d.clientSettings.set(1, d.dataFolder);
    d.loadSharedSettings();
    d.buildItemLabels();
    kpv::excel::LibreOfficeOptions options = kpv::excel::LibreOfficeOptions::fromEnvironment();
    options.external = false;
    options.pipeName.clear();
    options.headless = true;
    kpv::excel::LibreOffice office(options);
    kpv::workbooks::LedgerOutput out(d, office);
    out.setShowResult(false);
    if (out.run(nullptr) != kpv::workbooks::LedgerOutput::Outcome::Written) return 1;
    const QString target = QString::fromLocal8Bit(argv[3]);
    QFile::remove(target);
    return QFile::copy(out.lastPath(), target) ? 0 : 1;
}
