#pragma once
// The entry tools of the item card: what a click on a card cell starts, the
// text box's Enter, the word list (show, pick, append), the start-of-use
// choice and the calculator's start value and write-back. This is the one
// way values get into the card.
//
// Everything here works on the card through CardSink and on the process-wide
// data (entry target, current list, change flag, word lists, index) through
// Dolvb; the screens only show what the results say. Values go into the
// card's record at once; the ledger changes only when the card is registered.
//
// An entry belongs to the card and the cell it was started on. Each start
// (a click on a cell or on the item number) opens a new entry; endEntry()
// ends the open one, and the card's owner calls it before anything changes
// the card's item or closes it. A write-back for an entry that is over is
// refused, so a value is never written into another item.
//
// Text typed into the text box is taken as the user typed it: pressing Enter
// stores it, and so does applyTypedText() (registering, a click on another
// cell, "追記"), with the same checks. Policy for stored text: characters a
// Linux input method types in place of code page 932's own are taken as
// those (cp932::fromInputMethod); a text code page 932 cannot hold is refused
// with a message naming the character and nothing is stored; a text longer
// than its field (28 bytes) is cut on whole characters, the card shows what
// was stored, and the user is told. A number entry must be a number
// (numberEntry in storage/numbers.h) that its cell can hold; anything else
// is refused with a message naming the text, and nothing is stored. The item
// number must be usable in a file name (storage/item_number.h).

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
    Kept,        // text typed into the text box was refused: it stays open as it was
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

    // The entry open now; a new number at every start and at endEntry().
    int entry() const { return m_entry; }
    // Ends the open entry: nothing typed for it is written afterwards, and
    // the entry target is "nothing" again.
    void endEntry();

    // A click on column col of the field grid / on a cell of the monthly
    // grid / on the item number. Text typed into the text box is applied
    // first (step Kept, nothing else, when it is refused).
    EntryStart startFieldEntry(int col);
    EntryStart startMonthEntry(int row, int col);
    EntryStart startItemNumberEntry();

    // The text box's contents as the user edits them.
    void setTypedText(const QString &text);
    // Stores what was typed into the text box and not yet stored, into the
    // field the box is on, as Enter would (the box stays on that field).
    // True when nothing was pending or it was stored; false when refused.
    bool applyTypedText();
    bool hasTypedText() const { return m_typed.has_value(); }

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
    // "追記": appends the edited text to the current list (typed text is
    // stored first). True when added.
    bool appendWord();

    void chooseStartOfUse(const QString &entry);
    void cancelStartOfUse();

    // The value the calculator starts with; moves the monthly grid's current
    // cell to the edited cell. The numbers start from their stored text, so
    // confirming an unchanged value never changes it.
    QString calculatorStart();
    // Writes the calculator's value into the card and recomputes, for the
    // entry given (the open one when -1). False (nothing stored) when the
    // value was refused (the user was told) or the entry is over.
    bool writeBack(const QString &readout, int entry = -1);

    // Message texts that the screens show too.
    static QString notAnEntryCellText();
    static QString moveCardHelpText();
    static QString calculatorHelpText();
    static QString stockCellHelpText();

private:
    void startEntry();
    bool refused(const QString &text);
    bool storeText(int field, const QString &text);
    bool storeNumber(int field, int row, int slot, const QString &typed);
    void showNumberField(int col, int field);
    void showMonthCell(int row, int slot);
    bool writeItemNumber(const QString &v);
    bool storeTextColumn(int col, const QString &text);
    int recomputeColumn() const;
    bool decimal() const;

    Dolvb &m_d;
    CardSink &m_card;
    EntryState m_state;
    int m_entry = 0;
    bool m_textOpen = false;          // the text box is open on a text column
    std::optional<QString> m_typed;   // typed into it and not yet stored
};

} // namespace kpv::ledger
