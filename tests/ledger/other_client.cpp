// Another client of the same data folder, run as a process of its own by the
// registering tests:
//   ledger_other_client delete <data folder> <list row>
//       opens the delete panel's session, deletes the row and registers it
//       (the ledger is replaced);
//   ledger_other_client change <data folder> <record> <field> <text>
//       registers a correction of one field of a record in place.
// Exit code 0 when it was registered; messages go to standard error.
#include "search/delete_session.h"
#include "storage/dolvb.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>

namespace {

class ErrorMessages : public kpv::Messages {
public:
    bool ask(const QString &, const QString &text) override
    {
        std::fprintf(stderr, "ask: %s\n", qPrintable(text));
        return true;
    }
    void tell(const QString &, const QString &text) override { std::fprintf(stderr, "tell: %s\n", qPrintable(text)); }
};

class NoPointer : public kpv::BusyPointer {
public:
    void setBusy(bool) override {}
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() < 4) return 2;
    ErrorMessages messages;
    NoPointer pointer;
    kpv::Dolvb d(messages, pointer);
    QString folder = a[2];
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    d.clientFolder = d.dataFolder = folder;
    d.machineName = QStringLiteral("OTHER-PC");
    if (a[1] == QLatin1String("delete")) {
        kpv::search::DeleteSession s(d);
        if (!s.open() || !s.deleteRow(a[3].toInt())) return 1;
        return s.registerDeletions() ? 0 : 1;
    }
    if (a[1] == QLatin1String("change") && a.size() == 6) {
        const int n = a[3].toInt();
        if (!d.openLedger() || !d.readRecord(n)) return 1;
        kpv::LedgerRecord rec = d.recordBuffer;
        rec.setField(a[4].toInt(), a[5]);
        return d.rewriteRecord(n, rec) ? 0 : 1;
    }
    return 2;
}
