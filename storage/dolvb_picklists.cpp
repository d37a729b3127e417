// Pick-list files of the process-wide data.
#include "storage/dolvb.h"

#include "storage/codepage.h"
#include "storage/file_names.h"
#include "storage/files.h"
#include "storage/quoted_lines.h"
#include "storage/text.h"

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
    pickListOpenFailed = false;
    pickListTable.clear();
    for (int n = kFirstList; n <= kLastList && !pickListOpenFailed; ++n) {
        QByteArray bytes;
        if (!readWholeFile(pickListPath(n), bytes)) {
            pickListOpenFailed = true;
            break;
        }
        if (sharedSettings.number(n + 1) != 0) readPickList(n, cp932::decodeAll(bytes));
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
    for (int n = kFirstList; n <= kLastList; ++n) {
        const int count = int(std::min<double>(sharedSettings.number(n + 1), PickLists::kMaxEntries));
        QuotedLineWriter w;
        for (int i = 1; i <= count; ++i) w.optional(pickListTable.id(i, n)).quoted(pickListTable.word(i, n)).endLine();
        if (!replaceFile(pickListPath(n), w.bytes())) {
            pickListOpenFailed = true;
            return false;
        }
    }
    return true;
}

bool Dolvb::appendPickListWord(const QString &entryText)
{
    const QString title = QStringLiteral("登録確認");
    if (!m_messages.ask(title, QStringLiteral("項目リストに ") + entryText + QStringLiteral(" を追加しますか？") + QLatin1Char('\r')
                                   + QStringLiteral("※リスト最下部に追加され")))
        return false;
    BusyGuard busy(m_pointer);
    // A word the list files cannot hold would be changed or split when read
    // back: refuse it instead.
    cp932::Refusal refusal;
    if (!cp932::canEncode(entryText, &refusal) || entryText.contains(u'"')) {
        const QString bad = refusal.position >= 0 ? refusal.character : QStringLiteral("\"");
        m_messages.tell(title, QStringLiteral("項目リストに使えない文字があります。") + QLatin1Char('\r') + QStringLiteral("　") + bad);
        return false;
    }
    for (int i = 1; i <= PickLists::kMaxEntries; ++i) {
        const QString stored = cleanText(pickListTable.word(i, currentList));
        if (stored == entryText) {
            m_messages.tell(title, QStringLiteral("項目リストに同じ語句があります。"));
            return false;
        }
        if (stored.isEmpty()) {
            pickListTable.setWord(i, currentList, entryText);
            sharedSettings.set(currentList + 1, QString::number(i));
            savePickLists();
            saveSharedSettings();
            return true;
        }
    }
    m_messages.tell(title, QStringLiteral("項目リストが一杯です。") + QLatin1Char('\r') + QStringLiteral("　") + QString::number(PickLists::kMaxEntries)
                               + QStringLiteral("語まで登録できます。"));
    return false;
}

} // namespace kpv
