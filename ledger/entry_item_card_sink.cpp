#include "ledger/entry_item_card_sink.h"

#include "ledger/item_card.h"

namespace kpv::ledger {

LedgerRecord &ItemCardSink::cardRecord() { return m_card.editValues(); }
int ItemCardSink::editMode() const { return int(m_card.editMode); }
int ItemCardSink::recordNo() const { return m_card.currentRecordNo; }
void ItemCardSink::beginEntry() { m_card.beginEntry(); }

QString ItemCardSink::fieldCellText(int col) const
{
    return col >= 0 && col < ItemCard::kFieldColumns ? m_card.fieldCell(col) : QString();
}

void ItemCardSink::setFieldCellText(int col, const QString &text) { m_card.setFieldCell(col, text); }

QString ItemCardSink::monthCellText(int row, int col) const
{
    return row >= 0 && row < 3 && col >= 0 && col < ItemCard::kMonthColumns ? m_card.monthCell(row, col) : QString();
}

void ItemCardSink::setMonthCellText(int row, int col, const QString &text) { m_card.setMonthCell(row, col, text); }
void ItemCardSink::setItemNumberText(const QString &text) { m_card.setItemNumberText(text); }
bool ItemCardSink::recomputeStock(int monthColumn) { return m_card.recomputeStock(monthColumn); }
void ItemCardSink::recomputeValue() { m_card.recomputeValue(); }
void ItemCardSink::recomputeRates() { m_card.recomputeRates(); }

} // namespace kpv::ledger
