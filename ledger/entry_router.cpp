#include "ledger/entry_router.h"

#include "ledger/card_messages.h"
#include "ledger/pick_list_entries.h"
#include "storage/codepage.h"
#include "storage/dolvb.h"
#include "storage/item_number.h"
#include "storage/numbers.h"
#include "storage/quoted_lines.h"
#include "storage/settings_slots.h"
#include "storage/text.h"

#include <algorithm>
#include <array>

namespace kpv::ledger {

namespace {

namespace msg = card_messages;
const QString kCardTitle = msg::cardTitle();
constexpr QChar kCr = u'\r';

// The text columns of the field grid.
struct TextColumn {
    int col;
    int field;
    int target;
    int list;
    const char16_t *caption;
};
constexpr std::array<TextColumn, 5> kTextColumns{{
    {0, 1, target::kName, 2, u"品　名"},
    {1, 2, target::kSpecification, 3, u"仕　様"},
    {2, 3, target::kMaker, 4, u"メーカー名"},
    {3, 4, target::kLocation, 5, u"保管場所"},
    {6, 7, target::kUnit, 6, u"単位"},
}};

const TextColumn *textColumnAt(int col)
{
    for (const TextColumn &t : kTextColumns)
        if (t.col == col) return &t;
    return nullptr;
}

const TextColumn *textColumnFor(int entryTarget)
{
    for (const TextColumn &t : kTextColumns)
        if (t.target == entryTarget) return &t;
    return nullptr;
}

// The numbers of the field grid: column, field, display pattern in integer
// and in decimal mode.
struct NumberColumn {
    int col;
    int field;
    const char16_t *integerPattern;
    const char16_t *decimalPattern;
};
constexpr std::array<NumberColumn, 3> kNumberColumns{{
    {4, 5, u"###,###,###", u"#,###,###.0"},
    {7, 8, u"#,###,###", u"###,###.0"},
    {8, 9, u"####,###", u"##,###.0"},
}};

const NumberColumn *numberColumnAt(int col)
{
    for (const NumberColumn &n : kNumberColumns)
        if (n.col == col) return &n;
    return nullptr;
}

constexpr int kStartOfUseColumn = 10;
constexpr int kStartOfUseField = 11;
constexpr int kStockColumn = 9;
constexpr int kStockField = 10;
constexpr int kItemNumberField = 0;
constexpr int kPlanSlot = 14;

QString shown(double value, const char16_t *pattern)
{
    return value == 0 ? QString() : formatNumber(value, QString::fromUtf16(pattern));
}

} // namespace

QString EntryRouter::notAnEntryCellText() { return QStringLiteral("  入力枠ではありません。　"); }

QString EntryRouter::moveCardHelpText()
{
    return QStringLiteral("　この枠表を使ってデータの編集・登録を行います。") + kCr
           + QStringLiteral("　この表の空いているスペースにマウスを合わせクリックドラックし") + kCr
           + QStringLiteral("　色々な位置に移動できます。") + kCr + QStringLiteral("　　▼　▲クリックで元の位置に戻ります。");
}

QString EntryRouter::calculatorHelpText()
{
    return QStringLiteral(" 電卓表示枠をクリックする事で") + kCr + QStringLiteral("　直接　英文字・数字の入力が可能です。") + kCr
           + QStringLiteral("　マウスキー選択でも可能です。") + kCr + QStringLiteral("　※金額及び数値入力は桁区切りはいりません。");
}

QString EntryRouter::stockCellHelpText()
{
    return QStringLiteral("自動計算枠です,変更は前年在庫を修正することで実施してください。　") + kCr
           + QStringLiteral("※計算　在庫数量＝前年在庫＋入庫計－出庫計　　") + kCr + QStringLiteral("セル色　") + kCr
           + QStringLiteral("　①適正在庫 > 在庫数 ※在庫数が適正数量未満になった場合に薄青着色　") + kCr
           + QStringLiteral("　②在庫数　ゼロの場合に薄ピンう着色");
}

bool EntryRouter::decimal() const
{
    return m_d.sharedSettings.isOn(slot::shared::kDecimalQuantities);
}

bool EntryRouter::refused(const QString &text)
{
    cp932::Refusal refusal;
    if (cp932::canEncode(text, &refusal)) return false;
    m_d.messages().tell(kCardTitle, msg::unstorableCharacter(refusal.character));
    return true;
}

// A text field: stored cut to the field when longer, and the user is told.
bool EntryRouter::storeText(int field, const QString &text)
{
    if (refused(text)) return false;
    m_card.beginEntry();
    m_card.cardRecord().setField(field, text);
    m_d.changePending = 1;
    const QString stored = m_card.cardRecord().field(field);
    if (stored != trimSpaces(text)) m_d.messages().tell(kCardTitle, msg::textCut(trimSpaces(text), stored));
    return true;
}

// A number of the field grid (field > 0) or of the monthly grid (row, slot):
// only a number its place can hold is stored.
bool EntryRouter::storeNumber(int field, int row, int slot, const QString &typed)
{
    const std::optional<QString> number = numberEntry(typed, decimal());
    if (!number) {
        m_d.messages().tell(kCardTitle, msg::notANumber(typed, decimal()));
        return false;
    }
    const int width = field > 0 ? LedgerRecord::kFieldWidth : LedgerRecord::kCellWidth;
    if (number->size() > width) {
        m_d.messages().tell(kCardTitle, msg::numberTooLong(typed, width));
        return false;
    }
    m_card.beginEntry();
    if (field > 0)
        m_card.cardRecord().setField(field, *number);
    else
        m_card.cardRecord().setCell(row, slot, *number);
    m_d.changePending = 1;
    return true;
}

bool EntryRouter::storeTextColumn(int col, const QString &text)
{
    const TextColumn *t = textColumnAt(col);
    if (!t) return false;
    if (!storeText(t->field, trimSpaces(cp932::fromInputMethod(text)))) return false;
    const QString stored = m_card.cardRecord().field(t->field);
    m_state.entryText = stored;
    m_card.setFieldCellText(col, stored);
    return true;
}

// ---- Entries --------------------------------------------------------------------

void EntryRouter::startEntry()
{
    ++m_entry;
    m_textOpen = false;
    m_typed.reset();
}

void EntryRouter::endEntry()
{
    startEntry();
    m_d.entryTarget = target::kNothing;
}

void EntryRouter::setTypedText(const QString &text)
{
    if (m_textOpen) m_typed = text;
}

bool EntryRouter::applyTypedText()
{
    if (!m_textOpen || !m_typed) return true;
    const int col = m_card.fieldCurrentColumn();
    const TextColumn *t = textColumnAt(col);
    if (!t || trimSpaces(cp932::fromInputMethod(*m_typed)) == m_card.cardRecord().field(t->field)) {
        m_typed.reset();
        return true;
    }
    if (!storeTextColumn(col, *m_typed)) return false;
    m_typed.reset();
    return true;
}

// ---- Cell clicks --------------------------------------------------------------

EntryStart EntryRouter::startFieldEntry(int col)
{
    EntryStart out;
    if (!applyTypedText()) {
        out.step = EntryStep::Kept;
        return out;
    }
    startEntry();
    m_state.cardColumn = col;
    m_card.setFieldCurrentColumn(col);
    LedgerRecord &rec = m_card.cardRecord();

    if (const TextColumn *t = textColumnAt(col)) {
        // The cell shows the field as stored; its bytes stay as read until
        // the user stores a new text.
        const QString text = rec.field(t->field);
        m_card.setFieldCellText(col, text);
        m_state.entryText = text;
        m_d.entryTarget = t->target;
        m_d.currentList = t->list;
        m_textOpen = true;
        out.step = EntryStep::Text;
        out.caption = QString::fromUtf16(t->caption);
        out.text = text;
        out.cursor = int(trimSpaces(text).size());
        return out;
    }
    if (const NumberColumn *n = numberColumnAt(col)) {
        m_card.setFieldCellText(col, rec.field(n->field));
        m_d.entryTarget = target::kFieldNumber;
        out.step = EntryStep::Calculator;
        return out;
    }
    if (col == kStockColumn) {
        m_d.messages().tell(kCardTitle, stockCellHelpText());
        m_card.setFieldCellText(col, rec.field(kStockField));
        return out;
    }
    if (col == kStartOfUseColumn) {
        m_card.setFieldCellText(col, rec.field(kStartOfUseField));
        out.step = EntryStep::StartOfUse;
        return out;
    }
    return out;  // the stock value and anything else: nothing more
}

EntryStart EntryRouter::startMonthEntry(int row, int col)
{
    EntryStart out;
    if (!applyTypedText()) {
        out.step = EntryStep::Kept;
        return out;
    }
    startEntry();
    m_state.monthColumn = col;
    m_state.monthRow = row;
    if (col >= 1 && col <= 12) {
        m_d.entryTarget = row == 1 ? target::kReceipts : target::kIssues;
    } else if (col == kPlanSlot) {
        m_d.entryTarget = row == 1 ? target::kPlannedReceipts : target::kPlannedIssues;
    } else {
        m_d.messages().tell(kCardTitle, notAnEntryCellText());
        out.step = EntryStep::Refused;
        return out;
    }
    out.step = EntryStep::Calculator;
    return out;
}

EntryStart EntryRouter::startItemNumberEntry()
{
    EntryStart out;
    if (!applyTypedText()) {
        out.step = EntryStep::Kept;
        return out;
    }
    startEntry();
    const QString number = m_card.cardRecord().field(kItemNumberField);
    m_card.setItemNumberText(number);
    m_state.entryText = number;
    m_d.entryTarget = target::kItemNumber;
    out.step = EntryStep::Calculator;
    return out;
}

// ---- Text box -----------------------------------------------------------------

std::optional<QString> EntryRouter::textEnter(const QString &text)
{
    const int col = m_card.fieldCurrentColumn();
    if (!textColumnAt(col)) return std::nullopt;
    if (!storeTextColumn(col, text)) return std::nullopt;
    m_typed.reset();
    const int next = col >= 0 && col < 3 ? col + 1 : 0;
    m_card.setFieldCurrentColumn(next);
    return m_card.fieldCellText(next);
}

// ---- Word list ----------------------------------------------------------------

int EntryRouter::wordCount() const
{
    return int(std::clamp<double>(m_d.sharedSettings.number(slot::shared::pickListCount(m_d.currentList)), 0, PickLists::kMaxEntries));
}

QStringList EntryRouter::pickListEntries() const
{
    return ledger::pickListEntries(m_d.pickListTable, m_d.currentList, wordCount());
}

void EntryRouter::pickWord(const QString &entry)
{
    m_state.pickedWord = pickedWordNumber(entry);
    if (const TextColumn *t = textColumnFor(m_d.entryTarget)) {
        const QString word = trimSpaces(m_d.pickListTable.word(m_state.pickedWord, m_d.currentList));
        if (word.isEmpty()) {
            // The field is emptied, and so is its cell: the card shows what
            // the record holds.
            m_card.beginEntry();
            m_card.cardRecord().setField(t->field, QString());
            m_card.setFieldCellText(t->col, QString());
            m_d.messages().tell(QStringLiteral("在庫品台帳確認"), m_d.entryTarget == target::kSpecification
                                                                   ? QStringLiteral("仕様が入力されていません。")
                                                                   : QStringLiteral("品名が入力されていません。"));
        } else if (storeText(t->field, word)) {
            const QString stored = m_card.cardRecord().field(t->field);
            m_card.setFieldCellText(t->col, stored);
            m_state.entryText = stored;
        }
    }
    m_state.pickedWord = 0;
    // The text box closes with the pick: the word is the user's choice.
    m_textOpen = false;
    m_typed.reset();
}

bool EntryRouter::appendWord()
{
    if (!applyTypedText()) return false;
    const QString word = cleanText(m_state.entryText);
    const QString title = kCardTitle;
    if (word.isEmpty()) {
        m_d.messages().tell(title, QStringLiteral("追記する語句がありません。"));
        return false;
    }
    // A word list file holds its words in double quotes, one to a line.
    if (const auto problem = quotedLineProblem(word)) {
        m_d.messages().tell(title, *problem);
        return false;
    }
    return m_d.appendPickListWord(word);
}

// ---- Start of use -------------------------------------------------------------

void EntryRouter::chooseStartOfUse(const QString &entry)
{
    if (!storeText(kStartOfUseField, entry)) return;
    m_card.setFieldCellText(kStartOfUseColumn, m_card.cardRecord().field(kStartOfUseField));
}

void EntryRouter::cancelStartOfUse()
{
    m_card.beginEntry();
    m_card.cardRecord().setField(kStartOfUseField, QString());
    m_d.changePending = 1;
    m_card.setFieldCellText(kStartOfUseColumn, QString());
}

// ---- Calculator -----------------------------------------------------------------

QString EntryRouter::calculatorStart()
{
    const LedgerRecord &rec = m_card.cardRecord();
    switch (m_d.entryTarget) {
    case target::kItemNumber:
        return trimSpaces(m_state.entryText);
    case target::kFieldNumber:
        if (const NumberColumn *n = numberColumnAt(m_state.cardColumn)) return rec.field(n->field);
        return trimSpaces(m_card.fieldCellText(m_state.cardColumn));
    case target::kReceipts:
    case target::kIssues: {
        const int row = m_d.entryTarget == target::kReceipts ? 1 : 2;
        m_card.setMonthCurrentCell(row, m_state.monthColumn);
        return rec.cell(row, m_state.monthColumn);
    }
    case target::kPlannedReceipts:
    case target::kPlannedIssues: {
        const int row = m_d.entryTarget == target::kPlannedReceipts ? 1 : 2;
        m_card.setMonthCurrentCell(row, kPlanSlot);
        return rec.cell(row, kPlanSlot);
    }
    default:
        return QString();
    }
}

// The month the stock computation checks up to: a month slot, or 0 (the year
// end only) after a click elsewhere on the monthly grid, so the totals and the
// plans are never summed as months.
int EntryRouter::recomputeColumn() const
{
    return m_state.monthColumn >= 1 && m_state.monthColumn <= 12 ? m_state.monthColumn : 0;
}

void EntryRouter::showNumberField(int col, int field)
{
    const NumberColumn *n = numberColumnAt(col);
    const bool decimal = m_d.sharedSettings.isOn(slot::shared::kDecimalQuantities);
    m_card.setFieldCellText(col, QString());
    m_card.setFieldCellText(col, shown(m_card.cardRecord().fieldNumber(field), decimal ? n->decimalPattern : n->integerPattern));
}

void EntryRouter::showMonthCell(int row, int slot)
{
    const bool decimal = m_d.sharedSettings.isOn(slot::shared::kDecimalQuantities);
    m_card.setMonthCellText(row, slot, QString());
    m_card.setMonthCellText(row, slot, shown(m_card.cardRecord().cellNumber(row, slot), decimal ? u"###,###.0" : u"#,###,###"));
}

bool EntryRouter::writeBack(const QString &readout, int entry)
{
    // An entry that is over (the card moved to another item, was closed or
    // another cell was started) takes nothing.
    if (entry >= 0 && entry != m_entry) return false;
    const QString v = trimSpaces(cp932::fromInputMethod(readout));
    switch (m_d.entryTarget) {
    case target::kFieldNumber: {
        const NumberColumn *n = numberColumnAt(m_state.cardColumn);
        if (!n) return true;
        if (!storeNumber(n->field, 0, 0, v)) return false;
        showNumberField(n->col, n->field);
        m_card.setFieldCurrentColumn(m_state.cardColumn);
        if (n->field == 5)
            m_card.recomputeValue();
        else
            m_card.recomputeStock(recomputeColumn());
        return true;
    }
    case target::kReceipts:
    case target::kIssues: {
        const int row = m_d.entryTarget == target::kReceipts ? 1 : 2;
        const int slot = m_state.monthColumn;
        if (slot < 1 || slot > 12) return true;
        if (!storeNumber(0, row, slot, v)) return false;
        showMonthCell(row, slot);
        m_card.recomputeStock(slot);
        return true;
    }
    case target::kPlannedReceipts:
    case target::kPlannedIssues: {
        const int row = m_d.entryTarget == target::kPlannedReceipts ? 1 : 2;
        if (!storeNumber(0, row, kPlanSlot, v)) return false;
        showMonthCell(row, kPlanSlot);
        m_card.recomputeRates();
        return true;
    }
    case target::kItemNumber:
        return writeItemNumber(v);
    default:
        return true;
    }
}

bool EntryRouter::writeItemNumber(const QString &v)
{
    LedgerRecord &rec = m_card.cardRecord();
    const auto keepShown = [&] { m_card.setItemNumberText(rec.field(kItemNumberField) + QLatin1Char(' ')); };
    if (refused(v)) {
        keepShown();
        return false;
    }
    // The number as field 0 would hold it (cut to the field on whole
    // characters) is the one looked up.
    LedgerRecord probe;
    probe.setField(kItemNumberField, v);
    const QString number = probe.field(kItemNumberField);
    // It names the item's specification workbook: the rule of every item
    // number, with the import's message.
    for (const QString &n : {v, number}) {
        if (const auto problem = itemNumberProblem(n)) {
            m_d.messages().tell(kCardTitle, *problem);
            keepShown();
            return false;
        }
    }
    if (number != v) m_d.messages().tell(kCardTitle, msg::textCut(v, number));
    m_state.entryText = number;
    m_card.setItemNumberText(number + QLatin1Char(' '));

    bool keepPrevious = false;
    // An empty number is no duplicate of anything.
    if (!number.isEmpty()) {
        // A correction does not find its own record: the card's number, not
        // whatever record the list read last, is the one passed over.
        bool found = false;
        if (m_card.editMode() == 1) {
            const int listed = m_d.currentRecordNo;
            m_d.currentRecordNo = m_card.recordNo();
            found = m_d.findOtherItemNumber(number);
            m_d.currentRecordNo = listed;
        } else {
            found = m_d.findItemNumber(number);
        }
        if (found)
            keepPrevious = m_d.messages().ask(kCardTitle, msg::duplicateItemNumber(m_d.foundRecordNo));
    }
    m_card.beginEntry();
    if (keepPrevious) {
        m_card.setItemNumberText(rec.field(kItemNumberField) + QLatin1Char(' '));
    } else {
        rec.setField(kItemNumberField, number);
        m_d.changePending = 1;
    }
    m_card.recomputeStock(recomputeColumn());
    return true;
}

} // namespace kpv::ledger
