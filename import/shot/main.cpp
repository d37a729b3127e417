// Renders the import screen for the README:
//   kpv_form10_shot <program folder> <png>
// The screen opens on a temporary data folder whose import folder is the
// program's example books folder, with the ledger import prepared (the
// folder panel listing the books). Nothing outside the temporary folder
// changes. Run it with any Qt platform (offscreen works).

#include "import/form10.h"
#include "excel/import_books.h"
#include "storage/dolvb.h"
#include "storage/settings_slots.h"
#include "storage/settings_store.h"
#include "tools/shot_support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QPushButton>
#include <QThread>
#include <QTreeView>
#include <QTemporaryDir>

#include <cstdio>

using namespace kpv;

namespace {
class NoMessages : public Messages {
public:
    bool ask(const QString &, const QString &) override { return false; }
    void tell(const QString &, const QString &) override {}
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kpv_form10_shot <program folder> <png>\n");
        return 2;
    }
    kpv::shot::useScreenFont();
    QTemporaryDir tmp;
    const QString data = tmp.path() + QStringLiteral("/データ/");
    QDir().mkpath(data);
    // The example books, copied to a folder of the temporary one.
    const QString shipped = QDir(QString::fromLocal8Bit(argv[1])).absolutePath() + QLatin1Char('/')
                            + import::exampleBooksFolder() + QLatin1Char('/');
    const QString examples = tmp.path() + QLatin1Char('/') + import::exampleBooksFolder() + QLatin1Char('/');
    QDir().mkpath(examples);
    for (const QString &name : {import::ledgerBookName(), import::wordListBookName()}) QFile::copy(shipped + name, examples + name);

    NoMessages messages;
    NoBusyPointer pointer;
    Dolvb d(messages, pointer);
    d.clientFolder = data;
    d.dataFolder = data;
    d.clientSettings.set(slot::client::kDataFolder, data);
    d.sharedSettings.set(slot::shared::kImportFolder, examples);
    writeSettingsFile(d.sharedSettingsPath(), d.sharedSettings);
    d.appTitle = QStringLiteral("予備品在庫管理");

    menu::ScreenServices services{d, nullptr, {}};
    import::Form10 form(services);
    form.show();
    form.findChild<QPushButton *>(QStringLiteral("Command5"))->click();
    // The folder tree shows the temporary folder only.
    if (auto *dir3 = form.findChild<QTreeView *>(QStringLiteral("Dir3")))
        if (auto *model = qobject_cast<QFileSystemModel *>(dir3->model())) {
            dir3->setRootIndex(model->index(tmp.path()));
            dir3->expandAll();
        }
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    const bool ok = form.grab().save(QString::fromLocal8Bit(argv[2]));
    return ok ? 0 : 1;
}
