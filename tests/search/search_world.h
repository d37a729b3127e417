#pragma once
// A data folder for the finding and ordering tests: a copy of the 30-item
// example ledger (or a generated one) and a Dolvb on it.

#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "scripted_messages.h"
#include "temp_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace kpv::testing {

struct SearchWorld {
    QTemporaryDir dir;
    QString folder;
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    std::unique_ptr<Dolvb> d;

    explicit SearchWorld(const QString &machine = QStringLiteral("PC-A"))
    {
        folder = withSlash(dir.path());
        const QDir src(QStringLiteral(KPV_TEST_DATA "/ledger30"));
        for (const QString &f : src.entryList(QDir::Files)) {
            QFile::copy(src.filePath(f), folder + f);
            QFile::setPermissions(folder + f, QFile::ReadOwner | QFile::WriteOwner);
        }
        d = makeClient(machine);
    }
    std::unique_ptr<Dolvb> makeClient(const QString &machine)
    {
        auto c = std::make_unique<Dolvb>(messages, pointer);
        c->clientFolder = c->dataFolder = folder;
        c->machineName = machine;
        return c;
    }
    QString ledgerPath() const { return folder + names::ledger(); }
    QByteArray ledgerBytes() const
    {
        QFile f(ledgerPath());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }
    // Replaces the ledger by records whose fields 0 and 1 are given.
    void writeLedger(const std::vector<std::pair<QString, QString>> &items)
    {
        QByteArray all;
        for (const auto &[number, name] : items) {
            LedgerRecord r;
            r.setField(0, number);
            r.setField(1, name);
            r.setLineEnd();
            all.append(r.data(), LedgerRecord::kSize);
        }
        QFile f(ledgerPath());
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(all);
    }
    // Field n of every record, in ledger order.
    QStringList column(int n)
    {
        QStringList out;
        const QByteArray b = ledgerBytes();
        for (qsizetype at = 0; at + LedgerRecord::kSize <= b.size(); at += LedgerRecord::kSize)
            out << LedgerRecord::fromBytes(b.constData() + at, LedgerRecord::kSize).field(n);
        return out;
    }
};

} // namespace kpv::testing
