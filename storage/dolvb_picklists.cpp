// Pick-list files of the process-wide data.
#include "storage/dolvb.h"

#include "storage/codepage.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"
#include "storage/shared_change.h"
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
        settlePendingChange(pickListPath(n));
        if (!readWholeFile(pickListPath(n), bytes)) {
            pickListOpenFailed = true;
            break;
        }
        m_knownFiles.insert(pickListPath(n));
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
    return saveLists({2, 3, 4, 5, 6}, "lists-save");
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
    return saveLists({list}, "list-save");
}

void Dolvb::tellListsNotSaved(const QString &path, SharedFilesProblem problem, const LockHolder &holder)
{
    const QString title = QStringLiteral("登録確認");
    switch (problem) {
    case SharedFilesProblem::Busy:
        m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　項目リストファイルを他のクライアント（%1）が使用中です。")
                                   .arg(holder.pc.isEmpty() ? QStringLiteral("不明") : holder.pc)
                                   + QLatin1Char('\r') + QStringLiteral("　しばらくしてから登録してください。"));
        return;
    case SharedFilesProblem::InUse:
        m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　項目リストファイルが他のPCで開かれています。")
                                   + QLatin1Char('\r') + QStringLiteral("　しばらくしてから登録してください。"));
        return;
    case SharedFilesProblem::CannotWrite:
        break;
    }
    m_messages.tell(title, path + QLatin1Char('\r') + QStringLiteral("　項目リストファイルに書き込めません。"));
}

bool Dolvb::saveLists(const std::vector<int> &lists, const char *operation)
{
    for (int list : lists)
        if (list < kFirstList || list > kLastList) return false;
    if (!dataFolderUsable()) return false;
    const QString title = QStringLiteral("登録確認");
    std::map<QString, QByteArray> files;
    std::map<int, QString> counts;
    for (int list : lists) {
        const int count = int(std::clamp<double>(sharedSettings.number(slot::shared::pickListCount(list)), 0, PickLists::kMaxEntries));
        const QuotedLineWriter w = listLines(pickListTable, list, count);
        if (w.refused()) {
            m_messages.tell(title, *w.problem());
            return false;
        }
        files[pickListPath(list)] = w.bytes();
        // The count goes into its slot in the same change, so the list and
        // its count never disagree.
        counts[slot::shared::pickListCount(list)] = QString::number(count);
    }
    const QString firstPath = pickListPath(lists.front());
    QStringList paths;
    for (const auto &kv : files) paths << kv.first;
    const QString settingsPath = sharedSettingsPath();
    paths << settingsPath;
    SharedChange change(operation);
    const auto fail = [&](SharedFilesProblem problem, const LockHolder &holder = {}) {
        pickListOpenFailed = true;
        tellListsNotSaved(firstPath, problem, holder);
        return false;
    };
    switch (change.lock(paths)) {
    case FileLock::State::Locked:
        break;
    case FileLock::State::Busy:
        return fail(SharedFilesProblem::Busy, change.busyHolder());
    default:
        return fail(SharedFilesProblem::CannotWrite);
    }
    if (!putSharedSettings(change, counts)) return fail(SharedFilesProblem::CannotWrite);
    for (auto &[path, bytes] : files) change.put(path, bytes);
    switch (change.commit()) {
    case SharedChange::Result::Committed:
        for (const QString &p : paths) m_knownFiles.insert(p);
        sharedSettingsChanged(counts);
        return true;
    case SharedChange::Result::InUse:
        return fail(SharedFilesProblem::InUse);
    case SharedChange::Result::LockLost:
        return fail(SharedFilesProblem::Busy);
    case SharedChange::Result::Failed:
        break;
    }
    return fail(SharedFilesProblem::CannotWrite);
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
    const QString settingsPath = sharedSettingsPath();
    const auto fail = [&](SharedFilesProblem problem, const LockHolder &holder = {}) {
        tellListsNotSaved(path, problem, holder);
        return false;
    };
    // Under the locks of the list and of SharedSettings: the list as it is
    // now in the file (another client may have appended since this screen
    // opened), the word, and the list file and its count slot written as
    // one change.
    SharedChange change("word-append");
    switch (change.lock({path, settingsPath})) {
    case FileLock::State::Locked:
        break;
    case FileLock::State::Busy:
        return fail(SharedFilesProblem::Busy, change.busyHolder());
    default:
        return fail(SharedFilesProblem::CannotWrite);
    }
    QByteArray bytes;
    // A file that was there and cannot be read now is not taken for an
    // empty one (that would rewrite the list as just the new word).
    const io::ReadStatus listRead = change.read(path, bytes);
    if (listRead == io::ReadStatus::Failed || (listRead == io::ReadStatus::Missing && knownFile(path))) return fail(SharedFilesProblem::CannotWrite);
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
    std::map<int, QString> count{{slot::shared::pickListCount(list), QString::number(entry)}};
    if (!putSharedSettings(change, count)) return fail(SharedFilesProblem::CannotWrite);
    change.put(path, w.bytes());
    switch (change.commit()) {
    case SharedChange::Result::Committed:
        break;
    case SharedChange::Result::InUse:
        return fail(SharedFilesProblem::InUse);
    case SharedChange::Result::LockLost:
        return fail(SharedFilesProblem::Busy);
    case SharedChange::Result::Failed:
        return fail(SharedFilesProblem::CannotWrite);
    }
    m_knownFiles.insert(path);
    sharedSettingsChanged(count);
    // The memory table takes the list as written, the count its slot.
    for (int i = 1; i <= PickLists::kMaxEntries; ++i) {
        if (i > entry && pickListTable.word(i, list).isEmpty() && pickListTable.id(i, list).isEmpty()) break;
        const bool inFile = i <= entry;
        pickListTable.setWord(i, list, inFile ? cp932::decodeAll(entries[size_t(i - 1)].word) : QString());
        pickListTable.setId(i, list, inFile ? cp932::decodeAll(entries[size_t(i - 1)].id) : QString());
    }
    return true;
}

} // namespace kpv
