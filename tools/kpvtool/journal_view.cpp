#include "journal_view.h"

#include "storage/file_names.h"
#include "storage/ledger_file.h"
#include "storage/shared_io.h"
#include "storage/text.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

#include <cstring>
#include <map>

namespace kpv::tool {

namespace {

QString ledgerIn(const QString &dataFolder)
{
    return normalizeFolderPath(QDir::fromNativeSeparators(QDir(dataFolder).absolutePath())) + names::ledger();
}

void readLines(const QString &path, std::vector<JournalEntry> &entries, std::map<QString, size_t> &byId)
{
    QByteArray bytes;
    if (io::readFile(path, bytes) != io::ReadStatus::Read) return;
    for (const QByteArray &raw : bytes.split('\n')) {
        if (raw.trimmed().isEmpty()) continue;
        // A line cut short by a client that stopped while writing is no
        // JSON object: it is passed over.
        QJsonParseError error{};
        const QJsonObject o = QJsonDocument::fromJson(raw, &error).object();
        if (error.error != QJsonParseError::NoError || o.isEmpty()) continue;
        const QString id = o.value("id").toString();
        if (id.isEmpty()) continue;
        const auto found = byId.find(id);
        if (o.contains("op") && found == byId.end()) {
            JournalEntry e;
            e.id = id;
            e.time = o.value("t").toString();
            e.at = QDateTime::fromString(e.time, Qt::ISODateWithMs);
            e.pc = o.value("pc").toString();
            e.user = o.value("user").toString();
            e.op = o.value("op").toString();
            e.history = o.value("history").toString();
            const QJsonArray records = o.value("records").toArray();
            if (records.size() == 2) {
                e.recordsBefore = records.at(0).toInt();
                e.recordsAfter = records.at(1).toInt();
            }
            byId[id] = entries.size();
            entries.push_back(std::move(e));
            continue;
        }
        if (found == byId.end()) continue;
        JournalEntry &e = entries[found->second];
        if (o.contains("done")) {
            e.state = JournalEntry::State::Done;
        } else if (o.contains("failed")) {
            e.state = JournalEntry::State::GivenUp;
        } else if (o.contains("item")) {
            changes::ItemChange c;
            c.record = o.value("rec").toInt();
            c.was = o.value("was").toInt();
            c.item = o.value("item").toString();
            for (const QJsonValue &v : o.value("ch").toArray()) {
                const QJsonObject f = v.toObject();
                c.fields.push_back({f.value("k").toString(), f.value("f").toString(), f.value("b").toString(), f.value("a").toString()});
            }
            e.items.push_back(std::move(c));
        }
    }
}

// The item numbers a change of an item is known by: the one it holds, and
// the one it held when the change gave it another.
bool touches(const changes::ItemChange &c, const QString &item)
{
    if (c.item == item) return true;
    for (const changes::FieldChange &f : c.fields)
        if (f.key == QLatin1String("f0") && (f.before == item || f.after == item)) return true;
    return false;
}

QString stateText(JournalEntry::State s)
{
    switch (s) {
    case JournalEntry::State::Done: return QStringLiteral("完了");
    case JournalEntry::State::Unfinished: return QStringLiteral("未完了");
    case JournalEntry::State::GivenUp: return QStringLiteral("中止");
    }
    return QString();
}

QString shownTime(const JournalEntry &e)
{
    if (!e.at.isValid()) return e.time;
    return e.at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString recordText(const changes::ItemChange &c)
{
    if (c.record == 0) return QStringLiteral("%1→削除").arg(c.was);
    if (c.was == 0 || c.was == c.record) return QString::number(c.record);
    return QStringLiteral("%1→%2").arg(c.was).arg(c.record);
}

void row(FILE *out, const QStringList &cells)
{
    QStringList clean;
    for (QString c : cells) clean << c.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(out, "%s\n", clean.join(QLatin1Char('\t')).toUtf8().constData());
}

} // namespace

Journal readJournal(const QString &dataFolder)
{
    Journal j;
    if (!QFileInfo(dataFolder).isDir()) return j;
    j.readable = true;
    const QString ledger = ledgerIn(dataFolder);
    std::map<QString, size_t> byId;
    readLines(changes::olderJournalPath(ledger), j.entries, byId);
    readLines(changes::journalPath(ledger), j.entries, byId);
    return j;
}

QDateTime parseUserTime(const QString &text)
{
    const QString t = text.trimmed();
    QDateTime at = QDateTime::fromString(t, Qt::ISODateWithMs);
    if (at.isValid()) return at;
    for (const char *format : {"yyyy-MM-dd HH:mm:ss", "yyyy-MM-dd HH:mm", "yyyy/MM/dd HH:mm:ss", "yyyy/MM/dd HH:mm", "yyyy-MM-dd", "yyyy/MM/dd"}) {
        at = QDateTime::fromString(t, QString::fromLatin1(format));
        if (at.isValid()) return at;
    }
    return QDateTime();
}

void printJournal(const Journal &journal, const JournalFilter &filter, FILE *out)
{
    row(out, {QStringLiteral("日時"), QStringLiteral("端末"), QStringLiteral("利用者"), QStringLiteral("操作"), QStringLiteral("レコード"),
              QStringLiteral("品番"), QStringLiteral("項目"), QStringLiteral("変更前"), QStringLiteral("変更後"), QStringLiteral("状態")});
    for (const JournalEntry &e : journal.entries) {
        if (filter.since.isValid() && (!e.at.isValid() || e.at < filter.since)) continue;
        if (!filter.pc.isEmpty() && e.pc.compare(filter.pc, Qt::CaseInsensitive) != 0) continue;
        const QStringList who{shownTime(e), e.pc, e.user, e.op};
        const QString state = stateText(e.state);
        if (filter.item.isEmpty() && e.recordsBefore >= 0)
            row(out, who + QStringList{QStringLiteral("全体"), QString(), QStringLiteral("台帳全体"),
                                       QStringLiteral("%1件（写し %2）").arg(e.recordsBefore).arg(e.history),
                                       QStringLiteral("%1件").arg(e.recordsAfter), state});
        for (const changes::ItemChange &c : e.items) {
            if (!filter.item.isEmpty() && !touches(c, filter.item)) continue;
            const QStringList where = who + QStringList{recordText(c), c.item};
            if (c.fields.empty()) {
                row(out, where + QStringList{c.was == 0 ? QStringLiteral("（新しい品目）") : QStringLiteral("（変更なし）"), QString(), QString(), state});
                continue;
            }
            for (const changes::FieldChange &f : c.fields) row(out, where + QStringList{f.name, f.before, f.after, state});
        }
    }
}

int restoreItem(const QString &dataFolder, const QString &item, const QDateTime &at, bool confirmed, FILE *in, FILE *out, FILE *err)
{
    const auto fail = [&](const QString &text) {
        std::fprintf(err, "%s\n", text.toUtf8().constData());
        return 2;
    };
    const Journal journal = readJournal(dataFolder);
    if (!journal.readable) return fail(QStringLiteral("データフォルダー %1 を読めません。").arg(dataFolder));
    const QString ledgerPath = ledgerIn(dataFolder);

    // The record that holds the item number now (a deletion elsewhere may
    // have moved it).
    QByteArray ledger;
    if (io::readFile(ledgerPath, ledger, true) != io::ReadStatus::Read) return fail(QStringLiteral("台帳ファイル %1 を読めません。").arg(ledgerPath));
    std::vector<int> holding;
    const int count = LedgerFile::countRecords(ledger.size());
    for (int n = 1; n <= count; ++n) {
        const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
        if (decodeCleanField(ledger.constData() + offset, LedgerRecord::kFieldWidth) == item) holding.push_back(n);
    }
    if (holding.empty()) return fail(QStringLiteral("品番 %1 は今の台帳にありません。").arg(item));
    if (holding.size() > 1) return fail(QStringLiteral("品番 %1 が台帳に%2件あります。どれを戻すか決められません。").arg(item).arg(holding.size()));
    const int n = holding.front();
    const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
    const LedgerRecord current =
        LedgerRecord::fromBytes(ledger.constData() + offset, int(std::min<qint64>(LedgerRecord::kSize, ledger.size() - offset)));

    if (journal.entries.empty() || !journal.entries.front().at.isValid() || journal.entries.front().at > at)
        return fail(QStringLiteral("変更記録はその時点より後のものしかありません。%1 の時点の値はわかりません。")
                        .arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))));

    // From the values now back through every change that landed after the
    // time, newest first.
    std::map<QString, QString> then;
    QString tracked = item;
    QStringList notes;
    for (auto e = journal.entries.rbegin(); e != journal.entries.rend(); ++e) {
        if (!e->at.isValid() || e->at <= at) break;
        for (auto c = e->items.rbegin(); c != e->items.rend(); ++c) {
            if (!touches(*c, tracked)) continue;
            if (e->state != JournalEntry::State::Done) {
                if (e->state == JournalEntry::State::Unfinished)
                    notes << QStringLiteral("%1 %2 の%3は未完了のため戻していません。").arg(shownTime(*e), e->pc, e->op);
                continue;
            }
            if (c->was == 0)
                return fail(QStringLiteral("品番 %1 は %2 に%3で登録されたもので、その時点にはありません。").arg(tracked, shownTime(*e), e->op));
            if (c->record == 0) continue; // went away then, and was registered again since
            for (const changes::FieldChange &f : c->fields) {
                then[f.key] = f.before;
                if (f.key == QLatin1String("f0")) tracked = f.before;
            }
        }
    }
    LedgerRecord target = current;
    QStringList plan;
    const QString startMonth = changes::startMonthBeside(ledgerPath);
    for (const QString &key : changes::allKeys()) {
        const auto v = then.find(key);
        if (v == then.end() || changes::valueOf(current, key) == v->second) continue;
        if (!changes::setValue(target, key, v->second)) return fail(QStringLiteral("%1 の値「%2」を台帳に書けません。").arg(changes::fieldName(key, startMonth), v->second));
        plan << changes::fieldName(key, startMonth) + QLatin1Char('\t') + changes::valueOf(current, key) + QLatin1Char('\t') + v->second;
    }
    for (const QString &note : notes) std::fprintf(out, "%s\n", note.toUtf8().constData());
    if (plan.isEmpty()) {
        std::fprintf(out, "%s\n", QStringLiteral("品番 %1（レコード %2）は %3 の時点と同じ値です。戻すものはありません。")
                                      .arg(item).arg(n).arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))).toUtf8().constData());
        return 0;
    }
    std::fprintf(out, "%s\n", QStringLiteral("品番 %1（レコード %2）を %3 の時点の値に戻します。")
                                  .arg(item).arg(n).arg(at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))).toUtf8().constData());
    std::fprintf(out, "%s\n", QStringLiteral("項目\t現在\t戻す値").toUtf8().constData());
    for (const QString &line : plan) std::fprintf(out, "%s\n", line.toUtf8().constData());
    if (!confirmed) {
        std::fprintf(out, "%s", QStringLiteral("書き込みますか？ (y/N): ").toUtf8().constData());
        std::fflush(out);
        char answer[64] = {};
        const QString said = std::fgets(answer, sizeof answer, in) ? QString::fromUtf8(answer).trimmed() : QString();
        if (said.compare(QLatin1String("y"), Qt::CaseInsensitive) != 0 && said.compare(QLatin1String("yes"), Qt::CaseInsensitive) != 0
            && said != QStringLiteral("はい")) {
            std::fprintf(out, "\n%s\n", QStringLiteral("何も変更していません。").toUtf8().constData());
            return 1;
        }
    }
    // Written under the ledger lock as a journaled change, only while the
    // record still holds what was shown.
    const QByteArray shown = current.bytes();
    LedgerFile file(ledgerPath);
    const auto check = [&](const LedgerRecord &now, const FileIdentity &) {
        return now.field(0) == item && std::memcmp(now.data(), shown.constData(), LedgerRecord::kLineEndOffset) == 0;
    };
    switch (file.rewrite(n, target, check, changes::Op::Restore)) {
    case LedgerFile::RewriteResult::Rewritten:
        std::fprintf(out, "%s\n", QStringLiteral("完了しました。").toUtf8().constData());
        return 0;
    case LedgerFile::RewriteResult::Refused:
    case LedgerFile::RewriteResult::NoSuchRecord:
        return fail(QStringLiteral("品番 %1 のレコードが他の端末で変更されました。何も変更していません。もう一度実行してください。").arg(item));
    case LedgerFile::RewriteResult::Busy:
        return fail(QStringLiteral("台帳ファイルを他のクライアントが使用中です。何も変更していません。しばらくしてから実行してください。"));
    case LedgerFile::RewriteResult::ReadOnly:
        return fail(ledgerPath + QStringLiteral("　台帳ファイルは読み取り専用です。何も変更していません。"));
    case LedgerFile::RewriteResult::JournalFailed:
        return fail(changes::failureText(file.journalProblem()).replace(QLatin1Char('\r'), QLatin1Char(' ')));
    case LedgerFile::RewriteResult::Failed:
        break;
    }
    return fail(ledgerPath + QStringLiteral("　台帳ファイルに書き込めません。"));
}

} // namespace kpv::tool
