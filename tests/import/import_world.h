#pragma once
// A client on a temporary data folder with scripted message boxes, the
// suite's shared office, and the import books made through it.

#include "excel/window_thread.h"
#include "excel/libreoffice.h"
#include "excel/shipped_books.h"
#include "import/example_books.h"
#include "excel/import_books.h"
#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/files.h"
#include "storage/settings_store.h"
#include "temp_folder.h"

#include <QDir>
#include <QTemporaryDir>


#include <functional>
#include <map>
#include <memory>
#include <stdexcept>

namespace kpv::testing {

using Cells = std::map<int, QString>; // column -> text

// Stops the test (both test frameworks report the exception as a failure).
inline void require(bool ok, const QString &what)
{
    if (!ok) throw std::runtime_error(what.toStdString());
}

struct ImportWorld {
    QTemporaryDir tmp;
    QString data;   // the data folder
    QString books;  // the import folder
    ScriptedMessages messages;
    // Workbook work runs on the office's thread: its messages reach the
    // script on the window thread, as in the program.
    excel::WindowThreadMessages windowMessages{messages};
    RecordingBusyPointer pointer;
    Dolvb d{windowMessages, pointer};
    std::unique_ptr<excel::LibreOffice> office;

    ImportWorld()
    {
        data = withSlash(tmp.path()) + QStringLiteral("data/");
        books = withSlash(tmp.path()) + QStringLiteral("books/");
        QDir().mkpath(data);
        QDir().mkpath(books);
        d.clientFolder = data;
        d.dataFolder = data;
        d.clientSettings.set(1, data);
        d.sharedSettings.set(10, books);
        writeSettingsFile(d.sharedSettingsPath(), d.sharedSettings);
        office = std::make_unique<excel::LibreOffice>();
    }

    SettingsSlots sharedFile() const
    {
        SettingsSlots s;
        readSettingsFile(d.sharedSettingsPath(), s);
        return s;
    }
    // Every word-list file and SharedSettings, as one snapshot.
    QByteArray listFiles() const
    {
        QByteArray all;
        for (int n = 2; n <= 6; ++n) {
            QByteArray b;
            readWholeFile(d.pickListPath(n), b);
            all += b + "|";
        }
        QByteArray s;
        readWholeFile(d.sharedSettingsPath(), s);
        return all + s;
    }
    // Lists 2..6 with words (companion "id<word>") in their files and counts.
    void existingLists(const std::array<QStringList, 5> &lists)
    {
        for (int n = 2; n <= 6; ++n) {
            const QStringList &words = lists[size_t(n - 2)];
            for (int j = 1; j <= words.size(); ++j) {
                d.pickListTable.setWord(j, n, words[j - 1]);
                d.pickListTable.setId(j, n, QStringLiteral("id") + words[j - 1]);
            }
            d.sharedSettings.set(n + 1, QString::number(words.size()));
        }
        writeSettingsFile(d.sharedSettingsPath(), d.sharedSettings);
        require(d.savePickLists(), QStringLiteral("lists not saved"));
        d.pickListTable.clear(); // the import screen never loads them
    }
    QByteArray ledgerBytes() const
    {
        QByteArray b;
        readWholeFile(d.ledgerPath(), b);
        return b;
    }

    // A book made as a user makes it: the shipped blank layout, then cells;
    // then (finish) anything else done to the book before it is stored in
    // the given format.
    using Finish = std::function<void(excel::Workbook &)>;
    template <class Fill>
    void makeBook(const QString &name, excel::Status (*layout)(excel::Worksheet &), Fill fill, const Finish &finish = {},
                  const QString &filter = QStringLiteral("MS Excel 97"))
    {
        auto book = office->createNew();
        require(book.ok(), book.ok() ? QString() : book.failure().detail);
        excel::Worksheet &sheet = book.value()->firstSheet();
        require(layout(sheet).ok(), QStringLiteral("book step failed"));
        fill(sheet);
        if (finish) finish(*book.value());
        require(book.value()->storeInFormat(books + name, filter).ok(), QStringLiteral("book step failed"));
        require(book.value()->close().ok(), QStringLiteral("book step failed"));
        require(QFileInfo(books + name).isFile(), QStringLiteral("book not stored: ") + books + name + QDir(books).entryList().join(QLatin1Char(',')));
    }

    // Ledger book with O4 and items given as receipts/issues rows of cells.
    void makeLedgerBook(const QString &startMonth, const std::vector<std::pair<Cells, Cells>> &items, const Finish &finish = {},
                        const QString &filter = QStringLiteral("MS Excel 97"))
    {
        makeBook(import::ledgerBookName(), excel::WriteLedgerImportBook, [&](excel::Worksheet &s) {
            require(s.setCell(4, 15, excel::CellValue(startMonth)).ok(), QStringLiteral("book step failed"));
            if (items.empty()) return;
            excel::Block b(int(items.size()) * 2, 30);
            for (size_t i = 0; i < items.size(); ++i) {
                for (const auto &[col, text] : items[i].first) b.at(int(i) * 2, col - 1) = excel::CellValue(text);
                for (const auto &[col, text] : items[i].second) b.at(int(i) * 2 + 1, col - 1) = excel::CellValue(text);
            }
            require(s.writeBlock(5, 1, b).ok(), QStringLiteral("book step failed"));
        }, finish, filter);
    }

    void makeWordBook(const std::array<QStringList, 5> &lists)
    {
        makeBook(import::wordListBookName(), excel::WriteWordListImportBook,
                 [&](excel::Worksheet &s) { require(import::writeWordLists(s, lists).ok(), QStringLiteral("word lists")); });
    }
};

// Column numbers by letter.
constexpr int col(const char *letters)
{
    int c = 0;
    for (const char *p = letters; *p; ++p) c = c * 26 + (*p - 'A' + 1);
    return c;
}

} // namespace kpv::testing
