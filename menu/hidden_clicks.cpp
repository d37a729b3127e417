#include "menu/hidden_clicks.h"

namespace kpv::menu {

ClickEffect HiddenClicks::click(Spot spot)
{
    ClickEffect e;
    switch (spot) {
    case Spot::Label5:
        e.hidePanels = true;
        m_state = 1;
        break;
    case Spot::Label2:
    case Spot::Label3:
        if (m_state == 1) {
            e.hidePanels = true;
            e.showOptions = true;
            m_state = 0;
        }
        break;
    case Spot::Label51:
        m_state = 2;
        break;
    case Spot::Label9:
        e.hidePanels = true;
        e.showAdministration = m_state == 2;
        break;
    case Spot::Picture6:
        e.hideAdministration = true;
        break;
    case Spot::Picture1:
        e.hidePanels = true;
        break;
    case Spot::Label4:
        e.showDataFolder = true;
        break;
    }
    return e;
}

} // namespace kpv::menu
