#pragma once
// The narrowing of the ledger screen: the conditions panel Picture6 (the
// condition grid MSFlexGrid4, the word editor Text2, "行消", "名消",
// "閉じる"), the buttons "絞込開始", "再絞込", "絞込解除", "Excel出力" in
// Picture27, the result paging "次　項"/"前項" in Picture17, the "絞込中"
// indicator Command41 and the page count Label4 in the list panel.
//
// The panel builds these controls into the places the screen gives it, keeps
// the narrowing state and talks to the list only through the ListHost.
// Conditions are set while narrowing is open: a click on a text column of
// the list fills the current condition row, a click on a condition row opens
// the word editor over its word.

#include "search/narrowing.h"

#include <QObject>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace kpv {
class Dolvb;
}
namespace kpv::ui {
class FlexGrid;
}

namespace kpv::search {

class ListHost;

struct NarrowPlaces {
    QWidget *conditions = nullptr;  // Picture6
    QWidget *buttons = nullptr;     // Picture27
    QWidget *paging = nullptr;      // Picture17
    QWidget *list = nullptr;        // Picture7 (the indicator and Label4)
};

class NarrowPanel : public QObject {
    Q_OBJECT
public:
    NarrowPanel(Dolvb &d, ListHost &host, const NarrowPlaces &places, QObject *parent = nullptr);

    const Narrowing &narrowing() const { return m_narrowing; }
    // Narrowing is open (conditions are being set or a result is shown).
    bool isOpen() const { return m_open; }
    int currentConditionRow() const { return m_row; }

    // "絞　込" (Command29).
    void open();
    // A click on the list grid.
    void listClicked(int row, int col);
    // A click on a condition row: the word editor opens over its word.
    void conditionClicked(int row);
    // Enter in the word editor.
    void wordEntered();
    void clearRow();   // "行消"
    void clearWord();  // "名消"
    void start();      // "絞込開始"
    void again();      // "再絞込"
    void nextPage();   // "次　項"
    void previousPage(); // "前項"
    // "絞込解除" and "閉じる": back to the whole ledger.
    void close();

    ui::FlexGrid *conditionsGrid = nullptr;  // MSFlexGrid4
    QLineEdit *wordEditor = nullptr;         // Text2
    QPushButton *clearRowButton = nullptr;   // Command48
    QPushButton *clearWordButton = nullptr;  // Command50
    QPushButton *closeButton = nullptr;      // Command51
    QPushButton *startButton = nullptr;      // Command10
    QPushButton *againButton = nullptr;      // Command47
    QPushButton *releaseButton = nullptr;    // Command8
    QPushButton *excelButton = nullptr;      // Command44
    QPushButton *nextButton = nullptr;       // Command11
    QPushButton *previousButton = nullptr;   // Command12
    QPushButton *indicator = nullptr;        // Command41
    QLabel *maxPage = nullptr;               // Label4

signals:
    // "Excel出力": write the narrowed list to a workbook.
    void excelRequested();

private:
    void build(const NarrowPlaces &places);
    void fillRow(int row, int listCol, const QString &word);
    ConditionRows readRows() const;
    void writeRows(const ConditionRows &rows);
    void showPage();
    void showLabels();
    void tellNotFound(const Conditions &c, bool again);

    Dolvb &m_d;
    ListHost &m_host;
    NarrowPlaces m_places;
    Narrowing m_narrowing;
    bool m_open = false;
    int m_row = 0;
};

} // namespace kpv::search
