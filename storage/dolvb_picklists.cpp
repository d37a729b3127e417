// Pick-list files of the process-wide data.
#include "storage/dolvb.h"

#include "storage/codepage.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/text.h"

#include <QFile>

#include <algorithm>
#include <vector>

namespace kpv {

namespace {
constexpr int kFirstList = 2;
constexpr int kLastList = 6;
} // namespace

QString Dolvb::pickListPath(int list) const
{
    return dataFolder + names::pickListPrefix() + QString::number(list).rightJustified(2, u'0') + QStringLiteral(".dat");
}

void Dolvb::loadPickLists()
{
    pickListOpenFailed = !dataFolderUsable();
    pickListTable.clear();
    for (int n = kFirstList; n <= kLastList && !pickListOpenFailed; ++n) {
        QByteArray bytes;
        if (!readWholeFile(pickListPath(n), bytes)) {
            pickListOpenFailed = true;
            break;
        }
        if (sharedSettings.number(slot::shared::pickListCount(n)) != 0) readPickList(n, cp932::decodeAll(bytes));
    }
}

void Dolvb::readPickList(int list, const QString &fileText)
{
    // The count does not limit the reading: the list runs to its first empty
    // word or to the end of the file.
    QuotedLineReader reader(fileText);
    for (int i = 1; i <= PickLists::kMaxEntries; ++i) {
        QString id, word;
        if (!reader.readField(id) || !reader.readField(word)) break;
        pickListTable.setId(i, list, id);
        pickListTable.setWord(i, list, word);
        if (word.isEmpty()) break;
    }
}

bool Dolvb::savePickLists()
{
    for (int n = kFirstList; n <= kLastList; ++n)
        if (!savePickList(n)) return false;
    return true;
}

namespace {
// The bytes of entries 1..count of one list; refused() when a word or
// companion cannot be held by the file.
QuotedLineWriter listLines(const PickLists &table, int list, int count)
{
    QuotedLineWriter w;
    for (int i = 1; i <= count; ++i) w.optional(table.id(i, list)).quoted(table.word(i, list)).endLine();
    return w;
}
} // namespace

bool Dolvb::savePickList(int list)
{
    if (list < kFirstList || list > kLastList || !dataFolderUsable()) return false;
    const QString title = QStringLiteral("登録確認");
    const QString path = pickListPath(list);
    const int count = int(std::clamp<double>(sharedSettings.number(slot::shared::pickListCount(list)), 0, PickLists::kMaxEntries));
    const QuotedLineWriter w = listLines(pickListTable, list, count);
    if (w.refused()) {
        m_messages.tell(title, *w.problem());
        return false;
    }
    FileLock lock(path);
    if (!lock.locked() || !replaceFile(path, w.bytes())) {
        pickListOpenFailed = true;
        m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　項目リストファイルに書き込めません。"));
        return false;
    }
    return true;
}

bool Dolvb::appendPickListWord(const QString &entryText)
{
    // Only the five word lists have a file and a count slot; any other list
    // number would write into a switch slot of SharedSettings.
    const int list = currentList;
    if (list < kFirstList || list > kLastList || !dataFolderUsable()) return false;
    const QString title = QStringLiteral("登録確認");
    if (!m_messages.ask(title, QStringLiteral("項目リストに ") + entryText + QStringLiteral(" を追加しますか？") + QLatin1Char('\r')
                                   + QStringLiteral("※リスト最下部に追加され")))
        return false;
    BusyGuard busy(m_pointer);
    // A word the list files cannot hold would be changed or split when read
    // back: refuse it instead.
    if (const auto problem = quotedLineProblem(entryText)) {
        m_messages.tell(title, *problem);
        return false;
    }
    const QString path = pickListPath(list);
    const auto cannotSave = [&] {
        m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　項目リストファイルに書き込めません。"));
        return false;
    };
    // Under the list's lock: the list as it is now in the file (another
    // client may have appended since this screen opened), the word, the
    // list file and its count slot.
    FileLock lock(path);
    if (!lock.locked()) return cannotSave();
    QByteArray bytes;
    if (QFile::exists(path) && !readWholeFile(path, bytes)) return cannotSave();
    // The entries as read (to the first empty word); they are written back
    // with their bytes unchanged.
    struct Entry {
        QByteArray id, word;
    };
    std::vector<Entry> entries;
    {
        QuotedByteReader reader(bytes);
        QByteArrayView id, word;
        while (int(entries.size()) < PickLists::kMaxEntries && reader.readField(id) && reader.readField(word)) {
            entries.push_back({id.toByteArray(), word.toByteArray()});
            if (word.isEmpty()) break;
        }
    }
    int entry = 0;
    for (int i = 1; i <= PickLists::kMaxEntries && entry == 0; ++i) {
        const QString stored = i <= int(entries.size()) ? cleanText(cp932::decodeAll(entries[size_t(i - 1)].word)) : QString();
        if (stored == entryText) {
            m_messages.tell(title, QStringLiteral("項目リストに同じ語句があります。"));
            return false;
        }
        if (stored.isEmpty()) entry = i;
    }
    if (entry == 0) {
        m_messages.tell(title, QStringLiteral("項目リストが一杯です。") + QLatin1Char('\r') + QStringLiteral("　")
                                   + QString::number(PickLists::kMaxEntries) + QStringLiteral("語まで登録できます。"));
        return false;
    }
    QByteArray word;
    cp932::encode(entryText, word); // checked above
    if (int(entries.size()) < entry) entries.resize(size_t(entry));
    entries[size_t(entry - 1)].word = word;
    QuotedLineWriter w;
    for (int i = 0; i < entry; ++i) {
        const Entry &e = entries[size_t(i)];
        if (e.id.isEmpty()) {
            w.optional(QString());
        } else {
            w.quotedBytes(e.id);
        }
        w.quotedBytes(e.word).endLine();
    }
    if (!replaceFile(path, w.bytes())) return cannotSave();
    // The memory table takes the list as written.
    for (int i = 1; i <= PickLists::kMaxEntries; ++i) {
        if (i > entry && pickListTable.word(i, list).isEmpty() && pickListTable.id(i, list).isEmpty()) break;
        const bool inFile = i <= entry;
        pickListTable.setWord(i, list, inFile ? cp932::decodeAll(entries[size_t(i - 1)].word) : QString());
        pickListTable.setId(i, list, inFile ? cp932::decodeAll(entries[size_t(i - 1)].id) : QString());
    }
    return changeSharedSettings({{slot::shared::pickListCount(list), QString::number(entry)}});
}

} // namespace kpv
