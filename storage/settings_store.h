#pragma once
// A settings store: 50 numbered text store (1..50), stored one quoted text
// line per slot in code page 932 with CR LF. A switch is on when its slot is
// exactly "1"; switches are written as "1" and "0".

#include <QString>
#include <array>

namespace kpv {

class SettingsSlots {
public:
    static constexpr int kSlots = 50;

    // Slots outside 1..50 read as empty and ignore writes.
    QString value(int slot) const;
    void set(int slot, const QString &text);
    bool isOn(int slot) const { return value(slot) == QLatin1String("1"); }
    void setSwitch(int slot, bool on) { set(slot, on ? QStringLiteral("1") : QStringLiteral("0")); }
    double number(int slot) const; // leading-number rule

    bool operator==(const SettingsSlots &) const = default;

private:
    std::array<QString, kSlots + 1> m_slots; // index 0 unused
};

// Reads the store of a settings file in order into store 1, 2, ...; reading
// stops at the end of the file, the store not reached keep their values.
// Returns the number of store read, or -1 when the file cannot be opened.
int readSettingsFile(const QString &path, SettingsSlots &store);

// Writes all 50 store (an empty slot as ""), replacing the file whole.
bool writeSettingsFile(const QString &path, const SettingsSlots &store);

} // namespace kpv
