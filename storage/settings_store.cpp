#include "storage/settings_store.h"

#include "storage/shared_change.h"

#include <QFile>

#include "storage/codepage.h"
#include "storage/files.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"
#include "storage/text.h"

namespace kpv {

QString SettingsSlots::value(int slot) const
{
    return slot >= 1 && slot <= kSlots ? m_slots[size_t(slot)] : QString();
}

void SettingsSlots::set(int slot, const QString &text)
{
    if (slot >= 1 && slot <= kSlots) m_slots[size_t(slot)] = text;
}

bool SettingsSlots::isOn(int slot) const
{
    return cleanText(value(slot)) == QLatin1String("1");
}

double SettingsSlots::number(int slot) const
{
    return leadingNumber(value(slot));
}

int readSettingsFile(const QString &path, SettingsSlots &store)
{
    QByteArray bytes;
    if (!readWholeFile(path, bytes)) return -1;
    return readSettingsBytes(bytes, store);
}

int readSettingsBytes(const QByteArray &bytes, SettingsSlots &store)
{
    QuotedLineReader reader(cp932::decodeAll(bytes));
    int read = 0;
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot) {
        QString v;
        if (!reader.readField(v)) break;
        store.set(slot, v);
        ++read;
    }
    return read;
}

bool settingsBytes(const SettingsSlots &store, QByteArray &out)
{
    QuotedLineWriter w;
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot) w.quoted(store.value(slot)).endLine();
    if (w.refused()) return false;
    out = w.bytes();
    return true;
}

bool writeSettingsFile(const QString &path, const SettingsSlots &store)
{
    QByteArray bytes;
    if (!settingsBytes(store, bytes)) return false;
    // Under the file's lock, as every change of it.
    SharedChange change("settings-save");
    if (change.lock({path}) != FileLock::State::Locked) return false;
    change.put(path, bytes);
    return change.commit() == SharedChange::Result::Committed;
}

std::optional<QString> settingsChangeProblem(const std::map<int, QString> &changes)
{
    for (const auto &[slot, value] : changes) {
        if (slot < 1 || slot > SettingsSlots::kSlots) return QStringLiteral("設定できない値です。");
        if (const auto p = quotedLineProblem(value)) return p;
    }
    return std::nullopt;
}

bool changedSettingsBytes(const QByteArray &current, const SettingsSlots &fallback, const std::map<int, QString> &changes,
                          QByteArray &out, QString *problem)
{
    QuotedByteReader reader(current);
    QuotedLineWriter w;
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot) {
        QByteArrayView field;
        const bool read = reader.readField(field);
        if (const auto it = changes.find(slot); it != changes.end()) {
            w.quoted(it->second);
        } else if (read) {
            int begin = 0;
            const int len = cp932::trimmedRange(field.data(), int(field.size()), begin);
            w.quotedBytes(field.sliced(begin, len));
        } else {
            w.quoted(fallback.value(slot));
        }
        w.endLine();
    }
    if (w.refused()) {
        if (problem) *problem = *w.problem();
        return false;
    }
    out = w.bytes();
    return true;
}

SettingsChange changeSettingsFile(const QString &path, const SettingsSlots &fallback, const std::map<int, QString> &changes,
                                  QString *problem, bool mustExist)
{
    if (const auto p = settingsChangeProblem(changes)) {
        if (problem) *problem = *p;
        return SettingsChange::Refused;
    }
    SharedChange change("settings");
    const FileLock::State state = change.lock({path});
    if (state == FileLock::State::Busy) return SettingsChange::Busy;
    if (state != FileLock::State::Locked) return SettingsChange::Failed;

    QByteArray bytes;
    switch (change.read(path, bytes)) {
    case io::ReadStatus::Read:
        break;
    case io::ReadStatus::Missing:
        // A file that was there and cannot be found now is not made anew
        // from this client's memory.
        if (mustExist) return SettingsChange::Failed;
        bytes.clear();
        break;
    case io::ReadStatus::Failed:
        return SettingsChange::Failed;
    }
    QByteArray next;
    if (!changedSettingsBytes(bytes, fallback, changes, next, problem)) return SettingsChange::Refused;
    change.put(path, next);
    switch (change.commit()) {
    case SharedChange::Result::Committed:
        return SettingsChange::Written;
    case SharedChange::Result::InUse:
    case SharedChange::Result::LockLost:
        return SettingsChange::Busy;
    case SharedChange::Result::Failed:
        break;
    }
    return SettingsChange::Failed;
}

} // namespace kpv
