#include "import/word_list_import.h"

#include "excel/import_book.h"
#include "excel/import_books.h"
#include "import/word_list_book.h"
#include "storage/codepage.h"
#include "storage/dolvb.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/shared_change.h"
#include "storage/text.h"

#include <array>
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
    QStringList all;
    for (int list = kFirstList; list < kFirstList + kLists; ++list) all << listName(m_d, list);
    // Nothing was written: the user is told why, then that no list was imported.
    const auto notImported = [&](const QString &path, const QString &why) {
        messages.tell(kMessageTitle, path + QLatin1Char('\r') + why);
        messages.tell(kMessageTitle, QStringLiteral("項目リストのインポートを途中で止めました。") + QLatin1Char('\r')
                                  + QStringLiteral("　取り込んだリスト：なし") + QLatin1Char('\r')
                                  + QStringLiteral("　取り込んでいないリスト（元のまま）：") + all.join(QStringLiteral("、")));
        return Result::Failed;
    };
    // The five lists and their counts are one change (shared_change.h): every
    // lock first (a file another client is changing stops the import before
    // anything is written), then all of them are written, or none.
    QStringList paths;
    for (int list = kFirstList; list < kFirstList + kLists; ++list) paths << m_d.pickListPath(list);
    paths << m_d.sharedSettingsPath();
    SharedChange change("word-import");
    switch (change.lock(paths)) {
    case FileLock::State::Locked:
        break;
    case FileLock::State::Busy:
        messages.tell(kMessageTitle, change.busyPath() + QLatin1Char('\r')
                                  + (change.busyPath() == m_d.sharedSettingsPath() ? QStringLiteral("　設定ファイルを他のクライアントが使用中です。")
                                                                                   : QStringLiteral("　項目リストファイルを他のクライアントが使用中です。"))
                                  + QLatin1Char('\r') + QStringLiteral("　しばらくしてからインポートしてください。何も取り込んでいません。"));
        return Result::Failed;
    default:
        return notImported(change.busyPath(), QStringLiteral("　項目リストファイルに書き込めません。"));
    }
    // Entry j of each list takes word j and keeps the companion value the
    // file holds for entry j now.
    std::array<std::vector<Entry>, kLists> entries;
    std::map<int, QString> counts;
    for (int c = 0; c < kLists; ++c) {
        const int list = kFirstList + c;
        const QString listPath = m_d.pickListPath(list);
        const QStringList &words = content->lists[size_t(c)];
        QByteArray now;
        if (change.read(listPath, now) == io::ReadStatus::Failed) return notImported(listPath, QStringLiteral("　項目リストファイルを読み込めません。"));
        entries[size_t(c)] = entriesOf(now);
        QuotedLineWriter w;
        for (int j = 1; j <= words.size(); ++j) {
            const QByteArray id = j <= int(entries[size_t(c)].size()) ? entries[size_t(c)][size_t(j - 1)].id : QByteArray();
            if (id.isEmpty())
                w.optional(QString());
            else
                w.quotedBytes(id);
            w.quoted(words.at(j - 1)).endLine();
        }
        if (w.refused()) return notImported(listPath, QStringLiteral("　") + *w.problem()); // checked with the book; never expected here
        change.put(listPath, w.bytes());
        counts[slot::shared::pickListCount(list)] = QString::number(words.size());
        if (progress) progress(list, int(words.size()));
    }
    if (!m_d.putSharedSettings(change, counts))
        return notImported(m_d.sharedSettingsPath(), QStringLiteral("　設定ファイルに書き込めません。"));
    switch (change.commit()) {
    case SharedChange::Result::Committed:
        break;
    case SharedChange::Result::InUse:
        return notImported(m_d.dataFolder, QStringLiteral("　項目リストファイルが他のPCで使用中のため置き換えられません。"));
    case SharedChange::Result::LockLost:
    case SharedChange::Result::Failed:
        return notImported(m_d.dataFolder, QStringLiteral("　項目リストファイルに書き込めません。"));
    }
    m_d.sharedSettingsChanged(counts);
    // The memory table takes the lists as written.
    QStringList done;
    for (int c = 0; c < kLists; ++c) {
        const int list = kFirstList + c;
        const QStringList &words = content->lists[size_t(c)];
        const std::vector<Entry> &kept = entries[size_t(c)];
        for (int j = 1; j <= PickLists::kMaxEntries; ++j) {
            const bool written = j <= words.size();
            m_d.pickListTable.setWord(j, list, written ? words.at(j - 1) : QString());
            m_d.pickListTable.setId(j, list, written && j <= int(kept.size()) ? cp932::decodeAll(kept[size_t(j - 1)].id) : QString());
        }
        m_imported << list;
        done << QStringLiteral("%1 %2語").arg(listName(m_d, list)).arg(words.size());
    }
    messages.tell(kMessageTitle, QStringLiteral(" 在庫品項目Excel　インポートを。") + QLatin1Char('\r') + QStringLiteral(" 完了しました。")
                              + QLatin1Char('\r') + QStringLiteral("　") + done.join(QStringLiteral("、")));
    return Result::Completed;
}

} // namespace kpv::import
