#pragma once
// The way from the menu into the work screens and its gates: the read-only
// client (import only), the stop of all clients and the login password, in
// that order.

#include "storage/all_clients_stop.h"

#include <QString>

namespace kpv {
class Dolvb;
}

namespace kpv::menu {

enum class Screen {
    Ledger,          // Form11
    Import,          // Form10
    Settings,        // form2
    CommonDocuments, // opens over the menu
};

// The name the screen's window carries.
QString screenName(Screen s);

// Opens a work screen. The program shows the real screens; tests record.
class ScreenOpener {
public:
    virtual ~ScreenOpener() = default;
    virtual void open(Screen screen) = 0;
};

enum class GateResult {
    Refused,      // a gate said no; the menu stays as it was
    OpenedOver,   // the screen opened over the menu, which stays
    OpenedInstead // the screen opened; the menu unloads now
};

class MenuGates {
public:
    MenuGates(Dolvb &d, ScreenOpener &opener) : m_d(d), m_opener(opener) {}

    // The buttons 予備品管理, 予備品インポート, 初期設定 and 予備品共通資料.
    GateResult open(Screen screen);

    // The login password panel: the typed text is checked; accepted clears
    // the pending login. Refused tells the user.
    bool submitLogin(const QString &typed);

private:
    bool loginGatePasses();
    Dolvb &m_d;
    ScreenOpener &m_opener;
};


} // namespace kpv::menu
