// Generates the workbooks shipped in the program folder:
//   kpv_mkbooks <program folder>
// Runs its own headless office and ends it before it exits.

#include "excel/create_from_template.h"
#include "excel/libreoffice.h"
#include "excel/shipped_books.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>

using namespace kpv::excel;

namespace {

bool makeBook(LibreOffice &office, const QString &path, const std::function<Status(Worksheet &)> &write)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto book = office.createNew();
    if (!book) {
        std::fprintf(stderr, "kpv_mkbooks: %s: %s\n", qPrintable(path), qPrintable(book.failure().detail));
        return false;
    }
    Workbook &wb = *book.value();
    Status s = wb.setScreenUpdating(false);
    if (s) s = write(wb.firstSheet());
    if (s) s = wb.setScreenUpdating(true);
    // Written under a temporary name first, so that an interrupted run never
    // leaves a half-written book that the build would take as up to date.
    const QString temp = path + QStringLiteral(".part.xls");
    if (s) s = wb.storeAsXls(temp);
    wb.close();
    if (s) {
        QFile::remove(path);
        if (!QFile::rename(temp, path)) s = Status::fail(FailureKind::Other, QStringLiteral("cannot rename ") + temp);
    }
    if (!s) {
        QFile::remove(temp);
        std::fprintf(stderr, "kpv_mkbooks: %s: %s\n", qPrintable(path), qPrintable(s.failure().detail));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kpv_mkbooks <program folder>\n");
        return 2;
    }
    const QString folder = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/');

    LibreOfficeOptions options = LibreOfficeOptions::fromEnvironment();
    options.external = false; // always an office of its own
    options.pipeName.clear();
    options.headless = true;
    LibreOffice office(options);

    bool ok = makeBook(office, ExcelTemplatePath(folder), WriteTemplateBook);
    ok = ok && makeBook(office, folder + QString::fromUtf8(kLedgerImportBook), WriteLedgerImportBook);
    ok = ok && makeBook(office, folder + QString::fromUtf8(kWordListImportBook), WriteWordListImportBook);
    ok = ok && makeBook(office, folder + QString::fromUtf8(kDailyBook), WriteDailyBook);
    office.shutdown();
    return ok ? 0 : 1;
}
