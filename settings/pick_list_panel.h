#pragma once
// The word-list editor panel (Picture6): the list grid sf1Grid (entry
// number, hidden companion value, word), the entry editor Text1 with Enter
// and the arrow keys, the clear-below, insert, delete and swap buttons,
// "登　録" and "閉じる". The rules are PickListEditor's.

#include "settings/pick_list_editor.h"
#include "ui/clickable.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kpv::ui {
class FlexGrid;
}

namespace kpv::settings {

class PickListPanel : public ui::PictureBox {
    Q_OBJECT
public:
    PickListPanel(Dolvb &d, PickListEditor &editor, QWidget *parent);

    // The grid as the screen's load prepares it.
    void prepareGrid();
    // Opens list n and shows it.
    void openList(int list);
    // Shows the list from the memory table.
    void showList();

    ui::FlexGrid *grid() const { return m_grid; }
    QLineEdit *entryEditor() const { return m_text1; }
    QLabel *countLabel() const { return m_label1; }
    QLabel *titleLabel() const { return m_label2; }
    QPushButton *button(const QString &name) const;

signals:
    // The common reset of the screen, run before an operation.
    void resetRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showRow(const std::vector<PickEntry> &entries);
    void showCurrent(bool cleaned);
    void entered();
    void cellClicked(int row, int col);
    void runOp(BufferOp op);

    Dolvb &m_d;
    PickListEditor &m_editor;
    ui::FlexGrid *m_grid = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
};

} // namespace kpv::settings
