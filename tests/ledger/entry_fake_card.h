#pragma once
// A card for the entry tools' tests: a record, the two grids as text maps and
// a log of the recomputations asked for.

#include "ledger/entry_card_sink.h"

#include <QString>
#include <QStringList>
#include <map>
#include <utility>

namespace kpv::testing {

class FakeCard : public ledger::CardSink {
public:
    LedgerRecord record;
    int mode = 0;
    int number = 0;
    std::map<int, QString> fields;
    std::map<std::pair<int, int>, QString> months;
    int fieldCol = 0;
    std::pair<int, int> monthCurrent{0, 0};
    QString itemNumber;
    QStringList recomputed;  // "stock 3", "value", "rates"

    LedgerRecord &cardRecord() override { return record; }
    int editMode() const override { return mode; }
    int recordNo() const override { return number; }
    int entries = 0;
    void beginEntry() override { ++entries; }
    QString fieldCellText(int col) const override { auto it = fields.find(col); return it == fields.end() ? QString() : it->second; }
    void setFieldCellText(int col, const QString &text) override { fields[col] = text; }
    int fieldCurrentColumn() const override { return fieldCol; }
    void setFieldCurrentColumn(int col) override { fieldCol = col; }
    QString monthCellText(int row, int col) const override
    {
        auto it = months.find({row, col});
        return it == months.end() ? QString() : it->second;
    }
    void setMonthCellText(int row, int col, const QString &text) override { months[{row, col}] = text; }
    void setMonthCurrentCell(int row, int col) override { monthCurrent = {row, col}; }
    void setItemNumberText(const QString &text) override { itemNumber = text; }
    bool recomputeStock(int monthColumn) override { recomputed << QStringLiteral("stock %1").arg(monthColumn); return true; }
    void recomputeValue() override { recomputed << QStringLiteral("value"); }
    void recomputeRates() override { recomputed << QStringLiteral("rates"); }
};

} // namespace kpv::testing
