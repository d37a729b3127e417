#include "import/word_list_import.h"

#include "excel/import_book.h"
#include "excel/import_books.h"
#include "import/word_list_book.h"
#include "storage/codepage.h"
#include "storage/dolvb.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/text.h"

#include <QFile>

#include <memory>
#include <optional>
#include <vector>

namespace kpv::import {

using namespace word_book;

namespace {

const QString kMessageTitle = QStringLiteral("登録確認");

// The name of a list as the user knows it: its label, and the book's column.
QString listName(const Dolvb &d, int list)
{
    static const char16_t *fallback[] = {u"品名", u"仕様", u"メーカー", u"保管場所", u"単位"};
    const int slotNo = list == 6 ? slot::shared::kUnitLabel : slot::shared::kFirstItemLabel + list - 1;
    QString label = cleanText(d.sharedSettings.value(slotNo));
    if (label.isEmpty()) label = QString::fromUtf16(fallback[list - kFirstList]);
    return QStringLiteral("%1（%2列）").arg(label, columnLetters(kFirstCol + list - kFirstList));
}

struct Entry {
    QByteArray id, word;
};

// The entries of a list file as it is now (to its first empty word).
std::vector<Entry> entriesOf(const QByteArray &bytes)
{
    std::vector<Entry> entries;
    QuotedByteReader reader(bytes);
    QByteArrayView id, word;
    while (int(entries.size()) < PickLists::kMaxEntries && reader.readField(id) && reader.readField(word)) {
        if (word.isEmpty()) break;
        entries.push_back({id.toByteArray(), word.toByteArray()});
    }
    return entries;
}

bool holdsWords(const QString &path)
{
    QByteArray bytes;
    return readWholeFile(path, bytes) && !entriesOf(bytes).empty();
}

} // namespace

bool WordListImport::writeList(int list, const QStringList &words)
{
    const QString path = m_d.pickListPath(list);
    const auto cannotWrite = [&] {
        m_d.messages().tell(kMessageTitle, path + QLatin1Char('\r') + QStringLiteral("　項目リストファイルに書き込めません。"));
        return false;
    };
    const bool existed = QFile::exists(path);
    QByteArray before;
    if (existed && !readWholeFile(path, before)) return cannotWrite();
    const std::vector<Entry> entries = entriesOf(before);
    QuotedLineWriter w;
    for (int j = 1; j <= words.size(); ++j) {
        const QByteArray id = j <= int(entries.size()) ? entries[size_t(j - 1)].id : QByteArray();
        if (id.isEmpty())
            w.optional(QString());
        else
            w.quotedBytes(id);
        w.quoted(words.at(j - 1)).endLine();
    }
    if (w.refused()) { // checked with the book; never expected here
        m_d.messages().tell(kMessageTitle, *w.problem());
        return false;
    }
    if (!replaceFile(path, w.bytes())) return cannotWrite();
    if (!m_d.changeSharedSettings({{slot::shared::pickListCount(list), QString::number(words.size())}})) {
        // The count stays as it was: so does the list.
        if (existed)
            replaceFile(path, before);
        else
            QFile::remove(path);
        return false;
    }
    // The memory table takes the list as written.
    for (int j = 1; j <= PickLists::kMaxEntries; ++j) {
        const bool written = j <= words.size();
        m_d.pickListTable.setWord(j, list, written ? words.at(j - 1) : QString());
        m_d.pickListTable.setId(j, list, written && j <= int(entries.size()) ? cp932::decodeAll(entries[size_t(j - 1)].id)
                                                                           : QString());
    }
    return true;
}

WordListImport::Result WordListImport::run(const QString &folder, const Progress &progress)
{
    m_imported.clear();
    Messages &messages = m_d.messages();
    const QString path = folder + wordListBookName();
    std::optional<WordListContent> content;
    {
        BusyGuard busy(m_d.pointer());
        ImportBook book(m_office, messages);
        switch (book.open(path)) {
        case ImportBook::Opened::Yes:
            break;
        case ImportBook::Opened::Refused:
            return Result::Refused;
        case ImportBook::Opened::Failed:
            return Result::Failed;
        }
        auto read = readWordListBook(book.sheet(), book.merged());
        if (!read.ok()) {
            book.finish();
            book.report(read.failure());
            return Result::Failed;
        }
        content.emplace(std::move(read.value()));
    }
    if (!content->refusal.isEmpty()) {
        tellRefusal(messages, path, content->refusal);
        return Result::Refused;
    }
    if (!content->check.ok()) {
        content->check.tell(messages);
        return Result::Refused;
    }
    if (!m_d.dataFolderUsable()) {
        messages.tell(kMessageTitle, m_d.dataFolder + QLatin1Char('\r') + QStringLiteral("　データフォルダーが使えません。"));
        return Result::Failed;
    }

    // An empty column empties its list only when the user says so.
    QStringList emptied;
    for (int c = 0; c < kLists; ++c) {
        const int list = kFirstList + c;
        if (content->lists[size_t(c)].isEmpty()
            && (m_d.sharedSettings.number(slot::shared::pickListCount(list)) != 0 || holdsWords(m_d.pickListPath(list))))
            emptied << QStringLiteral("　") + listName(m_d, list);
    }
    if (!emptied.isEmpty()
        && !messages.ask(kMessageTitle, QStringLiteral("Excelの次の列が空のため、項目リストの語句がすべて消去されます。") + QLatin1Char('\r')
                                     + emptied.join(QLatin1Char('\r')) + QLatin1Char('\r')
                                     + QStringLiteral("消去してインポートしますか？")))
        return Result::Cancelled;

    BusyGuard busy(m_d.pointer());
    // Every list file's lock first: a list another client is changing stops
    // the import before anything is written.
    std::vector<std::unique_ptr<FileLock>> locks;
    for (int list = kFirstList; list < kFirstList + kLists; ++list) {
        locks.push_back(std::make_unique<FileLock>(m_d.pickListPath(list)));
        if (!locks.back()->locked()) {
            messages.tell(kMessageTitle, m_d.pickListPath(list) + QLatin1Char('\r')
                                      + QStringLiteral("　項目リストファイルを他のクライアントが使用中です。") + QLatin1Char('\r')
                                      + QStringLiteral("　しばらくしてからインポートしてください。何も取り込んでいません。"));
            return Result::Failed;
        }
    }
    QStringList done, counts;
    for (int c = 0; c < kLists; ++c) {
        const int list = kFirstList + c;
        const QStringList &words = content->lists[size_t(c)];
        if (!writeList(list, words)) break;
        m_imported << list;
        done << listName(m_d, list);
        counts << QStringLiteral("%1 %2語").arg(listName(m_d, list)).arg(words.size());
        if (progress) progress(list, int(words.size()));
    }
    if (m_imported.size() < kLists) {
        QStringList rest;
        for (int list = kFirstList; list < kFirstList + kLists; ++list)
            if (!m_imported.contains(list)) rest << listName(m_d, list);
        messages.tell(kMessageTitle, QStringLiteral("項目リストのインポートを途中で止めました。") + QLatin1Char('\r')
                                  + QStringLiteral("　取り込んだリスト：") + (done.isEmpty() ? QStringLiteral("なし") : done.join(QStringLiteral("、")))
                                  + QLatin1Char('\r') + QStringLiteral("　取り込んでいないリスト（元のまま）：")
                                  + rest.join(QStringLiteral("、")));
        return Result::Failed;
    }
    messages.tell(kMessageTitle, QStringLiteral(" 在庫品項目Excel　インポートを。") + QLatin1Char('\r') + QStringLiteral(" 完了しました。")
                              + QLatin1Char('\r') + QStringLiteral("　") + counts.join(QStringLiteral("、")));
    return Result::Completed;
}

} // namespace kpv::import
