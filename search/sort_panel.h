#pragma once
// The sort and delete panel of the ledger screen, Picture8: its title
// Label21, the item list MSFlexGrid3, the count Label20, the result Label13,
// the status marker Label14, the progress notice Command30, the sort buttons
// in Picture12 ("Sort開始", "登　録", "閉じる") and the delete buttons in
// Picture10 ("行削除", "登　録", "閉じる").
//
// The panel builds its controls into Picture8, runs a SortSession or a
// DeleteSession (which hold the temporary ledger's lock while the panel is
// open) and gives the list back to the screen through the ListHost when it
// closes or registers.

#include "search/delete_session.h"
#include "search/sort_session.h"

#include <QObject>

class QLabel;
class QPushButton;
class QWidget;

namespace kpv {
class Dolvb;
}
namespace kpv::ui {
class FlexGrid;
class PictureBox;
}

namespace kpv::search {

class ListHost;
class PanelList;

class SortPanel : public QObject {
    Q_OBJECT
public:
    // panel: Picture8, which the screen placed; the panel lays it out.
    SortPanel(Dolvb &d, ListHost &host, QWidget *panel, QObject *parent = nullptr);

    SortSession &sortSession() { return m_sort; }
    DeleteSession &deleteSession() { return m_delete; }

    void openSort();        // "Sort" (Command31)
    void startSort();       // "Sort開始"
    void registerSort();    // "登　録" of the sort
    void closeSort();       // "閉じる" of the sort
    void openDelete();      // "削　除" (Command33)
    void deleteRow();       // "行削除" on the list's current row
    void registerDeletions(); // "登　録" of the deletions
    void closeDelete();     // "閉じる" of the deletions
    // Closes whichever session is open without registering and hides the
    // panel (another command of the screen took over).
    void closeSessions();

    QWidget *panel = nullptr;              // Picture8
    QLabel *title = nullptr;               // Label21
    PanelList *list = nullptr;             // MSFlexGrid3
    QLabel *count = nullptr;               // Label20
    QLabel *result = nullptr;              // Label13
    QLabel *marker = nullptr;              // Label14
    QPushButton *progress = nullptr;       // Command30
    ui::PictureBox *sortButtons = nullptr; // Picture12
    QPushButton *sortStart = nullptr;      // Command27
    QPushButton *sortRegister = nullptr;   // Command19
    QPushButton *sortClose = nullptr;      // Command15
    ui::PictureBox *deleteButtons = nullptr; // Picture10
    QPushButton *deleteRowButton = nullptr;  // Command35
    QPushButton *deleteRegister = nullptr;   // Command34
    QPushButton *deleteClose = nullptr;      // Command13

private:
    void build();
    bool openPanel(RewriteSession &session, bool sorting);
    void fillList(const RewriteSession &session);
    void setCount(int n);
    void showProgress(const QString &text);
    void finish();

    Dolvb &m_d;
    ListHost &m_host;
    SortSession m_sort;
    DeleteSession m_delete;
};

} // namespace kpv::search
