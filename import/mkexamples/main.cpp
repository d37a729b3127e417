// Generates the filled example import books from a data folder:
//   kpv_mkexamples <data folder> <program folder>
// writes <program folder>/見本INP/Mb在庫品INP.xls (the ledger's items, in the
// layout the ledger import reads) and Mb在庫品項目INP.xls (its five word
// lists). A newcomer chooses that folder as the import folder and imports
// both. Runs its own headless office and ends it before it exits.

#include "excel/libreoffice.h"
#include "excel/shipped_books.h"
#include "import/example_books.h"
#include "excel/import_books.h"
#include "storage/dolvb.h"
#include "storage/settings_slots.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>

using namespace kpv;
using namespace kpv::excel;

namespace {

class ErrorMessages : public Messages {
public:
    bool ask(const QString &, const QString &) override { return false; }
    void tell(const QString &title, const QString &text) override
    {
        std::fprintf(stderr, "kpv_mkexamples: %s: %s\n", qPrintable(title), qPrintable(text));
    }
};

bool makeBook(LibreOffice &office, const QString &path, const std::function<Status(Worksheet &)> &write)
{
    auto book = office.createNew();
    if (!book.ok()) {
        std::fprintf(stderr, "kpv_mkexamples: %s: %s\n", qPrintable(path), qPrintable(book.failure().detail));
        return false;
    }
    Workbook &wb = *book.value();
    Status s = write(wb.firstSheet());
    // Stored under a temporary name first: an interrupted run never leaves a
    // book the build would take as up to date.
    const QString temp = path + QStringLiteral(".part.xls");
    if (s.ok()) s = wb.storeAsXls(temp);
    (void)wb.close();
    if (s.ok() && !QFileInfo(temp).isFile()) s = Status::fail(FailureKind::Other, QStringLiteral("the office stored nothing"));
    if (s.ok()) {
        QFile::remove(path);
        if (!QFile::rename(temp, path)) s = Status::fail(FailureKind::Other, QStringLiteral("cannot rename ") + temp);
    }
    if (!s.ok()) {
        QFile::remove(temp);
        std::fprintf(stderr, "kpv_mkexamples: %s: %s\n", qPrintable(path), qPrintable(s.failure().detail));
    }
    return s.ok();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kpv_mkexamples <data folder> <program folder>\n");
        return 2;
    }
    const QString data = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + QLatin1Char('/') + import::exampleBooksFolder()
                        + QLatin1Char('/');
    QDir().mkpath(out);

    ErrorMessages messages;
    NoBusyPointer pointer;
    Dolvb d(messages, pointer);
    d.dataFolder = data;
    d.clientFolder = data;
    d.clientSettings.set(slot::client::kDataFolder, data);
    d.loadSharedSettings();
    if (!d.openLedger()) {
        std::fprintf(stderr, "kpv_mkexamples: no ledger in %s\n", qPrintable(data));
        return 1;
    }
    // Every record, an item without a name too: the import reads items up
    // to the first one with nothing in it.
    std::vector<LedgerRecord> items;
    for (int n = 1; n <= d.recordCount; ++n)
        if (d.readRecord(n)) items.push_back(d.recordBuffer);
    d.loadPickLists();
    std::array<QStringList, 5> lists;
    for (int list = 2; list <= 6; ++list)
        for (int j = 1; j <= int(d.sharedSettings.number(slot::shared::pickListCount(list))); ++j)
            lists[size_t(list - 2)] << d.pickListTable.word(j, list);

    LibreOfficeOptions options = LibreOfficeOptions::fromEnvironment();
    options.external = false;
    options.pipeName.clear();
    options.headless = true;
    LibreOffice office(options);
    const QString startMonth = d.sharedSettings.value(slot::shared::kStartMonth);
    bool ok = makeBook(office, out + import::ledgerBookName(), [&](Worksheet &sheet) {
        Status s = WriteLedgerImportBook(sheet);
        return s.ok() ? import::writeLedgerItems(sheet, startMonth, items) : s;
    });
    ok = ok && makeBook(office, out + import::wordListBookName(), [&](Worksheet &sheet) {
        Status s = WriteWordListImportBook(sheet);
        return s.ok() ? import::writeWordLists(sheet, lists) : s;
    });
    office.shutdown();
    return ok ? 0 : 1;
}
