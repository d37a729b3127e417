// Renders the screens and panels that the user guide shows and the other
// screenshot tools do not, each into a PNG of the docs folder:
//   guide_shot <program folder> <data folder> <docs folder>
// The data folder (a copy of the example ledger) is used as client and data
// folder of an administrator's PC; the program folder lends its books. Each
// screen is built as the menu builds it and driven by its own buttons;
// nothing is registered, so the ledger stays as it was.
//
//   menu-options.png     the menu's option switches
//   menu-admin.png       the menu's administration switches
//   menu-examples.png    the operating examples
//   menu-login.png       the login password panel at start
//   common-documents.png the common documents
//   start-of-use.png     the card's start-of-use chooser
//   delete.png           the delete panel after a row was deleted
//   monthly.png          the monthly receipts/issues panel
//   data-folder.png      the settings screen's data folder panel
#include "app/work_screens.h"
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "menu/common_documents.h"
#include "menu/menu_host.h"
#include "search/panel_list.h"
#include "search/sort_panel.h"
#include "settings/form2.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/settings_slots.h"
#include "storage/settings_store.h"
#include "tools/shot_support.h"
#include "ui/clickable.h"
#include "ui/flex_grid.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QFile>
#include <QPixmap>
#include <QPushButton>
#include <QTreeView>

#include <cstdio>

namespace {

QString g_docs;
bool g_ok = true;

void save(QWidget *w, const char *name)
{
    QApplication::processEvents();
    const QString path = g_docs + QLatin1Char('/') + QString::fromLatin1(name);
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "guide_shot: cannot write %s\n", qPrintable(path));
        g_ok = false;
    }
}

template <class T = QWidget> T *control(QWidget *w, const char *name)
{
    T *c = w->findChild<T *>(QString::fromLatin1(name));
    if (!c) {
        std::fprintf(stderr, "guide_shot: no %s\n", name);
        std::exit(1);
    }
    return c;
}

// A click on a label that reacts to clicks (the menu's hidden spots).
void clickSpot(QWidget *w, const char *name) { QMetaObject::invokeMethod(control(w, name), "clicked"); }
void press(QWidget *w, const char *name) { control<QPushButton>(w, name)->click(); }

void setSlots(const QString &path, std::initializer_list<std::pair<int, const char *>> values)
{
    kpv::SettingsSlots s;
    kpv::readSettingsFile(path, s);
    for (const auto &[slot, text] : values) s.set(slot, QString::fromUtf8(text));
    kpv::writeSettingsFile(path, s);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc != 4) {
        std::fprintf(stderr, "usage: guide_shot PROGRAM_FOLDER DATA_FOLDER DOCS_FOLDER\n");
        return 2;
    }
    kpv::shot::useScreenFont();
    const QString program = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    g_docs = QString::fromLocal8Bit(argv[3]);
    kpv::shot::World world(argv[2]);
    kpv::Dolvb &d = world.d;
    const QString folder = d.clientFolder;
    namespace client = kpv::slot::client;
    namespace shared = kpv::slot::shared;

    // The books of the program folder, and a few common documents.
    QDir(folder).mkpath(kpv::names::templatesFolder());
    QDir(folder).mkpath(kpv::names::materialsFolder());
    for (const char *book : {"在庫出力台帳.xls", "Mb入出庫月報.xls"})
        QFile::copy(program + kpv::names::templatesFolder() + QLatin1Char('/') + QString::fromUtf8(book),
                    folder + kpv::names::templatesFolder() + QLatin1Char('/') + QString::fromUtf8(book));
    QFile::copy(program + kpv::names::templatesFolder() + QStringLiteral("/Mb入出庫月報.xls"),
                folder + kpv::names::materialsFolder() + QStringLiteral("/Mb入出庫月報.xls"));
    for (const char *doc : {"ポンプ点検手順書.pdf", "予備品発注先一覧.xls"}) {
        QFile f(folder + kpv::names::materialsFolder() + QLatin1Char('/') + QString::fromUtf8(doc));
        f.open(QIODevice::WriteOnly);
        f.write(QByteArray(2048, ' '));
    }
    setSlots(folder + kpv::names::clientSettings(), {{client::kDataFolder, folder.toUtf8().constData()},
                                                     {client::kPreviousDataFolder, folder.toUtf8().constData()},
                                                     {client::kDataFolderState, "0"},
                                                     {client::kAdministrator, "1"},
                                                     {client::kLedgerBackup, "1"}});
    setSlots(folder + kpv::names::sharedSettings(),
             {{shared::kShowStartOfUse, "1"}, {shared::kCommonDocuments, "1"}, {shared::kMonthlyImport, "1"}});

    kpv::ledger::MonthlyExplained explained;
    {
        kpv::menu::MenuHost host(d, nullptr, [] {});
        kpv::app::registerWorkScreens(host, explained);
        host.showMenu();
        QWidget *menu = host.menu();
        clickSpot(menu, "Label5");
        clickSpot(menu, "Label2");
        save(menu, "menu-options.png");
        clickSpot(menu, "Label51");
        clickSpot(menu, "Label9");
        save(menu, "menu-admin.png");
        clickSpot(menu, "Picture1");
        press(menu, "Command12");
        save(menu, "menu-examples.png");
        press(menu, "Command14");

        // The common documents open over the menu.
        kpv::menu::ScreenServices services{d, nullptr, [] {}};
        kpv::menu::CommonDocuments docs(services);
        docs.show();
        save(&docs, "common-documents.png");
        docs.hide();
        delete host.menu();
    }

    {
        kpv::ledger::Form11 w(d);
        new kpv::ledger::WorkbookCommands(w, nullptr, explained);
        w.show();
        // The card of the third item, its start of use being chosen.
        w.session().setListCell(5, 1);
        w.session().openCorrectCard();
        w.refresh();
        auto *fields = control<kpv::ui::FlexGrid>(&w, "MSFlexGrid1");
        fields->setRow(1);
        fields->setCol(10);
        w.entryHelpers().fieldGridClicked(10);
        save(&w, "start-of-use.png");
        w.fom11gamencler();

        // The delete panel after the third row was deleted (not registered).
        w.sorting().openDelete();
        auto *rows = control<kpv::search::PanelList>(&w, "MSFlexGrid3");
        rows->setRow(3);
        rows->setCol(1);
        w.sorting().deleteRow();
        save(&w, "delete.png");
        w.sorting().closeDelete();

        // The monthly panel (its first click explains itself; the answer
        // changes nothing).
        w.monthlyImport->click();
        save(&w, "monthly.png");
    }

    {
        kpv::settings::Form2 f(d, nullptr);
        f.show();
        press(&f, "Command39");
        // The folder chooser from the folder that holds the data folder: the
        // rest of this PC's folders is nobody's business in a picture.
        auto *tree = control<QTreeView>(&f, "Dir3");
        if (auto *model = qobject_cast<QFileSystemModel *>(tree->model())) {
            QDir above(folder);
            above.cdUp();
            const QModelIndex root = model->index(above.path());
            tree->setRootIndex(root);
            QElapsedTimer waited;
            waited.start();
            while (model->rowCount(root) == 0 && waited.elapsed() < 3000) QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        save(&f, "data-folder.png");
    }

    // A PC that must give the login password at start.
    setSlots(folder + kpv::names::sharedSettings(), {{shared::kLoginRequired, "1"}});
    {
        kpv::menu::MenuHost host(d, nullptr, [] {});
        host.showMenu();
        save(host.menu(), "menu-login.png");
        delete host.menu();
    }
    return g_ok ? 0 : 1;
}
