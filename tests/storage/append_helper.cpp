// Appends records to the ledger of a data folder like a second client would:
// append_helper DATAFOLDER COUNT TAG. Prints the record numbers it got.
#include "storage/dolvb.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
struct SilentMessages : kpv::Messages {
    bool ask(const QString &, const QString &) override { return false; }
    void tell(const QString &, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 4) return 2;
    SilentMessages messages;
    kpv::NoBusyPointer pointer;
    kpv::Dolvb db(messages, pointer);
    db.dataFolder = QString::fromLocal8Bit(argv[1]);
    const int count = atoi(argv[2]);
    for (int i = 1; i <= count; ++i) {
        if (!db.openLedger()) return 1;
        db.recordBuffer.clear();
        const QString id = QString::fromLatin1(argv[3]) + QString::number(i);
        db.recordBuffer.setField(0, id);
        db.recordBuffer.setField(1, id);
        const int no = db.writeRecord(db.recordCount + 1);
        db.closeLedger();
        if (no == 0) return 1;
        std::printf("%d\n", no);
    }
    return 0;
}
