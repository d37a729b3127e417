#include "import/word_list_import.h"

#include "import/import_book.h"
#include "import/import_books.h"
#include "import/word_list_book.h"
#include "storage/dolvb.h"
#include "storage/settings_slots.h"

#include <optional>

namespace kpv::import {

using namespace word_book;

namespace {
constexpr int kFirstCountSlot = slot::shared::kFirstPickListCount; // lists 2..6 in slots 3..7
} // namespace

WordListImport::Result WordListImport::run(const QString &folder, const Progress &progress)
{
    Messages &messages = m_d.messages();
    std::optional<WordListContent> content;
    {
        BusyGuard busy(m_d.pointer());
        ImportBook book(m_office, messages);
        if (!book.open(folder + wordListBookName())) return Result::Failed;
        auto read = readWordListBook(book.sheet());
        if (!read.ok()) {
            book.finish();
            book.report(read.failure());
            return Result::Failed;
        }
        content.emplace(std::move(read.value()));
    }
    if (!content->check.ok()) {
        content->check.tell(messages);
        return Result::Refused;
    }

    bool saved = true;
    {
        BusyGuard busy(m_d.pointer());
        std::map<int, QString> counts;
        for (int c = 0; c < kLists; ++c) {
            const int list = kFirstList + c;
            const QStringList &words = content->lists[size_t(c)];
            for (int j = 1; j <= words.size(); ++j) m_d.pickListTable.setWord(j, list, words.at(j - 1));
            // Words of a longer earlier list would otherwise still follow the new ones.
            for (int j = int(words.size()) + 1; !m_d.pickListTable.word(j, list).isEmpty(); ++j)
                m_d.pickListTable.setWord(j, list, QString());
            counts[kFirstCountSlot + c] = QString::number(words.size());
            if (progress) progress(list, int(words.size()));
        }
        // The five lists and their counts are one change: all of them are
        // written, or none (the user is told why).
        const SettingsSlots before = m_d.sharedSettings;
        for (const auto &[slot, count] : counts) m_d.sharedSettings.set(slot, count);
        saved = m_d.savePickLists();
        if (!saved) m_d.sharedSettings = before;
    }
    if (!saved) return Result::Failed;
    messages.tell(QStringLiteral("登録確認"),
                  QStringLiteral(" 在庫品項目Excel　インポートを。") + QLatin1Char('\r') + QStringLiteral(" 完了しました。"));
    return Result::Completed;
}

} // namespace kpv::import
