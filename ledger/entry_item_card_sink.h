#pragma once
// The ledger screen's item card seen by the entry tools: values and cells go
// to the ItemCard model, the current cells are the two grids' own, and the
// recomputations are the card's (a refused shortage returns the card to its
// values from before the entry).

#include "ledger/entry_card_sink.h"

namespace kpv::ui {
class FlexGrid;
}

namespace kpv::ledger {

class ItemCard;

class ItemCardSink : public CardSink {
public:
    ItemCardSink(ItemCard &card, ui::FlexGrid *fields, ui::FlexGrid *months)
        : m_card(card), m_fields(fields), m_months(months) {}

    LedgerRecord &cardRecord() override;
    int editMode() const override;
    int recordNo() const override;
    void beginEntry() override;
    QString fieldCellText(int col) const override;
    void setFieldCellText(int col, const QString &text) override;
    int fieldCurrentColumn() const override;
    void setFieldCurrentColumn(int col) override;
    QString monthCellText(int row, int col) const override;
    void setMonthCellText(int row, int col, const QString &text) override;
    void setMonthCurrentCell(int row, int col) override;
    void setItemNumberText(const QString &text) override;
    void recomputeStock(int monthColumn) override;
    void recomputeValue() override;
    void recomputeRates() override;

private:
    ItemCard &m_card;
    ui::FlexGrid *m_fields;
    ui::FlexGrid *m_months;
};

} // namespace kpv::ledger
