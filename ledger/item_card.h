#pragma once
// The item card: one ledger record in full, with the computations that keep
// its derived values (totals, stock quantity, stock value, achievement
// rates) consistent after every entry.
//
// The card keeps its values in a record of its own, apart from the ledger's
// record buffer that list paging reads into, the bytes of the record as it
// was read and the ledger file they came from (to notice at registering that
// another client changed the item or reordered the ledger), and the values
// as they were last shown or registered (to ask before unregistered changes
// are discarded). It also keeps what its two grids show: the computations
// change single cells the way the card shows them (a computed stock of 0
// shows "0", a shown record leaves it empty), so the window copies this
// state and adds nothing.
//
// Values reach the card only through the entry router (entry_router.h),
// which checks them and calls beginEntry first: a shortage refused by the
// stock computation puts the card back to its values from just before that
// entry (never to the stored record, which would empty a new item's card and
// drop everything typed since it was opened). While such a refusal is told,
// the card shows the refused state (the painter paints it), then goes back.

#include "storage/file_identity.h"
#include "storage/ledger_record.h"
#include "storage/list_format.h"

#include <QString>
#include <QStringList>

#include <array>
#include <functional>

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

    EditMode editMode = EditMode::New;
    int currentRecordNo = 0;
    QString modeLabel;      // "新 規", "訂 正" or "複 写"

    // Display mode and month headings (from the shared settings).
    void setLook(const QuantityMode &mode, const QStringList &monthHeadings);
    const QuantityMode &mode() const { return m_mode; }

    // ---- Values ----------------------------------------------------------
    const LedgerRecord &values() const { return m_values; }
    // The bytes of the record as it was read or last registered (empty for a
    // card that was never stored), and the ledger file they belong to.
    const QByteArray &storedBytes() const { return m_storedBytes; }
    const FileIdentity &readFrom() const { return m_readFrom; }
    void setStored(const QByteArray &bytes, const FileIdentity &file)
    {
        m_storedBytes = bytes;
        m_readFrom = file;
    }

    // Takes a record as the card's values and shows it.
    void load(const LedgerRecord &record);
    // An empty card (a new item).
    void blank();

    // True when the card holds a change made since it was shown, prepared
    // as a copy, or registered.
    bool changed() const { return m_values != m_shown; }
    // The values now are the registered ones.
    void markRegistered() { m_shown = m_values; }

    // Marks the start of an entry (the card's values now are what a refusal
    // returns to).
    void beginEntry() { m_beforeEntry = m_values; }

    // The computations. monthColumn: the month the running stock is checked
    // up to (1..12; 0 the year end only). recomputeStock returns false when
    // it refused (a shortage, or a total its cell cannot hold): the user was
    // told and the card went back to its values from before the entry.
    bool recomputeStock(int monthColumn);
    void recomputeValue();
    void recomputeRates();

    // Edits of the card's own commands. Clearing the movements and preparing
    // a copy compute the stock and its value again from what is left.
    void clearMonthCells();
    void clearMovements();
    void clearCard();
    // Keeps item number, names, price, unit, previous-year stock and spare
    // fields for a new item made from this one.
    void prepareCopy();

    // Paints the card as it stands (the window sets it); called while a
    // refusal's message is up.
    void setPainter(std::function<void()> paint) { m_paint = std::move(paint); }

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

    // ---- For the entry router, which stores and shows cell by cell ---------
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
    void showMonthLine(int r);
    double sumCells(int r, int last) const;
    void refuse(const QString &message);
    void refuseShortage(double stock, const QString &heading);
    bool refuseLongTotal(double total);
    void storeStock(double stock);

    Dolvb &m_d;
    QuantityMode m_mode;
    LedgerRecord m_values;
    LedgerRecord m_beforeEntry;
    LedgerRecord m_shown;
    QByteArray m_storedBytes;
    FileIdentity m_readFrom;
    std::function<void()> m_paint;

    QString m_itemNumber;
    std::array<QString, kFieldColumns> m_fieldCells;
    StockShade m_stockShade = StockShade::Window;
    std::array<std::array<QString, kMonthColumns>, 3> m_monthCells;
};

} // namespace kpv::ledger
