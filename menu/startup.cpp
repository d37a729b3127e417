#include "menu/startup.h"

#include "menu/background_palette.h"
#include "menu/first_start.h"
#include "menu/menu_slots.h"
#include "menu/platform.h"
#include "storage/dolvb.h"
#include "storage/text.h"

namespace kpv::menu {

QString appTitle() { return QStringLiteral("KPV予備品管理20261209"); }

MenuLayout StartupSequence::run(Dolvb &d, QDate today)
{
    MenuLayout m;
    d.machineName = machineName();
    d.ledgerCapacity = 50010;
    d.appTitle = appTitle();

    FirstStart::setUpClient(d);
    d.loadClientSettings();
    d.dataFolder = normalizeFolderPath(d.clientSettings.value(client::kDataFolder));
    d.loadSharedSettings();
    // After the load: a wrong data folder answered "はい" has just moved the
    // client back to its own folder, which may be new.
    FirstStart::setUpSharedSettings(d, today);
    FirstStart::setUpPickLists(d);
    d.pointer().setBusy(false);

    // A stop mark left over from a stop that has been lifted (by another
    // administrator PC) must not exempt this PC from a later stop.
    if (d.clientSettings.isOn(client::kStopMark) && !d.sharedSettings.isOn(shared::kAllClientsStopped)) {
        d.clientSettings.set(client::kStopMark, QStringLiteral("0"));
        d.saveClientSettings();
    }

    m.machineName = d.machineName;
    m.colourNumber = d.sharedSettings.value(shared::kBackgroundColour);
    applyBackgroundColour(d);
    m.logoOffset = d.clientSettings.value(client::kLogoOffset).trimmed();
    m.logoLeftTwips = 16000 + int(d.clientSettings.number(client::kLogoOffset));
    m.dataFolderText = d.dataFolder;
    m.dateText = today.toString(QStringLiteral("yyyy/MM/dd"));
    d.entryTarget = 0;

    m.showLogo = d.clientSettings.isOn(client::kShowLogo);
    m.hideExplanations = d.clientSettings.isOn(client::kHideExplanations);
    m.readOnly = d.clientSettings.isOn(client::kReadOnly);
    m.administrator = d.clientSettings.isOn(client::kAdministrator);
    m.commonDocuments = d.sharedSettings.isOn(shared::kCommonDocuments);
    m.monthlyImport = d.sharedSettings.isOn(shared::kMonthlyImport);
    m.decimalQuantities = d.sharedSettings.isOn(shared::kDecimalQuantities);
    m.allClientsStopped = d.sharedSettings.isOn(shared::kAllClientsStopped);
    m.loginRequired = d.sharedSettings.isOn(shared::kLoginRequired);

    if (!m.loginRequired) {
        d.loginPending = 0;
    } else if (d.subScreenOpened == 0) {
        d.loginPending = 1;
    }
    // Once the password was given in this run it is not asked again.
    m.loginPanelVisible = m.loginRequired && d.loginPending == 1;
    return m;
}

} // namespace kpv::menu
