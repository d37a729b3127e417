// Screenshots of the settings screen for the README: a sample installation
// in a temporary folder, the window with the names and counts panel open,
// and with the word-list editor open on list 2.
//   kpv_settings_shot <folder for the PNG files>

#include "settings/form2.h"
#include "settings/names_panel.h"
#include "settings/pick_list_panel.h"
#include "storage/dolvb.h"
#include "tools/shot_support.h"
#include "ui/qt_busy_pointer.h"
#include "ui/qt_messages.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace kpv;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) return 2;
    const QString out = QString::fromLocal8Bit(argv[1]);
    kpv::shot::useScreenFont();
    QTemporaryDir dir;
    ui::QtMessages messages;
    ui::QtBusyPointer pointer;
    Dolvb d(messages, pointer);
    d.clientFolder = d.dataFolder = dir.path() + QLatin1Char('/');
    d.appTitle = QStringLiteral("KPV予備品管理");
    d.clientSettings.set(1, d.clientFolder);
    d.clientSettings.set(2, d.clientFolder);
    d.saveClientSettings();
    const char16_t *labels[] = {u"品番", u"品名", u"仕様", u"メーカー", u"保管場所", u"単位"};
    for (int r = 0; r < 6; ++r) d.sharedSettings.set(14 + r, QString::fromUtf16(labels[r]));
    const int counts[] = {30, 30, 20, 20, 10};
    for (int n = 2; n <= 6; ++n) d.sharedSettings.set(n + 1, QString::number(counts[n - 2]));
    d.sharedSettings.set(9, QStringLiteral("2026/04"));
    d.sharedSettings.set(22, QStringLiteral("100"));
    d.saveSharedSettings();
    const QStringList names{QStringLiteral("ベアリング"), QStringLiteral("Vベルト"), QStringLiteral("オイルシール"), QStringLiteral("Oリング"),
                            QStringLiteral("近接スイッチ"), QStringLiteral("電磁弁"), QStringLiteral("ヒューズ"), QStringLiteral("リレー"),
                            QStringLiteral("モーター"), QStringLiteral("減速機")};
    for (int i = 0; i < names.size(); ++i) d.pickListTable.setWord(i + 1, 2, names[i]);
    const QStringList units{QStringLiteral("個"), QStringLiteral("本"), QStringLiteral("台"), QStringLiteral("m"), QStringLiteral("箱")};
    for (int i = 0; i < units.size(); ++i) d.pickListTable.setWord(i + 1, 6, units[i]);
    d.savePickLists();

    settings::Form2 form(d, nullptr);
    form.move(0, 0);
    form.show();
    QTimer::singleShot(500, [&] {
        form.findChild<QPushButton *>(QStringLiteral("Command11"))->click();
        QApplication::processEvents();
        form.grab().save(out + QStringLiteral("/settings.png"));
        form.listButton(2)->click();
        QApplication::processEvents();
        form.grab().save(out + QStringLiteral("/word-list-editor.png"));
        QApplication::quit();
    });
    return app.exec();
}
