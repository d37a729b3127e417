#pragma once
// The item labels and the pick-list counts of the settings screen.
//
// Grid row r (0..5) names LedgerRecord field 0, 1, 2, 3, 4, 7: its label
// lives in SharedSettings slot 14 + r; rows 1..5 also carry the count of
// pick-list r + 1 in slot r + 2. Label and count edits stay in memory (and
// are remembered as this screen's own changes) until "登　録" writes exactly
// those slots; the upper bound of the counts and the start month are written
// at once. A label is stored cleaned (up to a NUL, spaces trimmed); a label
// the settings file cannot hold is refused with a message.

#include <QDate>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace kpv {
class Dolvb;
}

namespace kpv::settings {

class NamesCounts {
public:
    explicit NamesCounts(Dolvb &d) : m_d(d) {}

    static constexpr int kRows = 6;
    static int labelSlot(int row) { return 14 + row; }
    static int countSlot(int row) { return row + 2; } // rows 1..5
    static int listOfRow(int row) { return row + 1; }  // rows 1..5

    // "0", "10" … "10000".
    static QStringList boundChoices();
    // "1" … "N" (none for N < 1).
    static QStringList countChoices(int n);
    // January of last year to December of next year, "yyyy/MM".
    static QStringList startMonthChoices(const QDate &today);

    int bound() const;                 // N, slot 22
    QString label(int row) const;      // as stored
    QString count(int row) const;      // trimmed; "" for row 0

    // Enter in the label editor: stores and returns the cleaned label, or
    // nullopt when refused (the user was told).
    std::optional<QString> setLabel(int row, const QString &typed);
    // A click on the count column: false (and the message) for row 0.
    bool countEditable(int row);
    void setCount(int row, const QString &value);
    // Written at once.
    bool setBound(const QString &value);
    bool setStartMonth(const QString &value);

    // "登　録": writes the labels and counts changed here. Clears
    // ChangePending when written.
    bool registerChanges();
    // After SharedSettings was read again: the unregistered edits of this
    // screen are put back over what the file holds.
    void reapplyPending();
    bool hasPending() const { return !m_pending.empty(); }
    void forgetPending() { m_pending.clear(); }

    static QString explanation();

private:
    Dolvb &m_d;
    std::map<int, QString> m_pending;
};

} // namespace kpv::settings
