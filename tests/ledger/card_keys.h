#pragma once
// Values entered on a ledger session's card the way the screen enters them:
// a click on the cell starts the entry, then the calculator's value is
// confirmed or the text box's Enter is pressed. Everything goes through the
// session's entry router, the card's one way in, in the calls the screen
// makes (the calculator asks for its start value when it opens).

#include "ledger/ledger_session.h"

#include <QString>

namespace kpv::testing {

struct CardKeys {
    ledger::LedgerSession &s;

    // A number of the field grid: 4 unit price, 7 previous-year stock, 8
    // proper stock. True when the value was taken.
    bool field(int col, const QString &v)
    {
        s.entry().startFieldEntry(col);
        s.entry().calculatorStart();
        return s.entry().writeBack(v);
    }
    // A month (row 1 receipts, 2 issues; columns 1..12) or a plan (column 14).
    bool month(int row, int col, const QString &v)
    {
        s.entry().startMonthEntry(row, col);
        s.entry().calculatorStart();
        return s.entry().writeBack(v);
    }
    bool itemNumber(const QString &v)
    {
        s.entry().startItemNumberEntry();
        s.entry().calculatorStart();
        return s.entry().writeBack(v);
    }
    // A text field by its column (0 name, 1 specification, 2 maker, 3
    // location, 6 unit), typed and Enter pressed.
    bool text(int col, const QString &v)
    {
        s.entry().startFieldEntry(col);
        return s.entry().textEnter(v).has_value();
    }
    // Typed into the text box of a text column, without Enter.
    void typeText(int col, const QString &v)
    {
        s.entry().startFieldEntry(col);
        s.entry().setTypedText(v);
    }
};

} // namespace kpv::testing
