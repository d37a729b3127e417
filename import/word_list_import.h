#pragma once
// The word-list import: replaces the words of lists 2 to 6 with those of the
// word-list import book of the import folder. The book is read and checked
// whole; with any word that cannot be stored, the user gets the list of
// those cells and nothing is written. Otherwise entry j of a list takes word
// j (its companion value stays), the counts go into SharedSettings slots 3
// to 7 and the five list files are written.

#include <QString>

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
    enum class Result { Completed, Refused, Failed };
    // Called per list: the list (2..6) and its number of words.
    using Progress = std::function<void(int list, int words)>;

    WordListImport(Dolvb &d, excel::Spreadsheet &office) : m_d(d), m_office(office) {}

    // folder ends with a separator.
    Result run(const QString &folder, const Progress &progress = {});

private:
    Dolvb &m_d;
    excel::Spreadsheet &m_office;
};

} // namespace kpv::import
