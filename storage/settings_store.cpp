#include "storage/settings_store.h"

#include "storage/codepage.h"
#include "storage/files.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"

namespace kpv {

QString SettingsSlots::value(int slot) const
{
    return slot >= 1 && slot <= kSlots ? m_slots[size_t(slot)] : QString();
}

void SettingsSlots::set(int slot, const QString &text)
{
    if (slot >= 1 && slot <= kSlots) m_slots[size_t(slot)] = text;
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
    return replaceFile(path, w.bytes());
}

} // namespace kpv
