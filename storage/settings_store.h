#pragma once
// A settings store: 50 numbered text slots (1..50), stored one quoted text
// line per slot in code page 932 with CR LF. A switch is on when its slot is
// "1" after CleanText (a "1 " edited by hand is on); switches are written as
// "1" and "0".

#include <QByteArray>
#include <QString>

#include <array>
#include <map>
#include <optional>

namespace kpv {

class SettingsSlots {
public:
    static constexpr int kSlots = 50;

    // Slots outside 1..50 read as empty and ignore writes.
    QString value(int slot) const;
    void set(int slot, const QString &text);
    bool isOn(int slot) const;
    void setSwitch(int slot, bool on) { set(slot, on ? QStringLiteral("1") : QStringLiteral("0")); }
    double number(int slot) const; // leading-number rule

    bool operator==(const SettingsSlots &) const = default;

private:
    std::array<QString, kSlots + 1> m_slots; // index 0 unused
};

// Reads the slots of a settings file in order into slots 1, 2, ...; reading
// stops at the end of the file, the slots not reached keep their values.
// Returns the number of slots read, or -1 when the file cannot be opened.
int readSettingsFile(const QString &path, SettingsSlots &store);
// The same reading of a settings file's bytes; returns the slots read.
int readSettingsBytes(const QByteArray &bytes, SettingsSlots &store);
// The bytes of a settings file holding all 50 slots. False (out untouched)
// when a slot holds a value the file cannot hold.
bool settingsBytes(const SettingsSlots &store, QByteArray &out);

// Writes all 50 slots (an empty slot as ""), replacing the file whole.
// Nothing is written (false) when a slot holds a value the file cannot
// hold (see quotedLineProblem).
bool writeSettingsFile(const QString &path, const SettingsSlots &store);

// Changes some slots of a settings file shared with other clients: under
// the lock beside the file, the file is read again and written whole with
// exactly these slots replaced. The slots read from the file keep their
// bytes as read (cut at a NUL and trimmed of spaces, as every save does);
// slots the file does not reach (missing or short file) are taken from
// fallback. Nothing is written when a new value cannot be held (problem
// names the character) or the lock cannot be had.
// mustExist: the file was there before (this client read it), so a file not
// found now is a failure, never a new file.
// Busy also when another PC kept the file open past the retry bound.
enum class SettingsChange { Written, Refused, Busy, Failed };
SettingsChange changeSettingsFile(const QString &path, const SettingsSlots &fallback,
                                  const std::map<int, QString> &changes, QString *problem = nullptr, bool mustExist = false);

// The message naming the first change a settings file cannot hold.
std::optional<QString> settingsChangeProblem(const std::map<int, QString> &changes);
// The bytes of a settings file whose current bytes are `current` with the
// changes made (see changeSettingsFile). False (problem set) when refused.
bool changedSettingsBytes(const QByteArray &current, const SettingsSlots &fallback, const std::map<int, QString> &changes,
                          QByteArray &out, QString *problem = nullptr);

} // namespace kpv
