#pragma once
// A client whose program folder holds the shipped blank template, a data
// folder with its workbook folders, scripted message boxes and the suite's
// shared office.

#include "excel/window_thread.h"
#include "excel/libreoffice.h"
#include "excel/create_from_template.h"
#include "excel/work_thread.h"
#include "import/ledger_book.h"
#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/ledger_file.h"
#include "storage/settings_store.h"
#include "temp_folder.h"
#include "tools/kpvtool/checks.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace kpv::testing {

// One item of a test ledger: fields 0..10 and the monthly cells of line 1
// (receipts) and line 2 (issues), as the ledger import leaves them.
struct Item {
    QString number, name;
    QString stock = QStringLiteral("5"), proper = QStringLiteral("5");
    QString price = QStringLiteral("100");
    QString previous;
    std::map<std::pair<int, int>, QString> cells; // (line, slot) -> text
};

inline LedgerRecord recordOf(const Item &it)
{
    LedgerRecord r;
    r.setField(0, it.number);
    r.setField(1, it.name);
    r.setField(2, QStringLiteral("仕様") + it.number);
    r.setField(3, QStringLiteral("メーカー"));
    r.setField(4, QStringLiteral("棚A"));
    r.setField(5, it.price);
    r.setField(6, QString::number(it.price.toDouble() * it.stock.toDouble()));
    r.setField(7, QStringLiteral("個"));
    r.setField(8, it.previous);
    r.setField(9, it.proper);
    r.setField(10, it.stock);
    for (int line = 1; line <= 2; ++line) {
        for (int m = 1; m <= 14; ++m) {
            auto c = it.cells.find({line, m});
            r.setCell(line, m, c == it.cells.end() ? QString() : c->second);
        }
        r.setCell(line, 15, import::achievementRate(r.cell(line, 13), r.cell(line, 14)));
    }
    return r;
}

// What workbook work reported as its steps and counts.
struct RecordingProgress : excel::Progress {
    QStringList steps;
    int done = 0, total = 0;
    bool stop = false;
    void step(const QString &what) override
    {
        if (steps.isEmpty() || steps.back() != what) steps << what;
    }
    void count(int d, int t) override
    {
        done = d;
        total = t;
    }
    bool cancelled() const override { return stop; }
};

struct WorkbookWorld {
    QTemporaryDir tmp;
    QString client, data;
    ScriptedMessages messages;
    // Workbook work runs on the office's thread: its messages reach the
    // script on the window thread, as in the program.
    excel::WindowThreadMessages windowMessages{messages};
    RecordingBusyPointer pointer;
    Dolvb d{windowMessages, pointer};
    std::unique_ptr<excel::LibreOffice> office;

    WorkbookWorld()
    {
        client = withSlash(tmp.path()) + QStringLiteral("client/");
        data = withSlash(tmp.path()) + QStringLiteral("data/");
        QDir().mkpath(client + names::templatesFolder());
        QDir().mkpath(data + names::ledgerBooksFolder());
        QDir().mkpath(data + names::materialsFolder());
        const QString app = withSlash(qEnvironmentVariable("KPV_APP_DIR"));
        QFile::copy(excel::ExcelTemplatePath(app), excel::ExcelTemplatePath(client));
        d.clientFolder = client;
        d.dataFolder = data;
        d.clientSettings.set(1, data);
        d.sharedSettings.set(9, QStringLiteral("2026/04"));
        writeSettingsFile(d.sharedSettingsPath(), d.sharedSettings);
        d.buildItemLabels();
        office = std::make_unique<excel::LibreOffice>();
    }

    void writeLedger(const std::vector<LedgerRecord> &records)
    {
        QByteArray bytes;
        bytes.reserve(qsizetype(records.size()) * LedgerRecord::kSize);
        for (LedgerRecord r : records) {
            r.setLineEnd();
            bytes.append(r.data(), LedgerRecord::kSize);
        }
        QFile f(d.ledgerPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes), bytes.size());
        f.close();
        d.openLedger();
    }
    LedgerRecord record(int n)
    {
        LedgerFile f(d.ledgerPath());
        LedgerRecord r;
        EXPECT_TRUE(f.open() && f.read(n, r));
        return r;
    }
};

// The ledger of a data folder as the administrator's tool prints it.
inline QByteArray dump(const QString &dataFolder)
{
    std::FILE *f = std::tmpfile();
    tool::dumpLedger(dataFolder, f);
    std::rewind(f);
    QByteArray out;
    char buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) out.append(buf, qsizetype(n));
    std::fclose(f);
    return out;
}

} // namespace kpv::testing
