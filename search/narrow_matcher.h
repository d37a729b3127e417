#pragma once
// Decides whether one ledger record matches the ordered conditions.
//
// Condition k holds when the cleaned text of its field contains word k (an
// equal text contains it too). The comparison is exact: letter case and
// full-width against half-width forms are different characters. Only three
// shapes of words can match at all: word 1; words 1 and 2; words 1, 2 and 3.
// Any other shape (a filled word behind an empty one) matches nothing.
//
// The test runs on the record's code page 932 bytes: the word's bytes are
// looked for in the field's cleaned bytes, and only where they are found, and
// the field is not plain ASCII, the field is decoded to confirm that the
// bytes found are the word's characters and not the halves of neighbouring
// double-byte characters. A word holding a character that code page 932 has
// two codes for (the NEC and IBM duplicates), or one it cannot hold, is
// compared on the decoded text of every field instead.

#include "search/narrow_conditions.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace kpv::search {

class NarrowMatcher {
public:
    explicit NarrowMatcher(const Conditions &conditions);

    // False when the words have none of the three shapes (nothing matches).
    bool canMatch() const { return m_count > 0; }
    // record: the 926 bytes of one ledger record.
    bool matches(const char *record) const;

private:
    struct Word {
        int offset = -1;       // the field's first byte in the record; -1 = never holds
        QByteArray bytes;      // the word in code page 932
        QString text;
        bool decodedOnly = false;
    };
    bool holds(const Word &w, const char *record) const;

    int m_count = 0;
    std::array<Word, 3> m_words;
};

} // namespace kpv::search
