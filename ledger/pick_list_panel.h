#pragma once
// The word list panel of the card (Picture1): the caption of the field being
// edited, the number of words, the words of the current list with their
// numbers, "追記" to add the edited text to the list and "閉じる". A click on
// the panel's frame (Picture18) asks the screen to reset.

#include "ui/clickable.h"

#include <QRect>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

namespace kpv::ledger {

class PickListPanel : public ui::PictureBox {
    Q_OBJECT
public:
    explicit PickListPanel(QWidget *parent = nullptr);

    // Shows the panel with a caption, a word count and the entries.
    void showList(const QString &caption, int count, const QStringList &entries);
    // Its own place and size on the screen (twips).
    static QRect designedPlace() { return QRect(14160, 2280, 4500, 6240); }
    // Takes the place given (twips): a lower panel shows fewer words.
    void placeAt(const QRect &twips);

    QListWidget *list() const { return m_list1; }
    QLabel *captionLabel() const { return m_label2; }
    QLabel *countLabel() const { return m_label41; }
    QPushButton *appendButton() const { return m_command3; }
    QPushButton *closeButton() const { return m_command21; }
    ui::PictureBox *frame() const { return m_picture18; }

signals:
    void wordClicked(const QString &entry);
    void appendClicked();
    void resetRequested();

private:
    ui::PictureBox *m_picture18 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label41 = nullptr;
    QListWidget *m_list1 = nullptr;
    QPushButton *m_command3 = nullptr;
    QPushButton *m_command21 = nullptr;
};

} // namespace kpv::ledger
