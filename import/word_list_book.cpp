#include "import/word_list_book.h"

#include "import/import_books.h"
#include "storage/text.h"

namespace kpv::import {

using namespace word_book;

excel::Result<WordListContent> readWordListBook(excel::Worksheet &sheet)
{
    auto block = sheet.readBlock(
        excel::Range::of(kFirstRow, kFirstCol, kFirstRow + kMaxWords - 1, kFirstCol + kLists - 1));
    if (!block.ok()) return block.failure();
    WordListContent content;
    for (int c = 0; c < kLists; ++c) {
        QStringList &words = content.lists[size_t(c)];
        for (int r = 0; r < kMaxWords; ++r) {
            const QString word = trimSpaces(block->at(r, c).text());
            if (word.isEmpty()) break;
            content.check.quotedValue(kFirstRow + r, kFirstCol + c, word, kWordWidth);
            words << word;
        }
    }
    return content;
}

} // namespace kpv::import
