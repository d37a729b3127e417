#pragma once
// The option switches of the menu: each asks its question, stores "1" or "0"
// in its slot, saves the store and tells the screen how to paint its box.

#include <QString>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

// The switches that follow the common pattern (question, store, save, paint).
enum class Switch {
    DecimalQuantities, // Label34, SharedSettings slot 21
    MonthlyImport,     // Label21, SharedSettings slot 20
    CommonDocuments,   // Label33, SharedSettings slot 12
    ReadOnly,          // Label81, ClientSettings slot 19
    HideExplanations,  // Label50, ClientSettings slot 14
    LoginRequired,     // Label108, SharedSettings slot 8
    ShowLogo,          // Label45, ClientSettings slot 6
};

struct SwitchOutcome {
    bool stored = false; // the answer is in the file; paint the box
    bool on = false;
};

enum class AdminOutcome {
    Unchanged,
    On,               // Label44 pink; the six administrator labels shown
    Off,              // Label44 white; the six labels hidden
    OffAndStopLifted, // Label44 and Label14 white; Label13 and Label14 hidden
};

enum class StopOutcome { Refused, Unchanged, On, Off };

class OptionSwitches {
public:
    explicit OptionSwitches(Dolvb &d) : m_d(d) {}

    static QString question(Switch s);
    static QString objectName(Switch s); // the box, e.g. "Label34"

    SwitchOutcome toggle(Switch s);

    // Label44: administrator rights of this PC.
    AdminOutcome administrator();
    // Label14: stop or release all clients (administrators only).
    StopOutcome stopAllClients();
    // Label13: release the stop (shown to administrators only). True when
    // the stop was released (Label14 white).
    bool releaseStop();
    // Combo1: the logo's left offset; returns the logo's left in twips.
    int setLogoOffset(const QString &text);

    // Combo5: the chosen colour number is shown at once; confirmBackground
    // then asks and keeps it or brings back the colour in force before.
    void previewBackground(const QString &number);
    bool confirmBackground();

    // Command15: the explanation of the administration panel.
    void explainAdministration();

private:
    Dolvb &m_d;
    QString m_colourBeforePreview;
    QString m_previewNumber;
};

} // namespace kpv::menu
