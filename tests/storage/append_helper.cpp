// Changes a data folder like a second client would.
//   append_helper DATAFOLDER COUNT TAG     appends COUNT records; prints the numbers they got
//   append_helper --word DATAFOLDER LIST WORD   appends WORD to word list LIST ("はい" to the question)
//   append_helper --hold FILE                    takes the lock of FILE, prints "held" and keeps it until ended
#include "storage/dolvb.h"
#include "storage/file_lock.h"

#include <QCoreApplication>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
struct SilentMessages : kpv::Messages {
    bool ask(const QString &, const QString &) override { return true; }
    void tell(const QString &, const QString &text) override { std::fprintf(stderr, "%s\n", qPrintable(text)); }
};
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 3) return 2;
    SilentMessages messages;
    kpv::NoBusyPointer pointer;
    kpv::Dolvb db(messages, pointer);
    if (std::strcmp(argv[1], "--hold") == 0 && argc == 3) {
        kpv::FileLock lock(QString::fromLocal8Bit(argv[2]), 0);
        if (!lock.locked()) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        for (;;) ::pause();
    }
    if (argc != 4 && argc != 5) return 2;
    if (std::strcmp(argv[1], "--word") == 0) {
        db.clientFolder = db.dataFolder = QString::fromLocal8Bit(argv[2]);
        db.clientSettings.set(1, db.dataFolder);
        if (!db.loadSharedSettings()) return 1;
        db.loadPickLists();
        db.currentList = atoi(argv[3]);
        return db.appendPickListWord(QString::fromLocal8Bit(argv[4])) ? 0 : 1;
    }
    db.dataFolder = QString::fromLocal8Bit(argv[1]);
    const int count = atoi(argv[2]);
    for (int i = 1; i <= count; ++i) {
        if (!db.openLedger()) return 1;
        db.recordBuffer.clear();
        const QString id = QString::fromLatin1(argv[3]) + QString::number(i);
        db.recordBuffer.setField(0, id);
        db.recordBuffer.setField(1, id);
        const int no = db.appendRecord(db.recordBuffer);
        db.closeLedger();
        if (no == 0) return 1;
        std::printf("%d\n", no);
    }
    return 0;
}
