#include "import/word_list_book.h"

#include "excel/import_book.h"
#include "excel/import_books.h"
#include "storage/text.h"

#include <algorithm>

namespace kpv::import {

using namespace word_book;

excel::Result<WordListContent> readWordListBook(excel::Worksheet &sheet, const std::vector<excel::Range> &merged)
{
    WordListContent content;
    const std::vector<int> all{0, 1, 2, 3, 4};
    auto head = sheet.readBlockShown(excel::Range::of(kTitleRow, kFirstCol, kFirstRow - 1, kFirstCol + kLists - 1), all);
    if (!head.ok()) return head.failure();
    QString title;
    for (const QChar c : head->at(0, 0).text())
        if (!c.isSpace()) title += c;
    if (title != QString::fromUtf16(kTitle)) {
        content.refusal = QStringLiteral("1枚目のシートのB3に「%1」がありません（項目リストのExcelではありません）。")
                              .arg(QString::fromUtf16(kTitle));
        return content;
    }
    for (int c = 0; c < kLists; ++c) content.titles[size_t(c)] = trimSpaces(head->at(kFirstRow - 1 - kTitleRow, c).text());

    int last = kFirstRow + kMaxWords - 1;
    if (auto used = sheet.lastUsedRow(); used.ok()) last = std::min(last, used.value());
    if (last >= kFirstRow) {
        auto block = sheet.readBlockShown(excel::Range::of(kFirstRow, kFirstCol, last, kFirstCol + kLists - 1), all);
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
    }
    if (std::all_of(content.lists.begin(), content.lists.end(), [](const QStringList &l) { return l.isEmpty(); })) {
        content.refusal = QStringLiteral("5行目から語句がありません（B～F列が空です）。");
        return content;
    }
    // A merged area hiding the title or a word read (or the empty cell that
    // ends a column).
    const auto hiding = mergeHidingRead(merged, excel::Range::of(1, 1, kFirstRow + kMaxWords, kFirstCol + kLists - 1),
                                        [&](int row, int col) {
                                            if (row == kTitleRow) return col == kFirstCol;
                                            if (row < kFirstRow || col < kFirstCol) return false;
                                            return row <= kFirstRow + int(content.lists[size_t(col - kFirstCol)].size());
                                        });
    if (hiding) content.refusal = mergedReason(*hiding);
    return content;
}

} // namespace kpv::import
