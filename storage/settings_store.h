#pragma once
// A settings store: 50 numbered text slots (1..50), stored one quoted text
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

} // namespace kpv
