#pragma once
// One import book opened for reading, in the shape every import has: bind to
// the file, screen updating off while reading; at the end screen updating
// back on, the application and the book's window hidden, the first sheet
// active, and the book released unsaved.
//
// A missing book, or one the application cannot open, is told to the user
// with the spreadsheet failure message of its kind; nothing else happens.

#include "excel/spreadsheet.h"

#include <QString>

#include <memory>

namespace kpv {
class Messages;
}

namespace kpv::import {

class ImportBook {
public:
    ImportBook(excel::Spreadsheet &office, Messages &messages) : m_office(office), m_messages(messages) {}
    ~ImportBook() { finish(); }
    ImportBook(const ImportBook &) = delete;
    ImportBook &operator=(const ImportBook &) = delete;

    // False (the user was told) when the book is missing or cannot be opened.
    bool open(const QString &path);
    excel::Worksheet &sheet() { return m_book->firstSheet(); }
    excel::Workbook &workbook() { return *m_book; }
    // Tells the user the failure of a read.
    void report(const excel::Failure &failure);
    // Ends the reading (also done at destruction).
    void finish();

private:
    excel::Spreadsheet &m_office;
    Messages &m_messages;
    std::unique_ptr<excel::Workbook> m_book;
};

} // namespace kpv::import
