#pragma once
// A client with a data folder holding a ledger: a copy of the 30-item example
// ledger or a generated one, scripted message boxes, and direct access to the
// ledger file for checks and for "another client" writing behind the screen.

#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/ledger_file.h"
#include "temp_folder.h"

#include <QTemporaryDir>

namespace kpv::testing {

struct LedgerWorld {
    // An example ledger copied in (fixture name) or n generated items "I-1"...
    explicit LedgerWorld(const QString &fixture) : d(messages, pointer)
    {
        copyFixture(fixture, dir.path());
        d.clientFolder = d.dataFolder = withSlash(dir.path());
    }
    explicit LedgerWorld(int items) : d(messages, pointer)
    {
        d.clientFolder = d.dataFolder = withSlash(dir.path());
        LedgerFile f(d.ledgerPath());
        f.open();
        for (int i = 1; i <= items; ++i) {
            LedgerRecord r;
            r.setField(0, QStringLiteral("I-%1").arg(i));
            f.write(i, r);
        }
    }

    LedgerRecord stored(int n) const
    {
        LedgerFile f(d.ledgerPath());
        LedgerRecord r;
        f.open();
        f.read(n, r);
        return r;
    }
    int count() const
    {
        LedgerFile f(d.ledgerPath());
        f.open();
        return f.countRecords();
    }
    // Another client writes record n (or appends when n is 0).
    int otherWrites(LedgerRecord r, int n = 0) const
    {
        LedgerFile f(d.ledgerPath());
        f.open();
        if (n > 0) return f.write(n, r) ? n : 0;
        int written = 0;
        f.append(r, 50010, written);
        return written;
    }

    QTemporaryDir dir;
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb d;
};

} // namespace kpv::testing
