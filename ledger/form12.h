#pragma once
// The mouse calculator: a small window over the ledger screen with a keypad
// of digits, letters and signs, a large display and a typing box over the
// display. Opened by the card for one cell (the entry router knows which)
// and bound to that entry: a confirmation writes the value back into the card
// through the router and closes the window, "閉じる" closes it without
// writing, and once the entry is over (the card moved on) nothing it holds is
// written. A value the card refuses leaves the window open. The large
// "決 定" takes what the user gave last: the keys' value, or the text typed
// into the box over the display, which the display follows as it is typed.
//
// The window opens at its place for the entry, moved as far as needed to lie
// wholly inside the screen's available area.
//
// The window deletes itself when closed; the card keeps at most one.

#include "ledger/calculator.h"

#include <QWidget>

#include <map>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kpv {
class Dolvb;
}

namespace kpv::ledger {

class EntryRouter;

class Form12 : public QWidget {
    Q_OBJECT
public:
    Form12(EntryRouter &router, Dolvb &d, QWidget *parent = nullptr);

    QLabel *readout() const { return m_readout; }
    QLineEdit *typingBox() const { return m_text1; }
    QPushButton *key(int index) const;
    QPushButton *cancelButton() const { return m_cancel; }     // "取消"
    QPushButton *confirmButton() const { return m_confirm; }   // "決 定"
    QPushButton *typedConfirmButton() const { return m_command2; }
    QPushButton *closeButton() const { return m_command1; }
    QPushButton *helpButton() const { return m_command40; }
    const Calculator &calculator() const { return m_calc; }

signals:
    // A value was written into the card.
    void written();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void keyClicked(int index);
    void cancelEntry();
    void confirmShown();
    void confirmTyped(bool fromEnter);
    void showReadout();
    void placeOnScreen();

    EntryRouter &m_router;
    Dolvb &m_d;
    Calculator m_calc;
    int m_entry = 0;       // the entry the window was opened for
    QPoint m_wanted;       // its place for the entry (screen pixels)
    QLabel *m_readout = nullptr;
    QLineEdit *m_text1 = nullptr;
    std::map<int, QPushButton *> m_keys;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_confirm = nullptr;
    QPushButton *m_command2 = nullptr;
    QPushButton *m_command1 = nullptr;
    QPushButton *m_command40 = nullptr;
};

} // namespace kpv::ledger
