#pragma once
// The ledger screen without its widgets: the opening sequence, the list and
// its paging, the totals, the item card's commands and registering. The
// window shows this state and forwards its buttons here.
//
// Registering writes the card's own values, never the record buffer that a
// page move filled. A new item or a copy is appended at the true end of the
// ledger (counted under the lock at that moment), so it never lands on a
// record another client appended after the card was opened; the card then
// shows the number it really got. A correction rewrites its own record only,
// and asks first when the stored record differs from the bytes the card read
// (another client changed it meanwhile). A full ledger and a view-only client
// register nothing. After registering, the list page, the count, the total
// and the item's index row show the new state, the ledger backup runs for a
// client that asked for it, and the card stays open correcting the item.

#include "ledger/item_card.h"
#include "ledger/list_page.h"
#include "ledger/list_paging.h"

#include <QDate>
#include <QString>

#include <functional>

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
    const ListPage &page() const { return m_page; }
    const ListPaging &paging() const { return m_paging; }
    const ListLook &look() const { return m_look; }
    const QStringList &monthHeadings() const { return m_months; }

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
    void recalculateTotal();

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
    void clearMovements() { m_card.clearMovements(); }
    void clearCard();
    void closeCard() { m_cardOpen = false; }
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
    void loadLook();
    void showCount();
    void showTotal(double total);
    bool readIntoCard(int recordNo);
    bool appendCard(int &written);
    bool rewriteCard(int n);
    void afterRegister(int n, double oldValue);
    void runBackup();

    Dolvb &m_d;
    std::function<void()> m_endProgram;
    ListLook m_look;
    QStringList m_months;
    ListPaging m_paging;
    ListPage m_page;
    ItemCard m_card;
    int m_listRow = 1;
    int m_listCol = 1;
    bool m_cardOpen = false;
    bool m_pageFilled = false;
    QString m_countText;
    QString m_pageText;
    QString m_totalText;
    bool m_backupShown = false;
    bool m_backupDone = false;
};

} // namespace kpv::ledger
