#pragma once
// The workbook commands of the ledger screen: the ledger workbook of the
// whole ledger (Command6) and of a narrowed list (Command44), the item's
// specification workbook (Command16 on the card), and the monthly receipts
// and issues panel (Command28 opens Picture24 with Command26 "入出庫記載" and
// Command25 "入出庫転記"). It attaches to a Form11 and lives as its child;
// the work itself is done by the workbook library on the office's work
// thread, behind the progress window (ui/progress_window.h); this class only
// asks, shows the progress notice (Picture5 / Label7) meanwhile and
// refreshes the list.
//
// The three monthly buttons explain themselves on their first click of the
// program's run: the flags live in a MonthlyExplained object the program
// keeps for its whole run (the ledger screen is built anew at each opening).

#include <QObject>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;

namespace kpv::excel {
class Spreadsheet;
}

namespace kpv::ledger {

class Form11;

// Whether each monthly button has shown its explanation in this run.
struct MonthlyExplained {
    bool panel = false;  // Command28
    bool edit = false;   // Command26
    bool import = false; // Command25
};

class WorkbookCommands : public QObject {
    Q_OBJECT
public:
    // office may be null when no spreadsheet application could be made: each
    // command then tells the user so.
    WorkbookCommands(Form11 &form, excel::Spreadsheet *office, MonthlyExplained &explained);

    // Command44: the narrowed list (record numbers in list order). The
    // narrowing panel connects its button with the list it holds.
    void attachListOutput(QPushButton *command44, std::function<std::vector<int>()> list);

    // The commands (the buttons call them; tests too).
    void outputLedger();                           // Command6
    void outputList(const std::vector<int> &list); // Command44
    void outputSpecification();                    // Command16
    void openMonthlyPanel();                       // Command28
    void editDailyBook();                          // Command26
    void importMonth();                            // Command25
    // Whether books are shown to the user at the end (tests leave them hidden).
    void setShowResults(bool show) { m_show = show; }

    QPushButton *importButton = nullptr; // Command25
    QPushButton *editButton = nullptr;   // Command26
    QLabel *progressNote = nullptr;      // Label7

private:
    bool haveOffice();
    void runLedgerOutput(const std::vector<int> *list);
    void showNotice(const QString &caption);
    void hideNotice();

    Form11 &m_form;
    excel::Spreadsheet *m_office;
    MonthlyExplained &m_explained;
    bool m_show = true;
};

} // namespace kpv::ledger
