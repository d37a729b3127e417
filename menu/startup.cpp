#include "menu/startup.h"

#include "ui/background_palette.h"
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
    // An empty, one-character or relative data folder is a wrong data
    // folder: the load asks to go back to the program folder.
    const QString folderAsSet = d.dataFolder;
    bool sharedKnown = d.loadSharedSettings();
    // After the load: a wrong data folder answered "はい" has just moved the
    // client back to its own folder, which may be new.
    if (FirstStart::setUpSharedSettings(d, today)) sharedKnown = true;
    // What the program folder's store says about a stop set on the data
    // folder it replaced is no answer.
    if (d.dataFolder != folderAsSet) sharedKnown = false;
    FirstStart::setUpPickLists(d);
    d.pointer().setBusy(false);

    // A stop mark left over from a stop that has been lifted (by another
    // administrator PC) must not exempt this PC from a later stop. Only a
    // store that was read says the stop is lifted: after a failed load the
    // mark stays, or the PC that set the stop would be locked out by it.
    if (sharedKnown && d.clientSettings.isOn(client::kStopMark) && !d.sharedSettings.isOn(shared::kAllClientsStopped))
        d.changeClientSettings({{client::kStopMark, QStringLiteral("0")}});

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
