#pragma once
// The ledger screen's item card seen by the entry router: values and cells
// go to the ItemCard, the recomputations are the card's (a refused shortage
// returns the card to its values from before the entry). The grids' current
// cells are kept here; the window shows them with the card.

#include "ledger/entry_card_sink.h"

#include <utility>

namespace kpv::ledger {

class ItemCard;

class ItemCardSink : public CardSink {
public:
    explicit ItemCardSink(ItemCard &card) : m_card(card) {}

    LedgerRecord &cardRecord() override;
    int editMode() const override;
    int recordNo() const override;
    void beginEntry() override;
    QString fieldCellText(int col) const override;
    void setFieldCellText(int col, const QString &text) override;
    int fieldCurrentColumn() const override { return m_fieldColumn; }
    void setFieldCurrentColumn(int col) override { m_fieldColumn = col; }
    QString monthCellText(int row, int col) const override;
    void setMonthCellText(int row, int col, const QString &text) override;
    void setMonthCurrentCell(int row, int col) override { m_monthCell = {row, col}; }
    void setItemNumberText(const QString &text) override;
    bool recomputeStock(int monthColumn) override;
    void recomputeValue() override;
    void recomputeRates() override;

    // The current cell of the monthly grid (line, column).
    std::pair<int, int> monthCurrentCell() const { return m_monthCell; }

private:
    ItemCard &m_card;
    int m_fieldColumn = 0;
    std::pair<int, int> m_monthCell{1, 1};
};

} // namespace kpv::ledger
