#include "storage/settings_store.h"

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

bool writeSettingsFile(const QString &path, const SettingsSlots &store)
{
    QuotedLineWriter w;
    for (int slot = 1; slot <= SettingsSlots::kSlots; ++slot) w.quoted(store.value(slot)).endLine();
    if (w.refused()) return false;
    return replaceFile(path, w.bytes());
}

SettingsChange changeSettingsFile(const QString &path, const SettingsSlots &fallback, const std::map<int, QString> &changes,
                                  QString *problem)
{
    for (const auto &[slot, value] : changes) {
        if (slot < 1 || slot > SettingsSlots::kSlots) return SettingsChange::Refused;
        if (const auto p = quotedLineProblem(value)) {
            if (problem) *problem = *p;
            return SettingsChange::Refused;
        }
    }
    FileLock lock(path);
    if (lock.state() == FileLock::State::Busy) return SettingsChange::Busy;
    if (!lock.locked()) return SettingsChange::Failed;

    QByteArray bytes;
    const bool exists = QFile::exists(path);
    if (exists && !readWholeFile(path, bytes)) return SettingsChange::Failed;
    QuotedByteReader reader(bytes);
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
        return SettingsChange::Refused;
    }
    return replaceFile(path, w.bytes()) ? SettingsChange::Written : SettingsChange::Failed;
}

} // namespace kpv
