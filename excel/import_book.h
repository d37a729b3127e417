#pragma once
// One import book opened for reading, in the shape every import has: bind to
// the file, screen updating off while reading; at the end screen updating
// back on, the application and the book's window hidden, the first sheet
// active, and the book released unsaved.
//
// Only an Excel 97-2003 workbook is read. Before the office opens the file
// its bytes are looked at (a missing or empty file, text, HTML, a renamed
// .xlsx, a truncated book are refused), and after opening, the office must
// have read it as such a workbook (not as text). A refused book is told to
// the user with its path and what is wrong; a failure of the office itself
// with the spreadsheet failure message of its kind. Nothing else happens.

#include "excel/spreadsheet.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace kpv {
class Messages;
}

namespace kpv::import {

class ImportBook {
public:
    enum class Opened { Yes, Refused, Failed };

    ImportBook(excel::Spreadsheet &office, Messages &messages) : m_office(office), m_messages(messages) {}
    ~ImportBook() { finish(); }
    ImportBook(const ImportBook &) = delete;
    ImportBook &operator=(const ImportBook &) = delete;

    // Refused or Failed: the user was told.
    Opened open(const QString &path);
    excel::Worksheet &sheet() { return m_book->firstSheet(); }
    excel::Workbook &workbook() { return *m_book; }
    const QString &path() const { return m_path; }
    // The merged areas of the first sheet.
    const std::vector<excel::Range> &merged() const { return m_merged; }
    // Tells the user the failure of a read.
    void report(const excel::Failure &failure);
    // Ends the reading (also done at destruction).
    void finish();

private:
    excel::Spreadsheet &m_office;
    Messages &m_messages;
    std::unique_ptr<excel::Workbook> m_book;
    QString m_path;
    std::vector<excel::Range> m_merged;
};

// The message of a refused book: the file, what is wrong, and that nothing
// was imported (title "インポート確認").
QString refusalText(const QString &path, const QString &reason);
void tellRefusal(Messages &messages, const QString &path, const QString &reason);

// A range as the spreadsheet names it ("C5", "C5:E5").
QString rangeName(const excel::Range &range);

// The first merged area that hides a cell the import reads (any cell of the
// area but its first, where the value stands); isRead tells which cells are
// read, within bounds. nullopt when none does.
std::optional<excel::Range> mergeHidingRead(const std::vector<excel::Range> &merged, const excel::Range &bounds,
                                            const std::function<bool(int row, int col)> &isRead);
// What the user is told of such an area.
QString mergedReason(const excel::Range &area);

} // namespace kpv::import
