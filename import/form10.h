#pragma once
// Form10, the import screen: from here the user picks the import folder and
// fills the ledger or the word lists from the two import books in it.
//
// The window only shows state and forwards clicks: the imports themselves
// are LedgerImport and WordListImport. States: idle (the two prepare buttons
// and 終了), ledger import prepared, word-list import prepared; 中止 goes
// back to idle. An import runs on the office's work thread behind the
// progress window (its 中止 stops it before anything is written); the
// running count and a progress bar show how far it is.

#include "ui/screen_seam.h"

#include <QWidget>

#include <functional>

class QComboBox;
class QFileSystemModel;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace kpv {
class Dolvb;
}
namespace kpv::excel {
class Spreadsheet;
}
namespace kpv::ui {
class ClickLabel;
class PictureBox;
} // namespace kpv::ui

namespace kpv::import {

class Form10 : public QWidget {
    Q_OBJECT
public:
    // services.spreadsheet: the program's office (nullptr: none available);
    // services.endProgram ends the program (the stop of all clients).
    explicit Form10(menu::ScreenServices &services, QWidget *parent = nullptr);

    // What a change of the folder chooser does: the folder becomes the import
    // folder in memory and its books are listed.
    void chooseFolder(const QString &path);
    // True when the load found all clients stopped (the program is ending).
    bool stoppedAtLoad() const { return m_stoppedAtLoad; }

private:
    void build();
    void load();
    void prepareLedgerImport();
    void prepareWordListImport();
    void cancel();
    void startLedgerImport();
    void startWordListImport();
    void registerFolder();
    void showFolderPanel(bool show);
    void explain();
    void explainList();
    QString importFolder() const;
    void showProgress(int done, int total);

    Dolvb &m_d;
    excel::Spreadsheet *m_office;
    std::function<void()> m_endProgram;
    bool m_stoppedAtLoad = false;

    QLabel *m_label1 = nullptr;
    QLabel *m_label4 = nullptr;   // data folder
    ui::ClickLabel *m_label3 = nullptr; // import folder
    QLabel *m_label5 = nullptr;   // count
    QLabel *m_label8 = nullptr;   // what is imported
    QLabel *m_label11 = nullptr;  // lit red when the ledger import completed
    QProgressBar *m_progress = nullptr;
    QPushButton *m_command5 = nullptr;
    QPushButton *m_command10 = nullptr;
    QPushButton *m_command6 = nullptr;
    QPushButton *m_command11 = nullptr;
    QPushButton *m_command8 = nullptr;
    QPushButton *m_command7 = nullptr;
    QPushButton *m_command44 = nullptr;
    // Folder panel.
    ui::PictureBox *m_picture2 = nullptr;
    QComboBox *m_drive3 = nullptr;
    QTreeView *m_dir3 = nullptr;
    QFileSystemModel *m_dirModel = nullptr;
    QLabel *m_label10 = nullptr;
    QListWidget *m_list1 = nullptr;
    QPushButton *m_command9 = nullptr;
    QPushButton *m_command2 = nullptr;
};

} // namespace kpv::import
