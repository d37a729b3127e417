#include "checks.h"

#include "storage/codepage.h"
#include "storage/file_names.h"
#include "storage/settings_slots.h"
#include "storage/files.h"
#include "storage/ledger_file.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"
#include "storage/settings_store.h"
#include "storage/text.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace kpv::tool {

namespace {

QString folderOf(const QString &path)
{
    return normalizeFolderPath(QDir::fromNativeSeparators(path));
}

QJsonArray cleanedFields(const char *rec)
{
    QJsonArray fields;
    for (int f = 0; f < LedgerRecord::kFields; ++f)
        fields.append(decodeCleanField(rec + LedgerRecord::fieldOffset(f), LedgerRecord::kFieldWidth));
    return fields;
}

QJsonArray cleanedCells(const char *rec)
{
    QJsonArray rows;
    for (int r = 0; r < LedgerRecord::kCellRows; ++r) {
        QJsonArray row;
        for (int m = 0; m < LedgerRecord::kCellSlots; ++m)
            row.append(decodeCleanField(rec + LedgerRecord::cellOffset(r, m), LedgerRecord::kCellWidth));
        rows.append(row);
    }
    return rows;
}

bool readLedgerBytes(const QString &dataFolder, QByteArray &bytes)
{
    return readWholeFile(folderOf(dataFolder) + names::ledger(), bytes);
}

} // namespace

bool dumpLedger(const QString &dataFolder, std::FILE *out)
{
    QByteArray bytes;
    if (!readLedgerBytes(dataFolder, bytes)) return false;
    // Every record with at least one byte in the file, as the program counts
    // a trailing partial record only when it is more than half a record.
    const int count = LedgerFile::countRecords(bytes.size());
    bytes.append(QByteArray(qsizetype(count) * LedgerRecord::kSize - std::min<qsizetype>(bytes.size(), qsizetype(count) * LedgerRecord::kSize), '\0'));
    for (int n = 1; n <= count; ++n) {
        const char *rec = bytes.constData() + qsizetype(n - 1) * LedgerRecord::kSize;
        const QByteArray line = "{\"no\":" + QByteArray::number(n) + ",\"fields\":"
            + QJsonDocument(cleanedFields(rec)).toJson(QJsonDocument::Compact) + ",\"cells\":"
            + QJsonDocument(cleanedCells(rec)).toJson(QJsonDocument::Compact) + "}\n";
        std::fwrite(line.constData(), 1, size_t(line.size()), out);
    }
    return true;
}

bool dumpSettings(const QString &path, std::FILE *out)
{
    SettingsSlots store;
    if (readSettingsFile(path, store) < 0) return false;
    QJsonArray a;
    for (int s = 1; s <= SettingsSlots::kSlots; ++s) a.append(cleanText(store.value(s)));
    const QByteArray json = QJsonDocument(a).toJson(QJsonDocument::Compact) + "\n";
    std::fwrite(json.constData(), 1, size_t(json.size()), out);
    return true;
}

CheckResult checkDataFolder(const QString &dataFolderIn)
{
    CheckResult result;
    const QString folder = folderOf(dataFolderIn);
    if (!QFileInfo(folder).isDir() || !QFileInfo(folder).isReadable()) {
        result.readable = false;
        return result;
    }
    QByteArray bytes;
    const QString ledgerPath = folder + names::ledger();
    if (QFileInfo::exists(ledgerPath) && !readWholeFile(ledgerPath, bytes)) {
        result.readable = false;
        return result;
    }
    auto add = [&](const QString &s) { result.findings << s; };

    const qint64 whole = bytes.size() / LedgerRecord::kSize;
    const qint64 tail = bytes.size() % LedgerRecord::kSize;
    if (tail != 0)
        add(QStringLiteral("ledger: trailing partial record of %1 bytes after record %2 (counted as %3 records)")
                .arg(tail).arg(whole).arg(LedgerFile::countRecords(bytes.size())));
    for (qint64 i = 0; i < whole; ++i) {
        const int n = int(i + 1);
        const char *rec = bytes.constData() + i * LedgerRecord::kSize;
        if (rec[LedgerRecord::kLineEndOffset] != '\r' || rec[LedgerRecord::kLineEndOffset + 1] != '\n')
            add(QStringLiteral("record %1: line end is not CR LF").arg(n));
        for (int f = 0; f < LedgerRecord::kFields; ++f)
            if (!cp932::isValid(rec + LedgerRecord::fieldOffset(f), LedgerRecord::kFieldWidth))
                add(QStringLiteral("record %1: field %2 does not decode").arg(n).arg(f));
        for (int m = 0; m < LedgerRecord::kCellSlots; ++m)
            for (int r = 0; r < LedgerRecord::kCellRows; ++r)
                if (!cp932::isValid(rec + LedgerRecord::cellOffset(r, m), LedgerRecord::kCellWidth))
                    add(QStringLiteral("record %1: cell (%2, %3) does not decode").arg(n).arg(r).arg(m));
        auto num = [&](int off, int width) { return fieldNumberOf(rec + off, width); };
        const double previous = num(LedgerRecord::fieldOffset(8), LedgerRecord::kFieldWidth);
        const double stock = num(LedgerRecord::fieldOffset(10), LedgerRecord::kFieldWidth);
        double receipts = 0, issues = 0;
        for (int m = 1; m <= 12; ++m) {
            receipts += num(LedgerRecord::cellOffset(1, m), LedgerRecord::kCellWidth);
            issues += num(LedgerRecord::cellOffset(2, m), LedgerRecord::kCellWidth);
        }
        const double expected = previous + receipts - issues;
        if (std::fabs(expected - stock) > 1e-9 * std::max(1.0, std::fabs(expected)))
            add(QStringLiteral("record %1: stock %2 differs from previous stock + receipts - issues = %3")
                    .arg(n).arg(numberText(stock), numberText(expected)));
    }

    // Settings files: the shared one here, and the client one if this folder holds it.
    for (const QString &name : {names::sharedSettings(), names::clientSettings()}) {
        const QString path = folder + name;
        QByteArray s;
        if (!QFileInfo::exists(path)) {
            if (name == names::sharedSettings()) add(QStringLiteral("%1: missing").arg(name));
            continue;
        }
        if (!readWholeFile(path, s)) { add(QStringLiteral("%1: cannot be read").arg(name)); continue; }
        QuotedLineReader reader(cp932::decodeAll(s));
        int lines = 0;
        QString v;
        while (lines < SettingsSlots::kSlots && reader.readField(v)) ++lines;
        if (lines < SettingsSlots::kSlots) add(QStringLiteral("%1: %2 lines instead of 50").arg(name).arg(lines));
    }

    // Word lists: the count slot of each list against the lines of its file.
    // The program loads the lists in order and stops at the first file it
    // cannot read, so a missing file matters when its list has words or
    // when lists follow it.
    SettingsSlots shared;
    readSettingsFile(folder + names::sharedSettings(), shared);
    for (int n = 2; n <= 6; ++n) {
        const QString name = names::pickListPrefix() + QString::number(n).rightJustified(2, u'0') + QStringLiteral(".dat");
        const int count = int(shared.number(slot::shared::pickListCount(n)));
        QByteArray p;
        if (!readWholeFile(folder + name, p)) {
            if (n < 6)
                add(QStringLiteral("%1: missing, count %2; lists %3 to 6 are not loaded after it").arg(name).arg(count).arg(n + 1));
            else if (count > 0)
                add(QStringLiteral("%1: missing, count %2").arg(name).arg(count));
            continue;
        }
        QuotedLineReader reader(cp932::decodeAll(p));
        int lines = 0;
        QString id, word;
        while (reader.readField(id) && reader.readField(word)) ++lines;
        if (lines < count) add(QStringLiteral("%1: %2 lines, fewer than its count %3").arg(name).arg(lines).arg(count));
    }
    return result;
}

} // namespace kpv::tool
