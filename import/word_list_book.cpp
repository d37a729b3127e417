#include "import/word_list_book.h"

#include "excel/import_books.h"
#include "storage/text.h"

#include <algorithm>

namespace kpv::import {

using namespace word_book;

excel::Result<WordListContent> readWordListBook(excel::Worksheet &sheet)
{
    WordListContent content;
    int last = kFirstRow + kMaxWords - 1;
    if (auto used = sheet.lastUsedRow(); used.ok()) last = std::min(last, used.value());
    if (last < kFirstRow) return content;
    auto block = sheet.readBlock(excel::Range::of(kFirstRow, kFirstCol, last, kFirstCol + kLists - 1));
    if (!block.ok()) return block.failure();
    for (int c = 0; c < kLists; ++c) {
        QStringList &words = content.lists[size_t(c)];
        for (int r = 0; r < block->rows(); ++r) {
            const QString word = trimSpaces(block->at(r, c).text());
            if (word.isEmpty()) break;
            content.check.quotedValue(kFirstRow + r, kFirstCol + c, word, kWordWidth);
            words << word;
        }
    }
    return content;
}

} // namespace kpv::import
