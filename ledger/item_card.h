#pragma once
// The item card: one ledger record in full, with the computations that keep
// its derived values (totals, stock quantity, stock value, achievement
// rates) consistent after every entry.
//
// The card keeps its values in a record of its own, apart from the ledger's
// record buffer that list paging reads into, and the bytes of the record as
// it was read (to notice another client's change when it is registered). It
// also keeps what its two grids show: the computations change single cells
// the way the card shows them (a computed stock of 0 shows "0", a shown
// record leaves it empty), so the window copies this state and adds nothing.
//
// Entry helpers and the calculator store through storeField, storeMonthCell,
// storePlan and friends. Each such store is one entry: a shortage refused by
// the stock computation puts the card back to its values from just before
// that entry (never to the stored record, which would empty a new item's card
// and drop everything typed since it was opened).

#include "storage/list_format.h"
#include "storage/ledger_record.h"

#include <QString>
#include <QStringList>

#include <array>

namespace kpv {
class Dolvb;
}

namespace kpv::ledger {

enum class EditMode { New = 0, Correct = 1, Copy = 2 };

class ItemCard {
public:
    // Field grid columns 0..10 and the monthly grid (lines 0..2, columns 0..15).
    static constexpr int kFieldColumns = 11;
    static constexpr int kMonthColumns = 16;

    explicit ItemCard(Dolvb &d) : m_d(d) {}

    // ---- State the entry helpers and the calculator work with ------------
    int entryTarget = 14;   // code of the cell being edited
    int cardColumn = 0;     // field grid column last clicked
    int monthRow = 0;       // monthly grid line last clicked (1 receipts, 2 issues)
    int monthColumn = 0;    // monthly grid column last clicked (0 before any click)

    EditMode editMode = EditMode::New;
    int currentRecordNo = 0;
    QString modeLabel;      // "新 規", "訂 正" or "複 写"

    // Display mode and month headings (from the shared settings).
    void setLook(const QuantityMode &mode, const QStringList &monthHeadings);
    const QuantityMode &mode() const { return m_mode; }

    // ---- Values ----------------------------------------------------------
    const LedgerRecord &values() const { return m_values; }
    // The bytes of the record as it was read or last registered (empty for a
    // card that was never stored).
    const QByteArray &storedBytes() const { return m_storedBytes; }
    void setStoredBytes(const QByteArray &b) { m_storedBytes = b; }

    // Takes a record as the card's values and shows it.
    void load(const LedgerRecord &record);
    // An empty card (a new item).
    void blank();

    // One entry each. Text a field cannot hold is refused with a message and
    // changes nothing (false).
    bool storeField(int n, const QString &text);
    // A month cell (r = 1 receipts, 2 issues; m = 1..12): remembered as the
    // edited cell, stored, then the stock is recomputed. False when refused.
    bool storeMonthCell(int r, int m, const QString &text);
    // The planned quantity of a line (cell (r, 14)), then the rates.
    bool storePlan(int r, const QString &text);
    // Previous-year stock (field 8) or proper stock (field 9), then the stock.
    bool storeQuantity(int n, const QString &text);
    // Unit price (field 5), then the stock value.
    bool storeUnitPrice(const QString &text);

    // Marks the start of an entry made by other means (the card's values now
    // are what a refusal returns to).
    void beginEntry() { m_beforeEntry = m_values; }

    // The computations. recomputeStock returns false when it refused a
    // shortage (the user was told and the card went back).
    bool recomputeStock();
    void recomputeValue();
    void recomputeRates();

    // Edits of the card's own commands.
    void clearMonthCells();
    void clearMovements();
    void clearCard();
    // Keeps item number, names, price, unit, previous-year stock and spare
    // fields for a new item made from this one.
    void prepareCopy();

    // ---- What the card shows ---------------------------------------------
    const QString &itemNumberText() const { return m_itemNumber; }          // Label3
    QString recordNoText() const;                                           // Label23
    const QString &fieldCell(int col) const { return m_fieldCells[size_t(col)]; } // MSFlexGrid1 line 1
    StockShade stockShade() const { return m_stockShade; }
    const QString &monthCell(int line, int col) const { return m_monthCells[size_t(line)][size_t(col)]; } // MSFlexGrid2
    // Column headings of the monthly grid (line 0).
    const QString &monthHeading(int col) const { return m_monthCells[0][size_t(col)]; }

    // Shows the card's values (all cells).
    void show();

    // ---- For the entry tools, which store and show cell by cell -----------
    LedgerRecord &editValues() { return m_values; }
    void setFieldCell(int col, const QString &text)
    {
        if (col >= 0 && col < kFieldColumns) m_fieldCells[size_t(col)] = text;
    }
    void setMonthCell(int line, int col, const QString &text)
    {
        if (line >= 1 && line < 3 && col >= 0 && col < kMonthColumns) m_monthCells[size_t(line)][size_t(col)] = text;
    }
    void setItemNumberText(const QString &text) { m_itemNumber = text; }
    // The stock cell with the stored text of the stock quantity, unformatted.
    void showStoredStock() { m_fieldCells[9] = m_values.field(10); }

private:
    bool store(bool ok, const cp932::Refusal &refusal);
    void showMonthLine(int r);
    double sumCells(int r, int last) const;
    void refuseShortage(double stock, const QString &heading);
    bool refuseLongCell(const QString &text);

    Dolvb &m_d;
    QuantityMode m_mode;
    LedgerRecord m_values;
    LedgerRecord m_beforeEntry;
    QByteArray m_storedBytes;

    QString m_itemNumber;
    std::array<QString, kFieldColumns> m_fieldCells;
    StockShade m_stockShade = StockShade::Window;
    std::array<std::array<QString, kMonthColumns>, 3> m_monthCells;
};

} // namespace kpv::ledger
