#pragma once
// The data-folder panel (Picture2): drive list Drive3, folder tree Dir3,
// the files of the shown folder List2, the previous folder Label19, the path
// entry Text4 over the shown folder Label18 (which belongs to the list
// information and is handed in), "データ転送", "登　録", "閉じる", "説明".
// The rules are DataFolder's.

#include "settings/data_folder.h"
#include "ui/clickable.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>

class QFileSystemModel;

namespace kpv::settings {

class DataFolderPanel : public ui::PictureBox {
    Q_OBJECT
public:
    DataFolderPanel(Dolvb &d, DataFolder &rules, ui::ClickLabel *label18, QWidget *parent);

    // Opens the panel (Command39).
    void openPanel();
    // Shows the data folder in Label18 and Text4, its files in List2, and
    // points the folder tree at it.
    void showFolder(const QString &folder);
    void resetEditors();

    QLineEdit *pathEditor() const { return m_text4; }
    QListWidget *files() const { return m_list2; }
    QLabel *previousLabel() const { return m_label19; }
    QLabel *changeSign() const { return m_label22; }
    QPushButton *transferButton() const { return m_transfer; }
    QPushButton *registerButton() const { return m_register; }
    QPushButton *explainButton() const { return m_explain; }
    QTreeView *folderTree() const { return m_dir3; }

    // After the folder moved: Label22 red (and Label8 when registering).
    void markChanged();

signals:
    // The data position changed (the list information shows it again).
    void positionChanged();

private:
    void listFiles(const QString &folder);
    void goTo(const QString &folder);
    void browsed(const QModelIndex &index);
    void typed();

    Dolvb &m_d;
    DataFolder &m_rules;
    ui::ClickLabel *m_label18;
    QComboBox *m_drive3 = nullptr;
    QTreeView *m_dir3 = nullptr;
    QFileSystemModel *m_model = nullptr;
    QListWidget *m_list2 = nullptr;
    QLineEdit *m_text4 = nullptr;
    QLabel *m_label19 = nullptr;
    QLabel *m_label22 = nullptr;
    QLabel *m_picture4 = nullptr;
    QPushButton *m_transfer = nullptr;
    QPushButton *m_register = nullptr;
    QPushButton *m_explain = nullptr;
    bool m_navigating = false;
};

} // namespace kpv::settings
