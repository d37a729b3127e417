#pragma once
// The entry tools of the item card: what a click on a card cell starts, the
// text box's Enter, the word list (show, pick, append), the start-of-use
// choice and the calculator's start value and write-back.
//
// Everything here works on the card through CardSink and on the process-wide
// data (entry target, current list, change flag, word lists, index) through
// Dolvb; the screens only show what the results say. Values go into the
// card's record at once; the ledger changes only when the card is registered.
//
// Policy for stored text: a text code page 932 cannot hold is refused with a
// message naming the character and nothing is stored; a text longer than its
// field (28 bytes) is cut on whole characters, and the card shows what was
// stored. A number longer than a month cell (7 bytes) is refused whole, since
// cut it would read as another number.

#include "ledger/entry_card_sink.h"
#include "ledger/entry_state.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace kpv {
class Dolvb;
}

namespace kpv::ledger {

// What the screen does after a cell click.
enum class EntryStep {
    Nothing,     // only the panels are closed
    Text,        // show the text box with text, cursor and caption, and the word list
    Calculator,  // open the calculator
    StartOfUse,  // show the start-of-use chooser
    Refused,     // the cell takes no entry (the user was told)
};

struct EntryStart {
    EntryStep step = EntryStep::Nothing;
    QString caption;  // caption of the field edited (text entry)
    QString text;     // text box contents (text entry)
    int cursor = 0;   // cursor position in the text box
};

class EntryRouter {
public:
    EntryRouter(Dolvb &d, CardSink &card) : m_d(d), m_card(card) {}

    EntryState &state() { return m_state; }
    const EntryState &state() const { return m_state; }

    // A click on column col of the field grid / on a cell of the monthly
    // grid / on the item number.
    EntryStart startFieldEntry(int col);
    EntryStart startMonthEntry(int row, int col);
    EntryStart startItemNumberEntry();

    // Enter in the text box while the field grid's current column is a text
    // column: stores the text, moves the current column on (0 -> 1 -> 2 ->
    // 3 -> 0, 6 -> 0) and returns the text of the new current cell. Nothing
    // (no change) on other columns or when the text was refused.
    std::optional<QString> textEnter(const QString &text);

    // The word list of the current list.
    int wordCount() const;
    QStringList pickListEntries() const;
    // A click on an entry of the word list: stores the word its leading
    // number stands for into the edited field.
    void pickWord(const QString &entry);
    // "追記": appends the edited text to the current list. True when added.
    bool appendWord();

    void chooseStartOfUse(const QString &entry);
    void cancelStartOfUse();

    // The value the calculator starts with; moves the monthly grid's current
    // cell to the edited cell. The numbers start from their stored text, so
    // confirming an unchanged value never turns "1,234" into 1.
    QString calculatorStart();
    // Writes the calculator's value into the card and recomputes. False
    // (nothing stored, the user was told) when the value was refused.
    bool writeBack(const QString &readout);

    // Message texts that the screens show too.
    static QString notAnEntryCellText();
    static QString moveCardHelpText();
    static QString calculatorHelpText();
    static QString stockCellHelpText();

private:
    bool refused(const QString &text);
    bool storeField(int field, const QString &text);
    bool storeCell(int row, int slot, const QString &text);
    void showNumberField(int col, int field);
    void showMonthCell(int row, int slot);
    bool writeItemNumber(const QString &v);
    int recomputeColumn() const;

    Dolvb &m_d;
    CardSink &m_card;
    EntryState m_state;
};

} // namespace kpv::ledger
