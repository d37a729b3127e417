#pragma once
// The start-up sequence: it runs when the menu loads, at program start and
// again at every return to the menu, and establishes the process-wide values
// every screen reads. Running it again is harmless; the login state survives.

#include <QDate>
#include <QString>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

// The product title and version shown in every window caption.
QString appTitle();

// What the menu shows after the start-up.
struct MenuLayout {
    QString machineName;
    QString dateText;        // "yyyy/mm/dd"
    QString dataFolderText;  // shown only on request
    QString colourNumber;    // SharedSettings slot 49 as stored
    QString logoOffset;      // ClientSettings slot 7, trimmed
    int logoLeftTwips = 16000;
    // Switches as they are stored.
    bool showLogo = false;
    bool hideExplanations = false;
    bool readOnly = false;
    bool commonDocuments = false;
    bool monthlyImport = false;
    bool decimalQuantities = false;
    bool administrator = false;
    bool allClientsStopped = false;
    bool loginRequired = false;
    // The password panel is shown.
    bool loginPanelVisible = false;
};

class StartupSequence {
public:
    // Runs the sequence for the client folder already set in d (the program's
    // folder with its separator). today is the date shown and used for a new
    // installation.
    static MenuLayout run(Dolvb &d, QDate today);
};

} // namespace kpv::menu
