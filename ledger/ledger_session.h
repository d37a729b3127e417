#pragma once
// The ledger screen without its widgets: the opening sequence, the list and
// its paging, the totals, the item card's commands and registering. The
// window shows this state and forwards its buttons here.
//
// The card's values come in through the session's entry router only. An
// entry belongs to the card and the cell it was started on: every command
// that changes the card's item or closes it (another card, the next item,
// new, correct, copy, clearing, page moves, the search panels, closing the
// screen) first ends the open entry here, which stores text typed into the
// text box for the cell it was typed for and closes the window's entry tools
// (the calculator, the text box, the word list, the start-of-use chooser);
// what they hold is never written into another item. A command that would
// discard card values not yet registered asks first (はい discards, いいえ
// stays on the card).
//
// Registering writes the card's own values, never the record buffer that a
// page move filled. A new item or a copy is appended at the true end of the
// ledger (counted under the lock at that moment), so it never lands on a
// record another client appended after the card was opened; the card then
// shows the number it really got. A correction is checked and rewritten as
// one step under the ledger lock: it goes ahead when the record still holds
// the bytes the card read; a change of the same item by another client is
// overwritten only when the user says so; when the ledger was reordered
// elsewhere (the record holds another item, or the ledger was replaced by a
// sort, a deletion or an import) nothing is overwritten: the list is read
// again, the card keeps its values, and they go onto the record that holds
// the item now (when exactly one does) or in as a new item, as the user
// chooses. A list whose ledger was replaced elsewhere is read again at its
// next page move or card opening. A full ledger and a view-only client
// register nothing. After registering, the list page, the count, the total
// and the item's index row show the new state, the ledger backup runs for a
// client that asked for it, and the card stays open correcting the item.

#include "ledger/entry_item_card_sink.h"
#include "ledger/entry_router.h"
#include "ledger/item_card.h"
#include "ledger/list_page.h"
#include "ledger/list_paging.h"
#include "storage/file_identity.h"

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

namespace kpv {
class Dolvb;
}

namespace kpv::ledger {

class LedgerSession {
public:
    // endProgram ends the program (all clients stopped by the administrator).
    LedgerSession(Dolvb &d, std::function<void()> endProgram = {});

    Dolvb &data() { return m_d; }
    ItemCard &card() { return m_card; }
    const ItemCard &card() const { return m_card; }
    // The one way values get into the card, and the current cells of the
    // card's grids.
    EntryRouter &entry() { return m_entry; }
    const ItemCardSink &cardCells() const { return m_sink; }
    const ListPage &page() const { return m_page; }
    const ListPaging &paging() const { return m_paging; }
    // For the pages of a narrowed list, which fill the same page and move
    // the same position.
    ListPage &page() { return m_page; }
    ListPaging &paging() { return m_paging; }
    void setPageText(const QString &text) { m_pageText = text; }
    // What fills the page shown again after a registration (the plain list
    // by default; a narrowed list puts its own here while it is shown).
    void setPageRefill(std::function<void()> refill) { m_pageRefill = std::move(refill); }
    const ListLook &look() const { return m_look; }
    const QStringList &monthHeadings() const { return m_months; }

    // The window's entry tools: closed whenever the open entry ends.
    void setEntryToolsCloser(std::function<void()> close) { m_closeTools = std::move(close); }
    // Ends the open entry (text typed into the text box is stored first;
    // false, and nothing else happens, when it is refused).
    bool endEntry();
    // Leaves the card: ends the entry, asks before values not registered are
    // discarded, and closes the card. False when the card stays (the user
    // kept it, or typed text was refused).
    bool leaveCard();
    // True once the program is being ended (all clients stopped): the
    // screen closes without questions.
    bool ending() const { return m_ending; }

    // The opening sequence of the screen (settings, list page 1, count, the
    // daily index check, total value).
    void open(const QDate &today = QDate::currentDate());
    // The reset every command starts with. False when the program must end
    // (all clients stopped): endProgram was called.
    bool reset();

    bool nextPage();
    bool previousPage();
    // Fills the page shown again (after a registration).
    void refillPage();
    // Back to page 1 of the whole ledger, counted anew, with the count and
    // the total (after narrowing, sorting or deleting).
    void showFirstPage();
    // The page holds the given records (a page of a narrowed list: 12
    // places, 0 for an empty one); the card commands then work on them.
    void showRecords(const std::vector<int> &recordNos);
    void recalculateTotal();

    // Whether the ledger file is another one than `readFrom` now (replaced
    // elsewhere by a sort or a deletion).
    bool ledgerReplacedSince(const FileIdentity &readFrom);
    // The ledger was replaced elsewhere: tells the user, builds the index
    // again and shows page 1 of the whole ledger.
    void reloadList();
    // True once after the list was read again that way (the window then
    // leaves a narrowed list).
    bool takeListReloaded();

    // The list's current cell (the window reports clicks).
    int listRow() const { return m_listRow; }
    int listCol() const { return m_listCol; }
    void setListCell(int row, int col);

    // Card commands.
    bool cardOpen() const { return m_cardOpen; }
    void openNewCard();
    void openCorrectCard();
    void copyCard();
    void nextCard();
    void clearMovements();
    void clearCard();
    void closeCard() { leaveCard(); }
    // True when the card's values reached the ledger.
    bool registerCard();

    // The explanation of the calculation (two notices) and of the stock
    // cell, which then shows the stored text unformatted.
    void explainCalculation();
    void explainStockCell();

    // Labels of the list panel.
    const QString &countText() const { return m_countText; }   // Label8
    QString pageText() const { return m_pageText; }             // Label15
    const QString &totalText() const { return m_totalText; }   // Label16
    bool backupShown() const { return m_backupShown; }          // Label71 visible
    bool backupDone() const { return m_backupDone; }            // Label71 red
    bool viewOnly() const;

private:
    bool leaveEntry(bool discarding);
    bool listStillCurrent();
    void fillPage();
    void loadLook();
    void showCount();
    void showTotal(double total);
    bool readIntoCard(int recordNo);
    bool readStored(int recordNo);
    bool registerNew();
    bool registerCorrection(const LedgerRecord &rec);
    bool registerAfterReorder(const LedgerRecord &rec);
    void afterRegister(int n, double oldValue);
    void runBackup();

    Dolvb &m_d;
    std::function<void()> m_endProgram;
    std::function<void()> m_pageRefill;
    std::function<void()> m_closeTools;
    ListLook m_look;
    QStringList m_months;
    ListPaging m_paging;
    ListPage m_page;
    ItemCard m_card;
    ItemCardSink m_sink{m_card};
    EntryRouter m_entry;
    FileIdentity m_listIdentity;  // the ledger file the list was read from
    int m_listRow = 1;
    int m_listCol = 1;
    bool m_cardOpen = false;
    bool m_pageFilled = false;
    bool m_listReloaded = false;
    bool m_ending = false;
    QString m_countText;
    QString m_pageText;
    QString m_totalText;
    bool m_backupShown = false;
    bool m_backupDone = false;
};

} // namespace kpv::ledger
