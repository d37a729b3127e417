#pragma once
// The card's entry tools on the ledger screen: the text box (Text1), the word
// list panel, the start-of-use chooser and the one calculator window, driven
// by the entry router. The screen hosts them: it forwards clicks on the field
// grid, the monthly grid and the item number, and closes them (closeTools)
// whenever the open entry ends; the card's owner decides when that is.
//
// The word list and the chooser open beside the card, where they cover none
// of its controls (entry_panels.h).

#include "ledger/entry_router.h"

#include <QObject>
#include <QPointer>

class QLineEdit;
class QWidget;

namespace kpv::ledger {

class Form12;
class PickListPanel;
class StartOfUsePanel;

class EntryHelpers : public QObject {
    Q_OBJECT
public:
    // screen: the window the text box and the panels are placed on; text1:
    // the screen's own text box, or nullptr to make one.
    EntryHelpers(Dolvb &d, EntryRouter &router, QWidget *screen, int currentYear, QLineEdit *text1 = nullptr);
    ~EntryHelpers() override;

    EntryRouter &router() { return m_router; }
    QLineEdit *textBox() const { return m_text1; }
    PickListPanel *pickListPanel() const { return m_picture1; }
    StartOfUsePanel *startOfUsePanel() const { return m_picture21; }
    Form12 *calculator() const;  // the open calculator, nullptr when none
    // The card panel the word list and the chooser keep clear of (a child
    // of the screen); none: they take their own places.
    void setCardPanel(QWidget *card) { m_cardPanel = card; }

    void fieldGridClicked(int col);
    void monthGridClicked(int row, int col);
    void itemNumberClicked();
    // Closes the calculator and hides the text box, the word list and the
    // chooser; nothing they hold is written.
    void closeTools();
    // "説明" of the card: how to move it.
    void showMoveCardHelp();

signals:
    // The word panel's frame was clicked: the screen resets itself.
    void resetRequested();
    // The card's values or cells changed: the screen shows the card again.
    void cardChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void hidePanels();
    void closeCalculator();
    void openCalculator();
    void showPickList(const QString &caption);
    void placeBesideCard(QWidget *panel, const QRect &designed);

    Dolvb &m_d;
    EntryRouter &m_router;
    QWidget *m_screen;
    QWidget *m_cardPanel = nullptr;
    QLineEdit *m_text1 = nullptr;
    PickListPanel *m_picture1 = nullptr;
    StartOfUsePanel *m_picture21 = nullptr;
    QPointer<Form12> m_calculator;
    QString m_caption;
};

} // namespace kpv::ledger
