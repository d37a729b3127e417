#pragma once
// The names and counts panel (Picture9): the grid of the six item labels and
// the five list counts, the label editor Text2, the count chooser Combo1, the
// upper bound Combo2 (written at once, Label6 turns red), "登　録" and
// "閉じる". The rules are NamesCounts'; this panel shows and forwards.

#include "settings/names_counts.h"
#include "ui/clickable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kpv::ui {
class FlexGrid;
}

namespace kpv::settings {

class NamesPanel : public ui::PictureBox {
    Q_OBJECT
public:
    NamesPanel(Dolvb &d, NamesCounts &rules, QWidget *parent);

    // Fills the grid from SharedSettings and the count choices from N.
    void fill();
    void fillChoices();
    // The common reset's part here.
    void resetEditors();
    void resetHighlights();

    ui::FlexGrid *grid() const { return m_grid; }
    QLineEdit *labelEditor() const { return m_text2; }
    QComboBox *countChooser() const { return m_combo1; }
    QComboBox *boundChooser() const { return m_combo2; }
    QLabel *boundSign() const { return m_label6; }
    QPushButton *registerButton() const { return m_register; }
    QPushButton *closeButton() const { return m_close; }
    QPushButton *explainButton() const { return m_explain; }

signals:
    // Labels changed in memory (the list buttons show them).
    void labelsChanged();

private:
    void cellClicked(int row, int col);
    void labelEntered();
    void countChosen(int index);
    void boundChosen(int index);

    Dolvb &m_d;
    NamesCounts &m_rules;
    ui::FlexGrid *m_grid = nullptr;
    QLineEdit *m_text2 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QComboBox *m_combo2 = nullptr;
    QLabel *m_label6 = nullptr;
    QPushButton *m_register = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_explain = nullptr;
    int m_editRow = -1;
};

} // namespace kpv::settings
