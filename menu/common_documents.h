#pragma once
// The common documents screen "予備品共通資料": the files of the data
// folder's "M在庫資料", newest first, with a box that narrows the list by
// part of the name. The chosen file opens in the office (spreadsheet files)
// or in the desktop's default application. It opens over the menu, which
// stays loaded; "戻る" closes it.

#include "menu/common_documents_list.h"
#include "ui/screen_seam.h"

#include <QWidget>

#include <functional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kpv::ui {
class FlexGrid;
}

namespace kpv::menu {

class CommonDocuments : public QWidget {
    Q_OBJECT
public:
    // Opens a file outside the office; true when it was handed over.
    using DesktopOpener = std::function<bool(const QString &path)>;

    // desktopOpen: the desktop's default application when not given.
    explicit CommonDocuments(ScreenServices &services, DesktopOpener desktopOpen = {}, QWidget *parent = nullptr);

    // Reads the folder again and shows the list under the current filter.
    void reload();
    // Opens the file of list row (from 1). False when it could not be opened
    // (the user was told).
    bool openRow(int row);
    const std::vector<DocumentEntry> &shown() const { return m_shown; }

    QLabel *folder = nullptr;      // Label1: the folder shown
    QLineEdit *filter = nullptr;   // Text1: part of the name
    ui::FlexGrid *list = nullptr;  // MSFlexGrid1: name, updated, size
    QPushButton *open = nullptr;   // Command1 "開　く"
    QPushButton *refresh = nullptr; // Command2 "最新表示"
    QPushButton *back = nullptr;   // Command4 "戻　る"

private:
    void showList();
    QString folderPath() const;

    ScreenServices &m_services;
    DesktopOpener m_desktopOpen;
    std::vector<DocumentEntry> m_all;
    std::vector<DocumentEntry> m_shown;
};

} // namespace kpv::menu
