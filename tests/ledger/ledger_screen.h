#pragma once
// The ledger screen's logic on the example ledger, opened on a fixed day: a
// correction card opened from a list line, and the ledger's bytes for checks.

#include "ledger/ledger_session.h"
#include "ledger_world.h"

#include <QFile>

namespace kpv::testing {

struct LedgerScreen {
    LedgerWorld w{QStringLiteral("ledger30")};
    ledger::LedgerSession s{w.d};
    LedgerScreen() { s.open(QDate(2026, 1, 5)); }
    void correct(int line)
    {
        s.setListCell(line, 2);
        s.openCorrectCard();
    }
    QByteArray ledgerBytes() const
    {
        QFile f(w.d.ledgerPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
};

} // namespace kpv::testing
