#include "ledger/ledger_session.h"

#include "ledger/card_messages.h"
#include "storage/all_clients_stop.h"
#include "storage/dolvb.h"
#include "storage/file_copy.h"
#include "storage/settings_slots.h"
#include "storage/file_names.h"
#include "storage/numbers.h"

#include <QFile>

namespace kpv::ledger {

namespace msg = card_messages;

namespace {
const QString kTitle = msg::cardTitle();
const QString kNew = QStringLiteral("新 規");
const QString kCorrect = QStringLiteral("訂 正");
const QString kCopy = QStringLiteral("複 写");

QString lines(std::initializer_list<const char16_t *> parts)
{
    QStringList out;
    for (const char16_t *p : parts) out << QString::fromUtf16(p);
    return out.join(QLatin1Char('\r'));
}
} // namespace

LedgerSession::LedgerSession(Dolvb &d, std::function<void()> endProgram)
    : m_d(d), m_endProgram(std::move(endProgram)), m_card(d), m_entry(d, m_sink)
{
}

// ---- Entries and leaving the card ---------------------------------------------

bool LedgerSession::leaveEntry(bool discarding)
{
    if (!m_entry.applyTypedText()) return false;
    if (discarding && m_cardOpen && m_card.changed() && !m_d.messages().ask(kTitle, msg::discardChanges())) return false;
    m_entry.endEntry();
    if (m_closeTools) m_closeTools();
    return true;
}

bool LedgerSession::endEntry()
{
    return leaveEntry(false);
}

bool LedgerSession::leaveCard()
{
    if (!leaveEntry(true)) return false;
    m_cardOpen = false;
    return true;
}

bool LedgerSession::viewOnly() const
{
    return m_d.clientSettings.isOn(slot::client::kReadOnly);
}

void LedgerSession::loadLook()
{
    m_look.mode.decimal = m_d.sharedSettings.isOn(slot::shared::kDecimalQuantities);
    m_look.startOfUse = m_d.sharedSettings.isOn(slot::shared::kShowStartOfUse);
    m_months = ledger::monthHeadings(m_d.sharedSettings.value(slot::shared::kStartMonth));
    m_d.buildItemLabels();
    m_page.setHeaders(m_d.itemLabels, m_months, m_look);
    m_card.setLook(m_look.mode, m_months);
}

void LedgerSession::open(const QDate &today)
{
    m_d.changePending = 0;
    m_d.currentList = 1;
    m_d.loadSharedSettings();
    loadLook();
    if (!reset()) return;
    BusyGuard busy(m_d.pointer());
    m_entry.endEntry();
    if (m_closeTools) m_closeTools();
    m_pageText.clear();
    m_d.openLedger();
    m_listIdentity = m_d.ledgerIdentity();
    m_paging.open();
    m_page.clearAll();
    m_pageFilled = false;
    if (m_d.recordCount > 0) {
        m_d.readRecord(m_d.recordCount);
        fillPage();
        m_pageText = m_paging.pageLabel();
    }
    m_d.currentRecordNo = m_d.recordCount;
    showCount();
    m_d.refreshIndex(today);
    // The total from the index rows, which a cache load fills as well as a
    // rebuild (a cache load alone would leave the total of an earlier ledger).
    double total = 0;
    for (int i = 1; i <= m_d.recordCount; ++i) {
        const QByteArrayView v = m_d.indexTable.bytes(i, 5);
        total += leadingNumber(v.data(), int(v.size()));
    }
    m_d.totalStockValue = total;
    showTotal(total);
    m_backupShown = m_d.clientSettings.isOn(slot::client::kLedgerBackup);
}

bool LedgerSession::reset()
{
    m_backupDone = false;
    if (menu::checkAllClientsStop(m_d)) {
        m_ending = true;
        if (m_endProgram) m_endProgram();
        return false;
    }
    return true;
}

void LedgerSession::fillPage()
{
    fillListPage(m_d, m_paging, m_page, m_look, &m_listIdentity);
    m_pageFilled = true;
}

bool LedgerSession::ledgerReplacedSince(const FileIdentity &readFrom)
{
    m_d.openLedger();
    const FileIdentity now = m_d.ledgerIdentity();
    m_d.closeLedger();
    return now.differsFrom(readFrom);
}

void LedgerSession::reloadList()
{
    m_d.messages().tell(kTitle, msg::reorderedListReloaded());
    {
        BusyGuard busy(m_d.pointer());
        // Every record may have another number now.
        m_d.rebuildIndex();
    }
    showFirstPage();
    m_listReloaded = true;
}

bool LedgerSession::takeListReloaded()
{
    const bool was = m_listReloaded;
    m_listReloaded = false;
    return was;
}

// A list whose ledger was replaced elsewhere shows other items under its
// record numbers: it is read again before a command goes by it.
bool LedgerSession::listStillCurrent()
{
    if (!ledgerReplacedSince(m_listIdentity)) return true;
    reloadList();
    return false;
}

void LedgerSession::showCount()
{
    m_countText = QStringLiteral("総数 ") + QString::number(m_d.recordCount);
}

void LedgerSession::showTotal(double total)
{
    m_totalText = formatNumber(total, QStringLiteral("#,###,###,###"));
}

bool LedgerSession::nextPage()
{
    if (!endEntry() || !reset()) return false;
    if (!listStillCurrent()) return true;
    m_d.openLedger();
    m_paging.next(m_d.recordCount);
    m_pageText = m_paging.pageLabel();
    fillPage();
    return true;
}

bool LedgerSession::previousPage()
{
    if (!endEntry() || !reset()) return false;
    if (!listStillCurrent()) return true;
    m_d.openLedger();
    m_paging.previous(m_d.recordCount);
    m_pageText = m_paging.pageLabel();
    fillPage();
    return true;
}

void LedgerSession::refillPage()
{
    if (m_pageFilled) m_paging.rewindPage();
    fillPage();
    if (m_pageText.isEmpty()) m_pageText = m_paging.pageLabel();
}

void LedgerSession::showFirstPage()
{
    BusyGuard busy(m_d.pointer());
    m_d.openLedger();
    m_listIdentity = m_d.ledgerIdentity();
    m_paging.open();
    m_page.clearAll();
    m_pageFilled = false;
    m_pageText.clear();
    if (m_d.recordCount > 0) {
        fillPage();
        m_pageText = m_paging.pageLabel();
    }
    showCount();
    showTotal(m_d.totalStockValue);
    m_listRow = 1;
    m_listCol = 1;
}

void LedgerSession::showRecords(const std::vector<int> &recordNos)
{
    BusyGuard busy(m_d.pointer());
    m_d.openLedger();
    m_listIdentity = m_d.ledgerIdentity();
    for (int k = 1; k <= ListPaging::kItemsPerPage; ++k) {
        const int n = k <= int(recordNos.size()) ? recordNos[size_t(k - 1)] : 0;
        if (n >= 1 && n <= m_d.recordCount && m_d.readRecord(n))
            m_page.setItem(k, n, m_d.recordBuffer, m_look);
        else
            m_page.clearItem(k);
    }
    m_d.closeLedger();
    m_pageFilled = false;
    m_listRow = 1;
    m_listCol = 1;
}

void LedgerSession::recalculateTotal()
{
    m_d.sumStockValue();
    showTotal(m_d.totalStockValue);
}

void LedgerSession::setListCell(int row, int col)
{
    if (row < 0 || row > ListPage::kLines || col < 0 || col >= ListPage::kColumns) return;
    m_listRow = row;
    m_listCol = col;
}

// ---- The card ---------------------------------------------------------------

// The card is to be registered onto record recordNo as it stands now (its
// bytes and its file are what the write is checked against); the card's
// values stay.
bool LedgerSession::readStored(int recordNo)
{
    m_d.openLedger();
    const bool ok = recordNo >= 1 && recordNo <= m_d.recordCount && m_d.readRecord(recordNo);
    const FileIdentity file = m_d.ledgerIdentity();
    m_d.closeLedger();
    if (!ok) return false;
    m_card.setStored(m_d.recordBuffer.bytes(), file);
    m_card.currentRecordNo = recordNo;
    m_d.currentRecordNo = recordNo;
    return true;
}

// The card shows record recordNo.
bool LedgerSession::readIntoCard(int recordNo)
{
    if (!readStored(recordNo)) return false;
    m_card.load(m_d.recordBuffer);
    return true;
}

void LedgerSession::openNewCard()
{
    if (!leaveEntry(true) || !reset()) return;
    m_cardOpen = true;
    m_card.editMode = EditMode::New;
    m_card.modeLabel = kNew;
    m_d.openLedger();
    m_d.closeLedger();
    m_card.currentRecordNo = m_d.recordCount + 1;
    m_d.currentRecordNo = m_card.currentRecordNo;
    m_card.blank();
}

void LedgerSession::openCorrectCard()
{
    if (!leaveEntry(true)) return;
    m_d.messages().tell(kTitle, lines({u"　在庫品リストの対象品行をクリックし訂正釦で個別枠が表示されるので",
                                       u"　その枠表内で入出庫のデータ登録・訂正を行います。",
                                       u"　対象品目検索は次項、前項釦か絞り込み機能を使用し探します。"}));
    if (!reset()) return;
    // The line chosen belongs to the list shown: if the ledger was replaced
    // meanwhile, the list is read again and the user chooses again.
    if (!listStillCurrent()) return;
    m_cardOpen = true;
    m_listCol = 0;
    const int n = m_page.recordNoAt(m_listRow);
    if (n != 0 && readIntoCard(n)) {
        m_card.editMode = EditMode::Correct;
        m_card.modeLabel = kCorrect;
        return;
    }
    m_card.editMode = EditMode::New;
    m_card.modeLabel = kNew;
    m_card.currentRecordNo = m_d.recordCount + 1;
    m_d.currentRecordNo = m_card.currentRecordNo;
    m_card.blank();
}

void LedgerSession::copyCard()
{
    if (!endEntry()) return;
    if (m_card.modeLabel != kCorrect) {
        m_d.messages().tell(kTitle, QStringLiteral("新規画面では複写機能は実行できません。　"));
        return;
    }
    m_card.modeLabel = kCopy;
    if (!m_d.messages().ask(kTitle, QStringLiteral("当データーを新規に複写します。") + QLatin1Char('\r')
                                        + QStringLiteral("　入出庫数量を削除します。　")))
        return;
    m_card.editMode = EditMode::Copy;
    m_d.openLedger();
    m_d.closeLedger();
    m_card.currentRecordNo = m_d.recordCount + 1;
    m_d.currentRecordNo = m_card.currentRecordNo;
    m_card.prepareCopy();
}

void LedgerSession::nextCard()
{
    if (!leaveEntry(true)) return;
    if (!listStillCurrent()) return;
    m_listCol = 0;
    int n = 0;
    if (m_listRow < 23) {
        m_listRow += 2;
        n = m_page.recordNoAt(m_listRow);
        if (n == 0 || n > m_d.recordCount) {
            m_listRow = 23;
            return;
        }
    } else {
        m_listRow = 1;
        n = m_page.recordNoAt(m_listRow);
        if (n == 0) return;
    }
    if (!readIntoCard(n)) return;
    m_card.editMode = EditMode::Correct;
    m_card.modeLabel = kCorrect;
}

void LedgerSession::clearMovements()
{
    if (!endEntry()) return;
    m_card.clearMovements();
}

void LedgerSession::clearCard()
{
    if (!endEntry()) return;
    m_listRow = 1;
    m_card.clearCard();
}

// ---- Registering --------------------------------------------------------------

bool LedgerSession::registerNew()
{
    m_d.openLedger(); // tells the user when the ledger is full
    m_d.closeLedger();
    if (m_d.recordCount >= m_d.ledgerCapacity - 1) return false;
    LedgerRecord rec = m_card.values();
    rec.setLineEnd();
    const int written = m_d.appendRecord(rec, m_card.editMode == EditMode::Copy ? changes::Op::Copy : changes::Op::New);
    if (written <= 0) return false;
    afterRegister(written, 0);
    return true;
}

bool LedgerSession::registerCorrection(const LedgerRecord &rec)
{
    for (;;) {
        const int n = m_card.currentRecordNo;
        QByteArray now;
        switch (m_d.rewriteCorrection(n, rec, m_card.storedBytes(), m_card.readFrom(), &now)) {
        case Dolvb::Correction::Written:
            afterRegister(n, LedgerRecord::fromBytes(now.constData(), int(now.size())).fieldNumber(6));
            return true;
        case Dolvb::Correction::Changed:
            // The same item, changed elsewhere: overwritten only when the
            // user says so, and only that change (one landing after the
            // question is asked about again).
            if (!m_d.messages().ask(kTitle, msg::overwriteChange())) return false;
            m_card.setStored(now, m_card.readFrom());
            continue;
        case Dolvb::Correction::Reordered:
            return registerAfterReorder(rec);
        case Dolvb::Correction::Failed:
            return false;
        }
    }
}

// The record the card was read from holds another item now, or the ledger
// was replaced: nothing is overwritten. The list is read again, and the
// card's values go where the user says.
bool LedgerSession::registerAfterReorder(const LedgerRecord &rec)
{
    m_d.messages().tell(kTitle, msg::reorderedAtRegister());
    {
        BusyGuard busy(m_d.pointer());
        m_d.rebuildIndex();
    }
    showFirstPage();
    m_listReloaded = true;
    const QByteArray &read = m_card.storedBytes();
    const QString item = LedgerRecord::fromBytes(read.constData(), int(read.size())).field(0);
    const std::vector<int> holding = item.isEmpty() ? std::vector<int>{} : m_d.recordsHoldingItemNumber(item);
    if (holding.size() == 1) {
        if (!m_d.messages().ask(kTitle, msg::registerOnto(holding.front(), item))) return false;
        if (!readStored(holding.front())) return false;
        return registerCorrection(rec);
    }
    if (!m_d.messages().ask(kTitle, msg::registerAsNew(item, int(holding.size())))) return false;
    return registerNew();
}

bool LedgerSession::registerCard()
{
    if (viewOnly()) {
        m_d.messages().tell(kTitle, QStringLiteral("この端末は閲覧専用に設定されています。") + QLatin1Char('\r')
                                        + QStringLiteral("　登録はできません。"));
        return false;
    }
    if (!m_cardOpen) return false;
    // What was typed into the text box is registered too.
    if (!m_entry.applyTypedText() || !reset()) return false;
    if (m_card.editMode != EditMode::Correct) return registerNew();
    LedgerRecord rec = m_card.values();
    rec.setLineEnd();
    return registerCorrection(rec);
}

void LedgerSession::afterRegister(int n, double oldValue)
{
    LedgerRecord stored = m_card.values();
    stored.setLineEnd();
    m_card.currentRecordNo = n;
    m_card.editMode = EditMode::Correct;
    m_card.modeLabel = kCorrect;
    // The ledger as it was written through.
    m_card.setStored(stored.bytes(), m_d.ledgerIdentity());
    m_card.markRegistered();
    m_d.currentRecordNo = n;
    m_d.changePending = 0;

    for (int c = 1; c <= 4; ++c) m_d.indexTable.set(n, c, stored.field(c - 1));
    m_d.indexTable.set(n, 5, stored.field(6));
    m_d.totalStockValue += stored.fieldNumber(6) - oldValue;
    showTotal(m_d.totalStockValue);

    if (m_pageRefill)
        m_pageRefill();
    else
        refillPage();
    showCount();
    runBackup();
}

void LedgerSession::runBackup()
{
    m_backupDone = backupLedger(m_d);
}

// ---- Explanations -------------------------------------------------------------

void LedgerSession::explainCalculation()
{
    m_d.messages().tell(kTitle, lines({u"【 算出方法 】  ", u"①前年度在庫 　期首に前年度の当期在庫数量からの移行値 ",
                                       u"※任意数値入力も可能", u"②適正在庫　　健全な在庫数量値",
                                       u"③在庫数量　前年在庫・入庫・出庫から在庫数量の計算結果",
                                       u"④予定数量　年間入出庫の目標数量 ",
                                       u"※計算方法　入出庫を入力すると、入出庫計が計算され ",
                                       u"　在庫数量＝前年在庫＋入庫計ー出庫計が計算され",
                                       u"　在庫金額＝在庫数量×単価　計算されます。"}));
    m_d.messages().tell(kTitle, lines({u"①在庫数量が適正数量を下回った時は枠色が薄い青に着色",
                                       u"②出庫入力の時、計算在庫数がマイナスになった時",
                                       u"　出庫数が入庫数を超えてますのメッセージが表示され元の値に", u"　自動で以前値に戻ります。",
                                       u"　在庫数が０になった時は薄ピンクに着色されます。",
                                       u"　在庫品Excel出力時適正数量が下回った時は枠が網掛け文字",
                                       u"　在庫数ゼロ時枠が網掛けとなります。　"}));
}

void LedgerSession::explainStockCell()
{
    m_d.messages().tell(kTitle, lines({u"自動計算枠です,変更は前年在庫を修正することで実施してください。　",
                                       u"※計算　在庫数量＝前年在庫＋入庫計－出庫計　　", u"セル色　",
                                       u"　①適正在庫 > 在庫数 ※在庫数が適正数量未満になった場合に薄青着色　",
                                       u"　②在庫数　ゼロの場合に薄ピンう着色"}));
    m_card.showStoredStock();
}

} // namespace kpv::ledger
