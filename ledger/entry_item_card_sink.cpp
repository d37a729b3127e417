#include "ledger/entry_item_card_sink.h"

#include "ledger/item_card.h"
#include "ui/flex_grid.h"

namespace kpv::ledger {

LedgerRecord &ItemCardSink::cardRecord() { return m_card.editValues(); }
int ItemCardSink::editMode() const { return int(m_card.editMode); }
int ItemCardSink::recordNo() const { return m_card.currentRecordNo; }
void ItemCardSink::beginEntry() { m_card.beginEntry(); }

QString ItemCardSink::fieldCellText(int col) const
{
    return col >= 0 && col < ItemCard::kFieldColumns ? m_card.fieldCell(col) : QString();
}

void ItemCardSink::setFieldCellText(int col, const QString &text)
{
    m_card.setFieldCell(col, text);
    m_fields->setTextMatrix(1, col, text);
}

int ItemCardSink::fieldCurrentColumn() const { return m_fields->col(); }

void ItemCardSink::setFieldCurrentColumn(int col)
{
    m_fields->setRow(1);
    m_fields->setCol(col);
}

QString ItemCardSink::monthCellText(int row, int col) const
{
    return row >= 0 && row < 3 && col >= 0 && col < ItemCard::kMonthColumns ? m_card.monthCell(row, col) : QString();
}

void ItemCardSink::setMonthCellText(int row, int col, const QString &text)
{
    m_card.setMonthCell(row, col, text);
    m_months->setTextMatrix(row, col, text);
}

void ItemCardSink::setMonthCurrentCell(int row, int col)
{
    m_months->setRow(row);
    m_months->setCol(col);
}

void ItemCardSink::setItemNumberText(const QString &text) { m_card.setItemNumberText(text); }

void ItemCardSink::recomputeStock(int monthColumn)
{
    m_card.monthColumn = monthColumn;
    m_card.recomputeStock();
}

void ItemCardSink::recomputeValue() { m_card.recomputeValue(); }
void ItemCardSink::recomputeRates() { m_card.recomputeRates(); }

} // namespace kpv::ledger
