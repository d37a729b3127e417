#pragma once
// The start-of-use chooser of the card (Picture21): a drop-down list of the
// months from ten years back to next year and "取消", which empties the
// start of use.

#include "ui/clickable.h"

#include <QRect>

class QComboBox;
class QLabel;
class QPushButton;

namespace kpv::ledger {

class StartOfUsePanel : public ui::PictureBox {
    Q_OBJECT
public:
    // currentYear: the year the screen opened in.
    StartOfUsePanel(int currentYear, QWidget *parent = nullptr);

    // Its own place and size on the screen (twips).
    static QRect designedPlace() { return QRect(14160, 2280, 3000, 1500); }

    QComboBox *combo() const { return m_combo1; }
    QPushButton *cancelButton() const { return m_command38; }

signals:
    void chosen(const QString &entry);
    void cancelled();

private:
    QLabel *m_label4 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QPushButton *m_command38 = nullptr;
};

} // namespace kpv::ledger
