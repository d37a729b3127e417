// One client PC of a data folder, driven by the shared-folder and crash
// tests. Each command does what a user's action does through the program's
// own classes; questions are answered "はい", notices go to standard error.
//
//   kpv_client append FOLDER COUNT TAG        registers COUNT new cards (item numbers TAG1, TAG2, ...),
//                                             printing "appended <record> <item>" after each
//   kpv_client rewrite FOLDER RECORD TEXT     corrects the name of one card
//   kpv_client slots FOLDER FIRST LAST ROUNDS TAG
//                                             sets SharedSettings slots FIRST..LAST to TAG-<round>, each round
//   kpv_client words FOLDER LIST PREFIX COUNT appends the words PREFIX1..PREFIXCOUNT to a word list
//   kpv_client sort FOLDER                    opens the sort panel, sorts and registers
//   kpv_client delete FOLDER ROW...           opens the delete panel, deletes the rows and registers
//   kpv_client import FOLDER COUNT TAG        imports a ledger book of COUNT items (TAG1, ...)
//   kpv_client wordimport FOLDER COUNT TAG    imports a word-list book of COUNT words per list
//   kpv_client monthly FOLDER COUNT           imports a daily book with the second month's receipts (3)
//                                             and issues (1) of the first COUNT items of the ledger
//   kpv_client transfer CLIENT SOURCE TARGET  moves the data of SOURCE to TARGET (client folder CLIENT)
//   kpv_client settle FOLDER                  takes and gives back the lock of every shared file, as
//                                             the next client to change each of them does
//   kpv_client hold FILE MS                   holds a file open for reading for MS milliseconds
//   kpv_client screen FOLDER WAITFILE         opens the ledger screen with a correction card; when WAITFILE
//                                             appears, shows the list again and prints its first item
//
// The PC's name comes from COMPUTERNAME. Exit 0: done; 1: refused or failed
// (the notice was printed); 2: wrong arguments.
#include "excel/import_books.h"
#include "excel/monthly_import.h"
#include "excel/shipped_books.h"
#include "import/ledger_import.h"
#include "import/word_list_import.h"
#include "ledger/ledger_session.h"
#include "memory_spreadsheet.h"
#include "search/delete_session.h"
#include "search/sort_session.h"
#include "settings/data_folder.h"
#include "storage/dolvb.h"
#include "storage/file_lock.h"
#include "storage/list_format.h"
#include "storage/machine.h"

#include <QCoreApplication>
#include <QDate>
#include <QTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cstdio>
#include <cstring>

using namespace kpv;

namespace {

struct Answers : Messages {
    bool ask(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "ask: %s\n", qPrintable(QString(text).replace(u'\r', u'|')));
        return true;
    }
    void tell(const QString &, const QString &text) override
    {
        ++told;
        last = text;
        std::fprintf(stderr, "tell %s: %s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz"))),
                     qPrintable(QString(text).replace(u'\r', u'|')));
    }
    int told = 0;
    QString last;
};

QString folderArg(const char *arg)
{
    QString f = QString::fromLocal8Bit(arg);
    if (!f.endsWith(u'/')) f += u'/';
    return f;
}

// A client whose data folder is the folder given (stand-alone layout: the
// settings live beside the data).
void setUp(Dolvb &d, const QString &folder)
{
    d.clientFolder = folder;
    d.dataFolder = folder;
    d.machineName = machineName();
    d.clientSettings.set(1, folder);
    d.loadSharedSettings();
    d.loadPickLists();
}

int append(Dolvb &d, Answers &m, int count, const QString &tag)
{
    for (int i = 1; i <= count; ++i) {
        const QString id = tag + QString::number(i);
        LedgerRecord rec;
        rec.setField(0, id);
        rec.setField(1, id);
        int no = 0;
        // A user told the ledger is busy registers again.
        for (int attempt = 0; attempt < 20 && no == 0; ++attempt) {
            const int before = m.told;
            d.openLedger();
            no = d.appendRecord(rec);
            if (no == 0 && (m.told == before || !m.last.contains(QStringLiteral("使用中")))) return 1;
        }
        if (no == 0) return 1;
        std::printf("appended %d %s\n", no, qPrintable(id));
        std::fflush(stdout);
    }
    return 0;
}

int changeSlots(Dolvb &d, int first, int last, int rounds, const QString &tag)
{
    for (int r = 1; r <= rounds; ++r) {
        std::map<int, QString> changes;
        for (int s = first; s <= last; ++s) changes[s] = QStringLiteral("%1-%2").arg(tag).arg(r);
        bool done = false;
        for (int attempt = 0; attempt < 20 && !done; ++attempt) done = d.changeSharedSettings(changes);
        if (!done) return 1;
    }
    return 0;
}

int words(Dolvb &d, int list, const QString &prefix, int count)
{
    d.currentList = list;
    for (int i = 1; i <= count; ++i) {
        bool done = false;
        for (int attempt = 0; attempt < 20 && !done; ++attempt) done = d.appendPickListWord(prefix + QString::number(i));
        if (!done) return 1;
        std::printf("word %s%d\n", qPrintable(prefix), i);
        std::fflush(stdout);
    }
    return 0;
}

// The import folder of this client, holding the book's file: the shipped
// blank book (the import checks the file is a workbook; its cells come
// from memory).
QString bookFolder(const QString &name, const char *shipped)
{
    const QString books = QDir::tempPath() + QStringLiteral("/kpv-books-%1/").arg(processId());
    QDir().mkpath(books);
    QFile::copy(QStringLiteral(KPV_APP_DIR "/") + QString::fromUtf8(shipped), books + name);
    return books;
}

int importLedger(Dolvb &d, int count, const QString &tag)
{
    testing::MemorySpreadsheet office;
    const QString books = bookFolder(import::ledgerBookName(), excel::kLedgerImportBook);
    testing::MemorySheet &sheet = office.books[books + import::ledgerBookName()];
    for (const import::ledger_book::Heading &h : import::ledger_book::kHeadings) sheet.set(3, h.col, QString::fromUtf16(h.text));
    sheet.set(4, 15, QStringLiteral("2025/04"));
    for (int k = 1; k <= count; ++k) {
        const int row = 2 * k + 3;
        sheet.set(row, 3, tag + QString::number(k));
        sheet.set(row, 4, QStringLiteral("品名") + QString::number(k));
        sheet.set(row, 13, QStringLiteral("0"));
    }
    import::LedgerImport run(d, office);
    const bool done = run.run(books) == import::LedgerImport::Result::Completed;
    QDir(books).removeRecursively();
    return done ? 0 : 1;
}

int importWords(Dolvb &d, int count, const QString &tag)
{
    testing::MemorySpreadsheet office;
    const QString books = bookFolder(import::wordListBookName(), excel::kWordListImportBook);
    testing::MemorySheet &sheet = office.books[books + import::wordListBookName()];
    sheet.set(import::word_book::kTitleRow, import::word_book::kFirstCol, QString::fromUtf16(import::word_book::kTitle));
    for (int c = 0; c < 5; ++c)
        for (int j = 1; j <= count; ++j) sheet.set(j + 4, 2 + c, QStringLiteral("%1-%2-%3").arg(tag).arg(c + 2).arg(j));
    import::WordListImport run(d, office);
    const bool done = run.run(books) == import::WordListImport::Result::Completed;
    QDir(books).removeRecursively();
    return done ? 0 : 1;
}

int importMonth(Dolvb &d, int count)
{
    testing::MemorySpreadsheet office;
    const QString path = workbooks::dailyBookPath(d.dataFolder);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    QFile::copy(QStringLiteral(KPV_APP_DIR "/") + QString::fromUtf8(excel::kDailyBook), path);
    testing::MemorySheet &sheet = office.books[path];
    const QString month = ledger::monthHeadings(d.sharedSettings.value(9)).value(1).left(7);
    d.openLedger();
    for (int k = 1; k <= count && d.readRecord(k); ++k) {
        const int row = 2 * k + 2;
        sheet.set(row, 2, month);
        sheet.set(row, 3, d.recordBuffer.field(0));
        sheet.set(row, 7, QStringLiteral("3"));
        sheet.set(row + 1, 7, QStringLiteral("1"));
    }
    d.closeLedger();
    workbooks::MonthlyImport run(d, office);
    return run.run() == workbooks::MonthlyImport::Outcome::Completed ? 0 : 1;
}

int screen(Dolvb &d, const QString &waitFile)
{
    ledger::LedgerSession s(d);
    s.open(QDate::currentDate());
    // A correction card open on the first line, as a user looking at an item.
    s.setListCell(1, 2);
    s.openCorrectCard();
    std::printf("screen open\n");
    std::fflush(stdout);
    while (!QFileInfo::exists(waitFile)) QThread::msleep(20);
    s.open(QDate::currentDate());
    d.openLedger();
    d.readRecord(1);
    d.closeLedger();
    std::printf("first %s\n", qPrintable(d.recordBuffer.field(0)));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    const char *command = argv[1];
    Answers messages;
    NoBusyPointer pointer;
    Dolvb d(messages, pointer);
    auto arg = [&](int i) { return i < argc ? QString::fromLocal8Bit(argv[i]) : QString(); };
    auto num = [&](int i) { return i < argc ? std::atoi(argv[i]) : 0; };

    if (std::strcmp(command, "transfer") == 0) {
        if (argc != 5) return 2;
        const QString client = folderArg(argv[2]), source = folderArg(argv[3]), target = folderArg(argv[4]);
        d.clientFolder = client;
        d.clientSettings.set(1, source);
        d.clientSettings.set(2, source);
        d.saveClientSettings();
        d.dataFolder = source;
        d.loadSharedSettings();
        settings::DataFolder panel(d);
        panel.open();
        if (panel.confirmTyped(target) != settings::DataFolder::Confirm::Confirmed) return 1;
        return panel.transfer() ? 0 : 1;
    }

    if (std::strcmp(command, "hold") == 0 && argc == 4) {
        QFile f(arg(2));
        if (!f.open(QIODevice::ReadOnly)) return 1;
        f.read(1);
        std::printf("holding\n");
        std::fflush(stdout);
        QThread::msleep(num(3));
        return 0;
    }

    setUp(d, folderArg(argv[2]));
    if (std::strcmp(command, "append") == 0 && argc == 5) return append(d, messages, num(3), arg(4));
    if (std::strcmp(command, "rewrite") == 0 && argc == 5) {
        d.openLedger();
        if (!d.readRecord(num(3))) return 1;
        d.recordBuffer.setField(1, arg(4));
        return d.writeRecord(num(3)) ? 0 : 1;
    }
    if (std::strcmp(command, "slots") == 0 && argc == 7) return changeSlots(d, num(3), num(4), num(5), arg(6));
    if (std::strcmp(command, "words") == 0 && argc == 6) return words(d, num(3), arg(4), num(5));
    if (std::strcmp(command, "sort") == 0) {
        search::SortSession s(d);
        return s.open() && s.sort() && s.registerSort() ? 0 : 1;
    }
    if (std::strcmp(command, "delete") == 0) {
        search::DeleteSession s(d);
        if (!s.open()) return 1;
        for (int i = 3; i < argc; ++i) s.deleteRow(num(i));
        return s.registerDeletions() ? 0 : 1;
    }
    if (std::strcmp(command, "settle") == 0) {
        QStringList files{d.ledgerPath(), d.tempLedgerPath(), d.sharedSettingsPath()};
        for (int n = 2; n <= 6; ++n) files << d.pickListPath(n);
        for (const QString &f : files) {
            FileLock lock(f);
            if (!lock.locked()) return 1;
        }
        return 0;
    }
    if (std::strcmp(command, "import") == 0 && argc == 5) return importLedger(d, num(3), arg(4));
    if (std::strcmp(command, "wordimport") == 0 && argc == 5) return importWords(d, num(3), arg(4));
    if (std::strcmp(command, "monthly") == 0 && argc == 4) return importMonth(d, num(3));
    if (std::strcmp(command, "screen") == 0 && argc == 4) return screen(d, arg(3));
    return 2;
}
