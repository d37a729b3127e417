// Every screen and panel as assistive technology reads it, opened from the
// menu as the program opens them, on a copy of the example ledger:
//  - every visible label that shows words or numbers reads as what it shows;
//  - the value labels name their value and say what it is (description);
//  - every switch box reads as a check box in the state its colour shows,
//    and pressing it through assistive technology switches it;
//  - every visible button reads as its caption, every text box, list, grid
//    and chooser has a name, and every grid cell reads as its text.
#include "app/work_screens.h"
#include "ledger/entry_helpers.h"
#include "ledger/form11.h"
#include "ledger/form12.h"
#include "menu/menu_host.h"
#include "scripted_messages.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/settings_slots.h"
#include "storage/settings_store.h"
#include "temp_folder.h"
#include "ui/colours.h"
#include "ui/flex_grid.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

using namespace kpv;
using namespace kpv::testing;

namespace {

QAccessibleInterface *reading(QObject *o) { return QAccessible::queryAccessibleInterface(o); }

// Text without any blank (captions space their letters with blanks of both
// widths; a reading may trim or fold them).
QString squeezed(const QString &s)
{
    QString out;
    for (QChar c : s)
        if (!c.isSpace()) out += c;
    return out;
}

bool hasWords(const QString &s)
{
    return std::any_of(s.begin(), s.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

QString where(const QWidget *w)
{
    QStringList path;
    for (const QWidget *p = w; p; p = p->parentWidget())
        path.prepend(p->objectName().isEmpty() ? QString::fromLatin1(p->metaObject()->className()) : p->objectName());
    return path.join(QLatin1Char('/'));
}

// What a reader of the window cannot read, one line per problem.
QStringList unreadable(QWidget *window)
{
    QStringList out;
    const auto shown = [window](const QWidget *w) { return window->isVisible() && w->isVisibleTo(window); };
    for (QLabel *l : window->findChildren<QLabel *>()) {
        if (!shown(l) || !hasWords(l->text())) continue;
        const QString name = reading(l)->text(QAccessible::Name);
        if (!squeezed(name).contains(squeezed(l->text())))
            out << QStringLiteral("%1 shows \"%2\" but reads \"%3\"").arg(where(l), l->text(), name);
    }
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (!shown(b)) continue;
        const QString name = reading(b)->text(QAccessible::Name);
        if (name.trimmed().isEmpty() || squeezed(name) != squeezed(b->text()))
            out << QStringLiteral("%1 \"%2\" reads \"%3\"").arg(where(b), b->text(), name);
    }
    QList<QWidget *> inputs;
    for (QLineEdit *e : window->findChildren<QLineEdit *>())
        if (!qobject_cast<QComboBox *>(e->parentWidget())) inputs << e;
    for (QComboBox *c : window->findChildren<QComboBox *>()) inputs << c;
    for (QAbstractItemView *v : window->findChildren<QAbstractItemView *>())
        if (!qobject_cast<QHeaderView *>(v) && v->objectName() != QLatin1String("qt_scrollarea_viewport")) inputs << v;
    for (QProgressBar *p : window->findChildren<QProgressBar *>()) inputs << p;
    for (QWidget *w : inputs)
        if (shown(w) && reading(w)->text(QAccessible::Name).trimmed().isEmpty()) out << where(w) + QStringLiteral(" has no name");
    // Grids (the FlexGrids and the sort and delete panel's list): every cell
    // reads as the text it shows.
    for (QTableView *g : window->findChildren<QTableView *>()) {
        if (!shown(g) || !g->model()) continue;
        // A reader on the desktop hears of every model reset and reads the
        // cells again; without one (headless) Qt tells nobody, so the table
        // is read afresh here.
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(reading(g)));
        QAccessibleTableInterface *table = reading(g)->tableInterface();
        if (!table) {
            out << where(g) + QStringLiteral(" is no table");
            continue;
        }
        const QAbstractItemModel *m = g->model();
        for (int r = 0; r < std::min(m->rowCount(), 40); ++r) {
            for (int c = 0; c < m->columnCount(); ++c) {
                const QString shows = m->index(r, c).data().toString();
                QAccessibleInterface *cell = table->cellAt(r, c);
                const QString read = cell ? cell->text(QAccessible::Name) : QStringLiteral("(no cell)");
                if (read != shows)
                    out << QStringLiteral("%1 cell (%2, %3) shows \"%4\" but reads \"%5\"").arg(where(g)).arg(r).arg(c).arg(shows, read);
            }
        }
    }
    return out;
}

// The label named `name` that says it shows `what` reads as its value.
QString valueProblem(QWidget *window, const char *name, const QString &what, bool mustShow = true)
{
    for (QLabel *l : window->findChildren<QLabel *>(QString::fromLatin1(name))) {
        QAccessibleInterface *i = reading(l);
        if (i->text(QAccessible::Description) != what) continue;
        if (i->role() != QAccessible::StaticText) return QStringLiteral("%1 is no text").arg(where(l));
        if (mustShow && l->text().trimmed().isEmpty()) return QStringLiteral("%1 (%2) shows nothing").arg(where(l), what);
        if (i->text(QAccessible::Name) != l->text().trimmed())
            return QStringLiteral("%1 shows \"%2\" but is named \"%3\"").arg(where(l), l->text(), i->text(QAccessible::Name));
        QAccessibleTextInterface *t = i->textInterface();
        if (!t || t->text(0, t->characterCount()) != l->text()) return where(l) + QStringLiteral(" has no text to read");
        return {};
    }
    return QStringLiteral("no %1 in %2 reads as \"%3\"").arg(QString::fromLatin1(name), where(window), what);
}

// The switch box named `name` reads as a check box named `caption` in the
// state its colour shows (`on`).
QString stateProblem(QWidget *window, const char *name, const QString &caption, bool on)
{
    auto *box = window->findChild<QLabel *>(QString::fromLatin1(name));
    if (!box) return QStringLiteral("no %1 in %2").arg(QString::fromLatin1(name), where(window));
    QAccessibleInterface *i = reading(box);
    if (i->role() != QAccessible::CheckBox) return where(box) + QStringLiteral(" is no check box");
    if (i->text(QAccessible::Name) != caption)
        return QStringLiteral("%1 is named \"%2\", not \"%3\"").arg(where(box), i->text(QAccessible::Name), caption);
    if (!i->state().checkable || bool(i->state().checked) != on)
        return QStringLiteral("%1 reads %2, shows %3").arg(where(box), i->state().checked ? "on" : "off", on ? "on" : "off");
    return {};
}

void press(QWidget *window, const char *name)
{
    auto *box = window->findChild<QLabel *>(QString::fromLatin1(name));
    QVERIFY2(box, name);
    QAccessibleActionInterface *a = reading(box)->actionInterface();
    QVERIFY2(a && a->actionNames().contains(QAccessibleActionInterface::pressAction()), name);
    a->doAction(QAccessibleActionInterface::pressAction());
}

void click(QWidget *window, const char *name)
{
    QWidget *w = window->findChild<QWidget *>(QString::fromLatin1(name));
    QVERIFY2(w, name);
    QVERIFY2(w->isVisibleTo(window), name);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, 3));
}

void clickCell(ui::FlexGrid *g, int row, int col)
{
    g->scrollTo(g->model()->index(row, col));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->visualRect(g->model()->index(row, col)).center());
}

bool pink(QWidget *window, const char *name)
{
    return ui::backgroundOf(window->findChild<QWidget *>(QString::fromLatin1(name))) == ui::switchOnColour();
}

#define READABLE(window)                                                                                               \
    do {                                                                                                               \
        const QStringList problems = unreadable(window);                                                               \
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));                                    \
    } while (0)
#define VALUE(...)                                                                                                     \
    do {                                                                                                               \
        const QString problem = valueProblem(__VA_ARGS__);                                                             \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                                              \
    } while (0)
#define STATE(...)                                                                                                     \
    do {                                                                                                               \
        const QString problem = stateProblem(__VA_ARGS__);                                                             \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                                              \
    } while (0)

// An administrator's stand-alone PC on the example ledger, with the ledger
// backup, the start of use, the common documents and the monthly import on.
struct Installation {
    QTemporaryDir dir;
    QString folder = withSlash(dir.path());
    ScriptedMessages messages;
    RecordingBusyPointer pointer;
    Dolvb d{messages, pointer};
    ledger::MonthlyExplained explained;
    menu::MenuHost host{d, nullptr, [] {}};

    Installation()
    {
        copyFixture(QStringLiteral("ledger30"), folder);
        QDir(folder).mkpath(names::materialsFolder());
        QFile sheet(folder + names::materialsFolder() + QStringLiteral("/点検表.xls"));
        sheet.open(QIODevice::WriteOnly);
        d.clientFolder = folder;
        SettingsSlots client;
        client.set(slot::client::kDataFolder, folder);
        client.set(slot::client::kPreviousDataFolder, folder);
        client.set(slot::client::kDataFolderState, QStringLiteral("0"));
        client.set(slot::client::kAdministrator, QStringLiteral("1"));
        client.set(slot::client::kLedgerBackup, QStringLiteral("1"));
        writeSettingsFile(folder + names::clientSettings(), client);
        SettingsSlots shared;
        readSettingsFile(folder + names::sharedSettings(), shared);
        for (int s : {slot::shared::kShowStartOfUse, slot::shared::kCommonDocuments, slot::shared::kMonthlyImport})
            shared.set(s, QStringLiteral("1"));
        writeSettingsFile(folder + names::sharedSettings(), shared);
        app::registerWorkScreens(host, explained);
        host.showMenu();
    }
    QWidget *menu() const { return host.menu(); }
    // A work screen opened by a menu button (the menu unloads meanwhile).
    QWidget *open(const char *button)
    {
        click(menu(), button);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return host.screen();
    }
    // Back to the menu by the screen's closing button.
    void close(QWidget *screen, const char *button)
    {
        click(screen, button);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents();
    }
};

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { qputenv("COMPUTERNAME", "KPV-PC01"); }

    void menuAndItsPanels()
    {
        Installation in;
        QWidget *m = in.menu();
        QVERIFY(m && m->isVisible());
        READABLE(m);
        VALUE(m, "Label5", QStringLiteral("日付"));
        VALUE(m, "Label51", QStringLiteral("コンピューター名"));
        // The example ledger has items without stock and below their proper stock.
        STATE(m, "Label28", QStringLiteral("適正数量未満"), true);
        STATE(m, "Label32", QStringLiteral("在庫数ゼロ"), true);

        // The options panel, and a switch pressed through assistive technology.
        click(m, "Label5");
        click(m, "Label2");
        QVERIFY(m->findChild<QWidget *>(QStringLiteral("Picture20"))->isVisible());
        READABLE(m);
        STATE(m, "Label34", QStringLiteral("小数点以下の数量入力"), false);
        STATE(m, "Label21", QStringLiteral("月毎入出庫インポート"), true);
        STATE(m, "Label33", QStringLiteral("在庫品共通資料"), true);
        in.messages.answerYes();
        press(m, "Label34");
        STATE(m, "Label34", QStringLiteral("小数点以下の数量入力"), true);
        QCOMPARE(in.d.sharedSettings.value(slot::shared::kDecimalQuantities), QStringLiteral("1"));
        in.messages.answerNo();
        press(m, "Label34");
        STATE(m, "Label34", QStringLiteral("小数点以下の数量入力"), false);

        // The administration panel.
        click(m, "Label51");
        click(m, "Label9");
        QVERIFY(m->findChild<QWidget *>(QStringLiteral("Picture6"))->isVisible());
        READABLE(m);
        STATE(m, "Label44", QStringLiteral("管理者権限"), true);
        STATE(m, "Label14", QStringLiteral("全クライアント停止"), false);
        STATE(m, "Label81", QStringLiteral("登録・訂正機能無し・確認のみ"), false);
        STATE(m, "Label108", QStringLiteral("ログインパスワード"), false);
        STATE(m, "Label50", QStringLiteral("説明Sw非表示"), false);
        STATE(m, "Label45", QStringLiteral("ユーザーロゴ"), false);

        // The login panel, switched on through assistive technology.
        in.messages.answerYes();
        press(m, "Label108");
        STATE(m, "Label108", QStringLiteral("ログインパスワード"), true);
        QVERIFY(m->findChild<QWidget *>(QStringLiteral("Picture15"))->isVisible());
        READABLE(m);

        // The data folder display and the operating examples.
        click(m, "Label4");
        VALUE(m, "Label18", QStringLiteral("データフォルダー位置"));
        QCOMPARE(reading(m->findChild<QLabel *>(QStringLiteral("Label18")))->text(QAccessible::Name), in.folder);
        click(m, "Command12");
        READABLE(m);
        click(m, "Command14");
    }

    void commonDocuments()
    {
        Installation in;
        click(in.menu(), "Command3");
        QWidget *docs = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("FormCommonDocuments") && w->isVisible()) docs = w;
        QVERIFY(docs);
        READABLE(docs);
        VALUE(docs, "Label1", QStringLiteral("資料フォルダー"));
        click(docs, "Command4");
    }

    void ledgerScreenCardAndEntryTools()
    {
        Installation in;
        QWidget *form = in.open("Command1");
        auto *f11 = qobject_cast<ledger::Form11 *>(form);
        QVERIFY(f11);
        READABLE(form);
        VALUE(form, "Label27", QStringLiteral("開始年月"));
        VALUE(form, "Label8", QStringLiteral("総数"));
        VALUE(form, "Label15", QStringLiteral("ページ"));
        VALUE(form, "Label16", QStringLiteral("在庫金額計"));
        auto *backup = form->findChild<QLabel *>(QStringLiteral("Label71"));
        QVERIFY(backup->isVisible());
        STATE(form, "Label71", QStringLiteral("データバックアップ"), ui::backgroundOf(backup) == QColor(255, 128, 128));

        // The card of record 3.
        auto *list = form->findChild<ui::FlexGrid *>(QStringLiteral("f1Grid1"));
        list->setRow(5);
        list->setCol(2);
        click(form, "Command23");
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture20"))->isVisible());
        READABLE(form);
        VALUE(form, "Label3", QStringLiteral("在庫品No"));
        VALUE(form, "Label11", QStringLiteral("処理区分"));
        VALUE(form, "Label23", QStringLiteral("レコード番号"));
        QCOMPARE(reading(form->findChild<QLabel *>(QStringLiteral("Label3")))->text(QAccessible::Name), QStringLiteral("A-003"));

        // The word list of the name.
        auto *fields = form->findChild<ui::FlexGrid *>(QStringLiteral("MSFlexGrid1"));
        clickCell(fields, 1, 0);
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture1"))->isVisible());
        READABLE(form);
        VALUE(form, "Label2", QStringLiteral("入力項目"));
        VALUE(form, "Label41", QStringLiteral("リスト項目数"));

        // The start-of-use chooser.
        clickCell(fields, 1, 10);
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture21"))->isVisible());
        READABLE(form);

        // The calculator on the unit price, a key, then closed.
        clickCell(fields, 1, 4);
        ledger::Form12 *calc = f11->entryHelpers().calculator();
        QVERIFY(calc && calc->isVisible());
        READABLE(calc);
        VALUE(calc, "Readout", QStringLiteral("電卓表示"));
        QTest::mouseClick(calc->key(7), Qt::LeftButton);
        VALUE(calc, "Readout", QStringLiteral("電卓表示"));
        QCOMPARE(reading(calc->findChild<QLabel *>(QStringLiteral("Readout")))->text(QAccessible::Name), QStringLiteral("7"));
        QTest::mouseClick(calc->closeButton(), Qt::LeftButton);

        click(form, "Command37");
        in.close(form, "Command4");
        QVERIFY(in.menu());
    }

    void findingSortingDeletingAndMonthly()
    {
        Installation in;
        QWidget *form = in.open("Command1");
        QVERIFY(form);
        auto *list = form->findChild<ui::FlexGrid *>(QStringLiteral("f1Grid1"));

        // Narrowing on the name of the first item.
        list->setRow(1);
        list->setCol(2);
        click(form, "Command29");
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture6"))->isVisible());
        READABLE(form);
        click(form, "Command10");
        READABLE(form);
        VALUE(form, "Label4", QStringLiteral("最大ページ"), false);
        click(form, "Command8");

        // Sorting.
        click(form, "Command31");
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture8"))->isVisible());
        VALUE(form, "Label21", QStringLiteral("パネル名"));
        VALUE(form, "Label20", QStringLiteral("総数"));
        click(form, "Command27");
        READABLE(form);
        VALUE(form, "Label13", QStringLiteral("結果"));
        STATE(form, "Label14", QStringLiteral("Sort完了"), true);
        click(form, "Command15");

        // Deleting a row.
        click(form, "Command33");
        READABLE(form);
        VALUE(form, "Label21", QStringLiteral("パネル名"));
        click(form, "Command35");
        VALUE(form, "Label13", QStringLiteral("結果"));
        VALUE(form, "Label20", QStringLiteral("総数"));
        STATE(form, "Label14", QStringLiteral("Sort完了"), false);
        READABLE(form);
        click(form, "Command13");

        // The monthly panel (its first click explains itself).
        in.messages.answerYes();
        click(form, "Command28");
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture24"))->isVisible());
        READABLE(form);
        click(form, "Command32");
        in.close(form, "Command4");
    }

    void importScreen()
    {
        Installation in;
        QWidget *form = in.open("Command9");
        QVERIFY(form);
        READABLE(form);
        VALUE(form, "Label4", QStringLiteral("予備品管理データ位置"));
        VALUE(form, "Label3", QStringLiteral("取り込みデータ位置"), false);
        STATE(form, "Label11", QStringLiteral("完了"), false);
        click(form, "Command5");
        QVERIFY(form->findChild<QWidget *>(QStringLiteral("Picture2"))->isVisible());
        READABLE(form);
        VALUE(form, "Label8", QStringLiteral("インポート対象"));
        VALUE(form, "Label5", QStringLiteral("予備品件数"));
        VALUE(form, "Label10", QStringLiteral("選択フォルダー"), false);
        click(form, "Command8");
        in.close(form, "Command7");
    }

    void settingsScreenAndItsPanels()
    {
        Installation in;
        QWidget *form = in.open("Command2");
        QVERIFY(form);
        READABLE(form);
        VALUE(form, "Label27", QStringLiteral("在庫管理開始年月"));
        VALUE(form, "Label18", QStringLiteral("データフォルダー"));
        STATE(form, "Label40", QStringLiteral("データバックアップ 有"), true);
        STATE(form, "Label41", QStringLiteral("データバックアップ 無"), false);
        STATE(form, "Label65", QStringLiteral("C:PFolder"), true);
        STATE(form, "Label66", QStringLiteral("DetaFolder"), false);
        QVERIFY(pink(form, "Label40") && pink(form, "Label65"));

        // The backup switched off through assistive technology.
        in.messages.answerYes();
        press(form, "Label41");
        STATE(form, "Label41", QStringLiteral("データバックアップ 無"), true);
        STATE(form, "Label40", QStringLiteral("データバックアップ 有"), false);
        QVERIFY(!in.d.clientSettings.isOn(slot::client::kLedgerBackup));

        click(form, "Command11");
        READABLE(form);
        click(form, "Command8");
        READABLE(form);
        VALUE(form, "Label2", QStringLiteral("リスト名"));
        VALUE(form, "Label1", QStringLiteral("項目数"));
        click(form, "Command39");
        READABLE(form);
        in.close(form, "Command5");
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
