#pragma once
// The change journal beside a ledger as the tests look at it: its lines as
// JSON objects, and the entries (head, item lines, mark) by id.

#include "storage/change_journal.h"
#include "storage/shared_io.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <vector>

namespace kpv::testing {

struct JournalEntryLines {
    QJsonObject head;
    std::vector<QJsonObject> items;
    QString mark; // "done", "failed" or empty
    // The change of a field of an item line (null object when none).
    QJsonObject change(size_t item, const QString &key) const
    {
        if (item >= items.size()) return {};
        for (const QJsonValue &v : items[item].value("ch").toArray())
            if (v.toObject().value("k").toString() == key) return v.toObject();
        return {};
    }
};

// Every line of a journal file; false (lines so far) at a line that is no
// JSON object.
inline bool journalLines(const QString &path, std::vector<QJsonObject> &lines)
{
    QByteArray bytes;
    if (io::readFile(path, bytes) != io::ReadStatus::Read) return false;
    for (const QByteArray &raw : bytes.split('\n')) {
        if (raw.isEmpty()) continue;
        QJsonParseError e{};
        const QJsonDocument d = QJsonDocument::fromJson(raw, &e);
        if (e.error != QJsonParseError::NoError || !d.isObject()) return false;
        lines.push_back(d.object());
    }
    return true;
}

// The entries of the journal beside the ledger, in the order written.
inline std::vector<JournalEntryLines> journalEntries(const QString &ledgerPath, bool *whole = nullptr)
{
    std::vector<QJsonObject> lines;
    const bool ok = journalLines(changes::journalPath(ledgerPath), lines);
    if (whole) *whole = ok;
    std::vector<JournalEntryLines> entries;
    for (const QJsonObject &o : lines) {
        const QString id = o.value("id").toString();
        if (o.contains("op")) {
            entries.push_back({o, {}, {}});
            continue;
        }
        for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
            if (e->head.value("id").toString() != id) continue;
            if (o.contains("done")) e->mark = QStringLiteral("done");
            else if (o.contains("failed")) e->mark = QStringLiteral("failed");
            else e->items.push_back(o);
            break;
        }
    }
    return entries;
}

} // namespace kpv::testing
