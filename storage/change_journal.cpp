#include "storage/change_journal.h"

#include "storage/crash_point.h"
#include "storage/file_names.h"
#include "storage/ledger_file.h"
#include "storage/machine.h"
#include "storage/settings_store.h"
#include "storage/shared_io.h"
#include "storage/text.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <map>

#include <fcntl.h>
#include <unistd.h>

namespace kpv::changes {

namespace {

QString folderOf(const QString &ledgerPath)
{
    const qsizetype slash = ledgerPath.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QString() : ledgerPath.left(slash + 1);
}

QString now()
{
    const QDateTime t = QDateTime::currentDateTime();
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString newId()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("%1-%2-%3-%4")
        .arg(machineName())
        .arg(processId())
        .arg(QDateTime::currentMSecsSinceEpoch())
        .arg(++counter);
}

bool readOnlyError(int error)
{
    return error == EACCES || error == EROFS || error == EPERM;
}

const char *const kFieldNames[LedgerRecord::kFields] = {
    "品番", "品名", "仕様", "メーカー", "保管場所", "単価", "在庫金額", "単位", "前年在庫", "適正在庫", "在庫数量",
    "使用開始", "予備12", "項目13", "項目14", "予備15", "予備16", "予備17", "予備18", "予備19", "予備20",
};

// Key "f<n>" or "c<r>.<m>" into its parts; false when it is neither.
bool parseKey(const QString &key, bool &isCell, int &a, int &b)
{
    bool ok = false;
    if (key.startsWith(QLatin1Char('f'))) {
        a = key.mid(1).toInt(&ok);
        isCell = false;
        return ok && a >= 0 && a < LedgerRecord::kFields;
    }
    if (!key.startsWith(QLatin1Char('c'))) return false;
    const QStringList parts = key.mid(1).split(QLatin1Char('.'));
    if (parts.size() != 2) return false;
    bool ok2 = false;
    a = parts[0].toInt(&ok);
    b = parts[1].toInt(&ok2);
    isCell = true;
    return ok && ok2 && a >= 0 && a < LedgerRecord::kCellRows && b >= 0 && b < LedgerRecord::kCellSlots;
}

LedgerRecord recordAt(const QByteArray &ledger, int n)
{
    const qint64 offset = qint64(n - 1) * LedgerRecord::kSize;
    const qint64 left = std::max<qint64>(0, ledger.size() - offset);
    return LedgerRecord::fromBytes(ledger.constData() + offset, int(std::min<qint64>(left, LedgerRecord::kSize)));
}

bool sameBytes(const QByteArray &x, int n, const QByteArray &y, int m)
{
    return std::memcmp(recordAt(x, n).data(), recordAt(y, m).data(), LedgerRecord::kSize) == 0;
}

QJsonObject itemObject(const QString &id, const ItemChange &c)
{
    QJsonArray ch;
    for (const FieldChange &f : c.fields)
        ch.append(QJsonObject{{"k", f.key}, {"f", f.name}, {"b", f.before}, {"a", f.after}});
    return QJsonObject{{"id", id}, {"rec", c.record}, {"was", c.was}, {"item", c.item}, {"ch", ch}};
}

QByteArray line(const QJsonObject &o)
{
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

QString opName(Op op)
{
    switch (op) {
    case Op::New: return QStringLiteral("新規登録");
    case Op::Correction: return QStringLiteral("訂正");
    case Op::Copy: return QStringLiteral("複写登録");
    case Op::Sort: return QStringLiteral("並べ替え登録");
    case Op::Delete: return QStringLiteral("削除登録");
    case Op::Import: return QStringLiteral("台帳インポート");
    case Op::Monthly: return QStringLiteral("月報転記");
    case Op::Transfer: return QStringLiteral("データ転送");
    case Op::Restore: return QStringLiteral("復元");
    }
    return QString();
}

QString journalPath(const QString &ledgerPath)
{
    return folderOf(ledgerPath) + QStringLiteral("Ma在庫品.journal");
}

QString olderJournalPath(const QString &ledgerPath)
{
    return journalPath(ledgerPath) + QStringLiteral(".1");
}

QString historyFolder(const QString &ledgerPath)
{
    return folderOf(ledgerPath) + historyFolderName();
}

Limits &Limits::process()
{
    static Limits limits = [] {
        Limits l;
        bool ok = false;
        const qint64 max = qEnvironmentVariable("KPV_JOURNAL_MAX_BYTES").toLongLong(&ok);
        if (ok && max > 0) l.maxBytes = max;
        return l;
    }();
    return limits;
}

const QStringList &allKeys()
{
    static const QStringList keys = [] {
        QStringList k;
        for (int n = 0; n < LedgerRecord::kFields; ++n) k << QStringLiteral("f%1").arg(n);
        for (int m = 0; m < LedgerRecord::kCellSlots; ++m)
            for (int r = 0; r < LedgerRecord::kCellRows; ++r) k << QStringLiteral("c%1.%2").arg(r).arg(m);
        return k;
    }();
    return keys;
}

QString fieldName(const QString &key, const QString &startMonth)
{
    bool isCell = false;
    int a = 0, b = 0;
    if (!parseKey(key, isCell, a, b)) return key;
    if (!isCell) return QString::fromUtf8(kFieldNames[a]);
    const int row = a, slot = b;
    if (row == 0 || slot == 0) return QStringLiteral("セル(%1,%2)").arg(row).arg(slot);
    const QString kind = row == 1 ? QStringLiteral("入庫") : QStringLiteral("出庫");
    if (slot == 13) return kind + QStringLiteral("計");
    if (slot == 14) return kind + QStringLiteral("予定数量");
    if (slot == 15) return kind + QStringLiteral("達成率");
    // Month slot 1 is the management start month.
    bool okYear = false, okMonth = false;
    const int year = startMonth.left(4).toInt(&okYear);
    const int month = startMonth.mid(5, 2).toInt(&okMonth);
    if (startMonth.size() == 7 && okYear && okMonth && month >= 1 && month <= 12) {
        const int k = (month - 1) + (slot - 1);
        return kind + QStringLiteral(" %1/%2").arg(year + k / 12).arg(k % 12 + 1, 2, 10, QLatin1Char('0'));
    }
    return kind + QStringLiteral(" 第%1月").arg(slot);
}

QString valueOf(const LedgerRecord &record, const QString &key)
{
    bool isCell = false;
    int a = 0, b = 0;
    if (!parseKey(key, isCell, a, b)) return QString();
    return isCell ? record.cell(a, b) : record.field(a);
}

bool setValue(LedgerRecord &record, const QString &key, const QString &text)
{
    bool isCell = false;
    int a = 0, b = 0;
    if (!parseKey(key, isCell, a, b)) return false;
    return isCell ? record.setCell(a, b, text) : record.setField(a, text);
}

std::vector<FieldChange> fieldChanges(const LedgerRecord *before, const LedgerRecord *after, const QString &startMonth)
{
    std::vector<FieldChange> out;
    for (const QString &key : allKeys()) {
        const QString b = before ? valueOf(*before, key) : QString();
        const QString a = after ? valueOf(*after, key) : QString();
        if (a != b) out.push_back({key, fieldName(key, startMonth), b, a});
    }
    return out;
}

std::vector<ItemChange> ledgerChanges(const QByteArray &before, const QByteArray &after, const QString &startMonth)
{
    // A record kept as it was (a sort, the records an import leaves beyond
    // its own) pairs with its own copy first; the others of an item number
    // pair in order.
    const int nb = LedgerFile::countRecords(before.size());
    const int na = LedgerFile::countRecords(after.size());
    const auto itemOf = [](const QByteArray &ledger, int n) {
        return recordAt(ledger, n).field(0);
    };
    // The records of each item number before, in order.
    std::map<QString, std::vector<int>> beforeOf;
    for (int n = 1; n <= nb; ++n) beforeOf[itemOf(before, n)].push_back(n);
    std::vector<bool> paired(size_t(nb) + 1, false);
    std::vector<int> partner(size_t(na) + 1, 0);
    std::vector<QString> itemAfter(size_t(na) + 1);
    for (int n = 1; n <= na; ++n) {
        itemAfter[size_t(n)] = itemOf(after, n);
        const auto found = beforeOf.find(itemAfter[size_t(n)]);
        if (found == beforeOf.end()) continue;
        for (int was : found->second) {
            if (paired[size_t(was)] || !sameBytes(before, was, after, n)) continue;
            paired[size_t(was)] = true;
            partner[size_t(n)] = was;
            break;
        }
    }
    std::map<QString, size_t> used;
    std::vector<ItemChange> out;
    for (int n = 1; n <= na; ++n) {
        if (partner[size_t(n)] != 0) continue; // unchanged
        const QString &item = itemAfter[size_t(n)];
        const auto found = beforeOf.find(item);
        int was = 0;
        if (found != beforeOf.end()) {
            size_t &k = used[item];
            while (k < found->second.size() && paired[size_t(found->second[k])]) ++k;
            if (k < found->second.size()) was = found->second[k++];
        }
        if (was == 0) {
            // A new item: its values are what the ledger holds after.
            out.push_back({n, 0, item, {}});
            continue;
        }
        paired[size_t(was)] = true;
        const LedgerRecord b = recordAt(before, was), a = recordAt(after, n);
        std::vector<FieldChange> fields = fieldChanges(&b, &a, startMonth);
        if (!fields.empty()) out.push_back({n, was, item, std::move(fields)});
    }
    for (int n = 1; n <= nb; ++n) {
        if (paired[size_t(n)]) continue;
        const LedgerRecord b = recordAt(before, n);
        out.push_back({0, n, b.field(0), fieldChanges(&b, nullptr, startMonth)});
    }
    return out;
}

QString startMonthBeside(const QString &ledgerPath)
{
    SettingsSlots store;
    if (readSettingsFile(folderOf(ledgerPath) + names::sharedSettings(), store) < 9) return QString();
    return cleanText(store.value(9));
}

QString failureText(const QString &problem)
{
    return problem + QLatin1Char('\r') + QStringLiteral("　台帳は変更していません。");
}

// ---- Entry --------------------------------------------------------------------------

Entry::Entry(QString ledgerPath, Op op) : m_ledgerPath(std::move(ledgerPath)), m_op(op), m_id(newId()) {}

Entry::~Entry()
{
    if (m_fd >= 0) ::close(m_fd);
}

QString Entry::startMonth()
{
    if (!m_startKnown) {
        m_startMonth = startMonthBeside(m_ledgerPath);
        m_startKnown = true;
    }
    return m_startMonth;
}

Entry::Status Entry::beginRecord(int n, const LedgerRecord *before, const LedgerRecord &after)
{
    ItemChange c{n, before ? n : 0, after.field(0), fieldChanges(before, &after, startMonth())};
    if (c.item.isEmpty() && before) c.item = before->field(0);
    const QJsonObject head{{"id", m_id}, {"t", now()}, {"pc", machineName()}, {"user", userName()}, {"op", opName(m_op)}, {"n", 1}};
    return write(line(head), {c});
}

Entry::Status Entry::beginWhole(const QByteArray &before, const QByteArray &after)
{
    const QString folder = historyFolder(m_ledgerPath);
    const auto cannotCopy = [&](int error) {
        m_problem = folder + QLatin1Char('\r') + QStringLiteral("　台帳の写しを履歴フォルダーに作れません。");
        return readOnlyError(error) ? Status::ReadOnly : Status::Failed;
    };
    const int made = io::makeFolder(folder);
    if (made != 0 && made != EEXIST) return cannotCopy(made);
    // The copy, named by the time it was taken; a copy of the same
    // millisecond gets a number.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    QString name = stamp + QLatin1Char('_') + opName(m_op) + QStringLiteral(".dat");
    for (int k = 2; io::exists(folder + QLatin1Char('/') + name); ++k)
        name = stamp + QStringLiteral("-%1_").arg(k) + opName(m_op) + QStringLiteral(".dat");
    const QString copy = folder + QLatin1Char('/') + name;
    const QString fresh = io::besideName(copy, "new");
    errno = 0;
    if (!io::writeNewFile(fresh, io::identityOf(m_ledgerPath), [&](int fd) { return io::writeAll(fd, before.constData(), before.size()); }))
        return cannotCopy(errno);
    if (io::renameOver(fresh, copy) != io::Outcome::Done) {
        io::removeFile(fresh);
        return cannotCopy(errno);
    }
    io::syncFolderOf(copy);
    m_history = historyFolderName() + QLatin1Char('/') + name;
    // The last copies are kept; older ones go, and so do copies a client
    // stopped while writing them an hour ago or more.
    const QDir dir(folder);
    QStringList kept = dir.entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name);
    while (kept.size() > Limits::process().historyKept) io::removeFile(folder + QLatin1Char('/') + kept.takeFirst());
    for (const QFileInfo &left : dir.entryInfoList({QStringLiteral("*.new")}, QDir::Files))
        if (left.lastModified().secsTo(QDateTime::currentDateTime()) >= 3600) io::removeFile(left.absoluteFilePath());

    const std::vector<ItemChange> items = ledgerChanges(before, after, startMonth());
    const QJsonObject head{{"id", m_id},
                           {"t", now()},
                           {"pc", machineName()},
                           {"user", userName()},
                           {"op", opName(m_op)},
                           {"n", int(items.size())},
                           {"history", m_history},
                           {"records", QJsonArray{LedgerFile::countRecords(before.size()), LedgerFile::countRecords(after.size())}}};
    const Status written = write(line(head), items);
    if (written != Status::Written) {
        // No entry names it: the copy goes again.
        io::removeFile(copy);
        m_history.clear();
    }
    return written;
}

Entry::Status Entry::write(const QByteArray &head, const std::vector<ItemChange> &items)
{
    const QString path = journalPath(m_ledgerPath);
    m_problem = path + QLatin1Char('\r') + QStringLiteral("　変更記録ファイルに書き込めません。");
    QByteArray bytes = head;
    for (const ItemChange &c : items) bytes += line(itemObject(m_id, c));

    m_fd = io::openForWrite(path, O_RDWR | O_CREAT);
    if (m_fd < 0) return readOnlyError(errno) ? Status::ReadOnly : Status::Failed;
    qint64 size = io::freshSize(m_fd);
    if (size < 0) return Status::Failed;
    if (size > 0 && size + bytes.size() > Limits::process().maxBytes) {
        // The journal grows into a second file: the older one is kept once.
        ::close(m_fd);
        m_fd = -1;
        if (io::renameOver(path, olderJournalPath(m_ledgerPath)) != io::Outcome::Done) return Status::Failed;
        io::syncFolderOf(path);
        m_fd = io::openForWrite(path, O_RDWR | O_CREAT);
        if (m_fd < 0) return readOnlyError(errno) ? Status::ReadOnly : Status::Failed;
        size = io::freshSize(m_fd);
        if (size < 0) return Status::Failed;
    }
    if (size > 0) {
        // A line cut short by a client that stopped while writing is ended
        // first, so this entry starts a line of its own.
        char last = '\n';
        if (::pread(m_fd, &last, 1, off_t(size - 1)) != 1) return Status::Failed;
        if (last != '\n') bytes.prepend('\n');
    }
    if (!io::writeAt(m_fd, bytes.constData(), bytes.size(), size)) {
        (void)::ftruncate(m_fd, off_t(size));
        return Status::Failed;
    }
    if (!io::syncFile(m_fd)) return Status::Failed;
    m_open = true;
    m_problem.clear();
    crashPoint("journal.written");
    return Status::Written;
}

void Entry::mark(const char *what)
{
    if (!m_open || m_fd < 0) return;
    m_open = false;
    const QByteArray bytes = line(QJsonObject{{"id", m_id}, {QLatin1String(what), now()}});
    const qint64 size = io::freshSize(m_fd);
    if (size < 0) return;
    // Without its mark the entry reads as not finished, which is what the
    // tool says of it then.
    if (io::writeAt(m_fd, bytes.constData(), bytes.size(), size)) io::syncFile(m_fd);
}

void Entry::complete()
{
    mark("done");
}

void Entry::abandon()
{
    mark("failed");
}

} // namespace kpv::changes
