#pragma once
// How ledger values are shown on the list, on the item card and in the
// workbooks made from the ledger: the number patterns of the two quantity
// modes, the achievement rate, the stock shade of an item and the month
// headings from the start month. (The names keep the ledger's namespace:
// the rules are the ledger screen's, kept here so that the workbooks stand
// on them too.)
//
// Integer mode formats with patterns that print nothing for 0; decimal mode
// ("1" in the decimal-quantities switch) shows one decimal and leaves 0
// empty as well, never ".0". The shade is a colour role only; the window
// turns it into colours.

#include <QString>
#include <QStringList>

namespace kpv::ledger {

enum class StockShade {
    Window,    // the grid's own colour
    Pink,      // no stock, or a shortage below -1
    LightBlue, // below the proper stock
};

struct QuantityMode {
    bool decimal = false;

    // Previous-year, proper and stock quantities on the list.
    QString listStock(double v) const;
    // Months, totals and planned quantities (list and card).
    QString movement(double v) const;
    // Quantities on the card (previous-year, proper, stock).
    QString cardStock(double v) const { return movement(v); }
    // Unit price and stock value on the card.
    QString cardMoney(double v) const;
    // A stock quantity computed on the card (shown also when negative).
    QString computedStock(double v) const;
    // The stock value right after it was computed: "0" below 1.
    QString computedValue(double v) const;
};

// Unit price and stock value on the list ("###,###,###").
QString listMoney(double v);
// The achievement rate as stored in cell (r, 15): the integer part of
// 1000 x total / planned; empty when either is 0; a rate wider than the
// 7-byte cell is held at the widest that fits (9999999, or -999999 below 0).
// The card, the ledger import and the monthly import all store this.
QString storedRate(double total, double planned);
// The rate cell as shown: the stored value / 10 with one decimal, empty
// when the cell is empty or 0.
QString rateText(const QString &cleanCell);

// The shade of a stock quantity (cleaned field text) against the proper
// stock: empty -> window; 0 -> pink; below -1 -> pink; below the proper
// stock -> light blue; otherwise window.
StockShade stockShade(const QString &cleanStock, double properStock);

// The twelve month headings from a start year-month such as "2024/04":
// "2024/04月", "2024/05月", ... rolling over to the next year after 12.
QStringList monthHeadings(const QString &startMonth);

} // namespace kpv::ledger
