#pragma once
// What the entry tools need from the item card. The card implements this
// interface; the entry logic stores values into the card's record, shows
// them in the card's two grids and asks the card to recompute, without
// knowing how the card is built.
//
// Field grid: line 1 holds the values, columns 0..10. Monthly grid: lines 1
// (receipts) and 2 (issues), columns 1..15. The recomputations are the
// card's own (totals, stock with the shortage refusal, value, rates).

#include "storage/ledger_record.h"

#include <QString>

namespace kpv::ledger {

class CardSink {
public:
    virtual ~CardSink() = default;

    // The card's values (the record the card will register).
    virtual LedgerRecord &cardRecord() = 0;
    // 0 a new item, 1 correcting a listed item, 2 a copy into a new item.
    virtual int editMode() const = 0;
    // The record number the card will be registered as.
    virtual int recordNo() const = 0;
    // Called before each entry changes the record: the values now are what a
    // refused entry returns to.
    virtual void beginEntry() = 0;

    // Field grid, line 1.
    virtual QString fieldCellText(int col) const = 0;
    virtual void setFieldCellText(int col, const QString &text) = 0;
    virtual int fieldCurrentColumn() const = 0;
    virtual void setFieldCurrentColumn(int col) = 0;  // also makes line 1 current

    // Monthly grid.
    virtual QString monthCellText(int row, int col) const = 0;
    virtual void setMonthCellText(int row, int col, const QString &text) = 0;
    virtual void setMonthCurrentCell(int row, int col) = 0;

    // The item number label of the card.
    virtual void setItemNumberText(const QString &text) = 0;

    // monthColumn: the month the running stock is checked up to (1..12, 0
    // the year end only). False when the computation refused the entry (the
    // user was told and the card went back).
    virtual bool recomputeStock(int monthColumn) = 0;
    virtual void recomputeValue() = 0;
    virtual void recomputeRates() = 0;
};

} // namespace kpv::ledger
