#pragma once
// Setting up a new installation without asking: a client that has no
// settings file of its own starts stand-alone on its client folder, and a
// client folder that holds no shared data yet gets empty word lists, the
// usual item labels and the current business year as management start.
//
// The client folder is the program's folder, except for a program installed
// from the package: that folder is shared by every user of the PC and
// nobody writes into it, so each user gets a client folder of their own
// under their data folder (~/.local/share/kpv/), made from the program
// folder at their first start.

#include <QDate>
#include <QString>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

class FirstStart {
public:
    // The file that marks the program folder of an installed program.
    static QString installedMarker();
    static bool isInstalledFolder(const QString &programFolder);
    // <userDataHome>/kpv/
    static QString userClientFolder(const QString &userDataHome);

    // The client folder of this run, ending with one separator: the program
    // folder itself, or, for an installed program, the user's own client
    // folder. That folder is made without a question when it is missing,
    // with the program folder's sub-folders (templates, import books,
    // pictures) copied in; later starts only add files a newer installation
    // brought and never touch a file that is there. When it cannot be made,
    // the user is told and the program runs on the program folder.
    static QString clientFolderFor(Dolvb &d, const QString &programFolder, const QString &userDataHome);

    // A client without a ClientSettings file: slots 1 and 2 = the client
    // folder, slot 3 = "0", saved. Call before the client settings are loaded.
    // True when the client was set up.
    static bool setUpClient(Dolvb &d);

    // When SharedSettings is kept in the client folder (stand-alone) and its
    // file is missing: a new store with the item labels, pick-list counts "0"
    // and the start month, saved. A separate data folder without the file is
    // left alone: that is a wrong data folder, which loading reports.
    // Call after the shared settings were loaded (the new store replaces
    // what the load left in memory). True when it was created.
    static bool setUpSharedSettings(Dolvb &d, QDate today);

    // A data folder's workbook folders ("M在庫資料", "M在庫台帳") when
    // missing, and the daily receipts/issues book "M在庫資料/Mb入出庫月報.xls"
    // copied from the program folder's blank when missing. Done for a new
    // stand-alone folder and by the settings screen for a new data folder.
    // True when the book is there afterwards.
    static bool setUpDailyBook(const Dolvb &d, const QString &dataFolder);

    // Creates the pick-list files missing from an existing data folder that
    // has its SharedSettings file, as empty lists (a count that says
    // otherwise is set to "0" and saved). Returns the number of files created.
    static int setUpPickLists(Dolvb &d);

    // "yyyy/04" of the business year that contains the given day (April to
    // March).
    static QString businessYearApril(QDate today);

    // The file name of pick-list 2..6 ("Mb在庫品02.dat").
    static QString pickListFileName(int list);
};

} // namespace kpv::menu
