#pragma once
// The word-list import: replaces the words of lists 2 to 6 with those of the
// word-list import book of the import folder.
//
// The book is read and checked whole first (an Excel 97-2003 workbook with
// the title in B3 and words in at least one column, every word storable);
// nothing is written otherwise. A column that is empty in the book would
// empty a list that holds words: the user is asked first, the lists named,
// and "いいえ" changes nothing. Then the locks of every list file and of
// SharedSettings are taken, and the five lists (entry j takes word j and
// keeps the companion value the file holds for it now) and their counts
// (SharedSettings slots 3 to 7) are written as one change: all of them, or
// none (shared_change.h), so every list and its count always agree. The
// user is told that every list was imported, or none and why.

#include <QString>
#include <QStringList>

#include <functional>

namespace kpv {
class Dolvb;
}
namespace kpv::excel {
class Spreadsheet;
}

namespace kpv::import {

class WordListImport {
public:
    enum class Result {
        Completed, // every list written; the completion message was shown
        Cancelled, // the user did not want lists emptied; nothing written
        Refused,   // no word-list book of the layout, or words that cannot be stored; nothing written
        Failed,    // the book, the office or a list file could not be used; nothing written (told)
    };
    // Called per list: the list (2..6) and its number of words.
    using Progress = std::function<void(int list, int words)>;

    WordListImport(Dolvb &d, excel::Spreadsheet &office) : m_d(d), m_office(office) {}

    // folder ends with a separator.
    Result run(const QString &folder, const Progress &progress = {});
    // The lists (2..6) written by the last run.
    const QList<int> &imported() const { return m_imported; }

private:
    Dolvb &m_d;
    excel::Spreadsheet &m_office;
    QList<int> m_imported;
};

} // namespace kpv::import
