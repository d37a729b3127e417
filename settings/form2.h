#pragma once
// The settings screen form2: the menu column (data folder, names and
// counts, word-list workbook, back to the menu), the list information (the
// five list buttons, the start month, the backup and data-position switch
// boxes, the data folder path) and the panels Picture9 (names and counts),
// Picture6 (word-list editor), Picture2 (data folder) and Picture23 (the
// workbook's progress), shown and hidden in place.
//
// Loading reads SharedSettings and the word lists again, so every opening
// starts from the files. Nothing is saved by closing.

#include "settings/data_folder.h"
#include "settings/names_counts.h"
#include "settings/pick_list_editor.h"
#include "ui/clickable.h"

#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

#include <array>

namespace kpv::excel {
class Spreadsheet;
}

namespace kpv::settings {

class NamesPanel;
class PickListPanel;
class DataFolderPanel;

class Form2 : public QWidget {
    Q_OBJECT
public:
    // spreadsheet: the program's office (null: the workbook reports the
    // application failure).
    Form2(Dolvb &d, excel::Spreadsheet *spreadsheet, QDate today = QDate::currentDate(), QWidget *parent = nullptr);

    NamesPanel *namesPanel() const { return m_names; }
    PickListPanel *pickListPanel() const { return m_pickList; }
    DataFolderPanel *dataFolderPanel() const { return m_folder; }
    QWidget *progressPanel() const { return m_picture23; }
    // Lists 2..6.
    QPushButton *listButton(int list) const { return m_listButtons[size_t(list - 2)]; }
    QComboBox *startMonth() const { return m_combo4; }
    QLabel *startMonthLabel() const { return m_label27; }
    QLabel *backupOnBox() const;
    QLabel *backupOffBox() const;
    QLabel *setupPositionBox() const;
    QLabel *dataPositionBox() const;
    QLabel *dataFolderLabel() const;

    NamesCounts &namesCounts() { return m_namesCounts; }
    PickListEditor &editor() { return m_editor; }
    DataFolder &dataFolder() { return m_dataFolder; }

    // The reset at the start of most actions.
    void commonReset();
    // The word-list workbook (Command33).
    void writeWorkbook(const QDate &today);

private:
    void build();
    void load(const QDate &today);
    void showSwitches();
    void showListCaptions();
    void openNames();
    void openList(int list);
    void openDataFolder();
    void hidePanels();

    Dolvb &m_d;
    excel::Spreadsheet *m_spreadsheet;
    NamesCounts m_namesCounts;
    PickListEditor m_editor;
    DataFolder m_dataFolder;

    NamesPanel *m_names = nullptr;
    PickListPanel *m_pickList = nullptr;
    DataFolderPanel *m_folder = nullptr;
    ui::PictureBox *m_picture23 = nullptr;
    std::array<QPushButton *, 5> m_listButtons{};
    QComboBox *m_combo4 = nullptr;
    QLabel *m_label27 = nullptr;
    QLabel *m_label8 = nullptr;
    ui::ClickLabel *m_label18 = nullptr;
    ui::ClickLabel *m_label40 = nullptr;
    ui::ClickLabel *m_label41 = nullptr;
    ui::ClickLabel *m_label65 = nullptr;
    ui::ClickLabel *m_label66 = nullptr;
    QPushButton *m_command41 = nullptr;
    QPushButton *m_command33 = nullptr;
};

} // namespace kpv::settings
