#pragma once
// The click sequences on inconspicuous spots of the menu that open its
// options and administration panels.

namespace kpv::menu {

enum class Spot { Label5, Label2, Label3, Label51, Label9, Picture6, Picture1, Label4 };

// What the menu does after a click.
struct ClickEffect {
    bool hidePanels = false;      // HideMenuPanels first
    bool showOptions = false;     // Picture20
    bool showAdministration = false; // Picture6
    bool hideAdministration = false;
    bool showDataFolder = false;  // Label18 and Label24
    bool operator==(const ClickEffect &) const = default;
};

class HiddenClicks {
public:
    ClickEffect click(Spot spot);
    int state() const { return m_state; }
    void reset() { m_state = 0; }

private:
    int m_state = 0;
};

} // namespace kpv::menu
