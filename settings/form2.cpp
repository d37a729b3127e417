#include "settings/form2.h"

#include "excel/failure.h"
#include "excel/work_thread.h"
#include "settings/controls.h"
#include "settings/data_folder_panel.h"
#include "settings/names_panel.h"
#include "settings/pick_list_panel.h"
#include "settings/pick_list_workbook.h"
#include "settings/settings_slot_names.h"
#include "storage/dolvb.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/progress_window.h"
#include "ui/twips.h"

#include <QLineEdit>

namespace kpv::settings {

using ui::setGeometryTwips;

namespace {
constexpr int kWindowWidth = 15600;
constexpr int kWindowHeight = 8400;
constexpr int kMenuLeft = 120;
constexpr int kMenuWidth = 2880;
constexpr int kInfoLeft = 3120;
constexpr int kInfoWidth = 3600;
constexpr int kPanelLeft = 6960;
constexpr int kPanelWidth = 8400;
constexpr int kPanelHeight = 7200;

ui::ClickLabel *switchBox(QWidget *parent, const QString &name, int l, int t)
{
    auto *box = new ui::ClickLabel(parent, name);
    box->setFrameShape(QFrame::Box);
    setGeometryTwips(box, l, t, 360, 360);
    return box;
}
} // namespace

Form2::Form2(Dolvb &d, excel::Spreadsheet *spreadsheet, QDate today, QWidget *parent)
    : QWidget(parent), m_d(d), m_spreadsheet(spreadsheet), m_namesCounts(d), m_editor(d), m_dataFolder(d)
{
    setObjectName(QStringLiteral("form2"));
    setWindowTitle(QStringLiteral("在庫項目登録"));
    build();
    load(today);
}

QLabel *Form2::backupOnBox() const { return m_label40; }
QLabel *Form2::backupOffBox() const { return m_label41; }
QLabel *Form2::setupPositionBox() const { return m_label65; }
QLabel *Form2::dataPositionBox() const { return m_label66; }
QLabel *Form2::dataFolderLabel() const { return m_label18; }

void Form2::build()
{
    resize(ui::twipsToPx(kWindowWidth), ui::twipsToPx(kWindowHeight));

    // Menu column.
    auto *folder = makeButton(this, QStringLiteral("Command39"), QStringLiteral("データフォルダー設定"), kMenuLeft, 240, kMenuWidth, 720);
    auto *names = makeButton(this, QStringLiteral("Command11"), QStringLiteral("項目名及び項目数設定"), kMenuLeft, 1080, kMenuWidth, 720);
    m_command33 = makeButton(this, QStringLiteral("Command33"), QStringLiteral("項目Ｅｘｃｅｌ出力"), kMenuLeft, 1920, kMenuWidth, 720);
    auto *end = makeButton(this, QStringLiteral("Command5"), QStringLiteral("終      了"), kMenuLeft, 6720, kMenuWidth, 720);
    connect(folder, &QPushButton::clicked, this, &Form2::openDataFolder);
    connect(names, &QPushButton::clicked, this, &Form2::openNames);
    connect(m_command33, &QPushButton::clicked, this, [this] { writeWorkbook(QDate::currentDate()); });
    connect(end, &QPushButton::clicked, this, &QWidget::close);

    // List information.
    auto *title = makeLabel(this, QStringLiteral("Label5"), QStringLiteral("リスト項目情報"), kInfoLeft, 240, kInfoWidth, 360);
    title->setAlignment(Qt::AlignCenter);
    const char *buttonNames[] = {"Command8", "Command15", "Command9", "Command10", "Command14"};
    for (int i = 0; i < 5; ++i) {
        const int list = i + 2;
        m_listButtons[size_t(i)] = makeButton(this, QString::fromLatin1(buttonNames[i]), {}, kInfoLeft, 660 + i * 540, kInfoWidth, 480);
        connect(m_listButtons[size_t(i)], &QPushButton::clicked, this, [this, list] { openList(list); });
    }
    makeLabel(this, QStringLiteral("Label12"), QStringLiteral("在庫管理開始年月"), kInfoLeft, 3480, 1800, 360);
    m_label27 = makeLabel(this, QStringLiteral("Label27"), {}, kInfoLeft + 1860, 3480, 1740, 360);
    m_label27->setFrameShape(QFrame::Box);
    ui::showsValue(m_label27, QStringLiteral("在庫管理開始年月"));
    m_label27->setAlignment(Qt::AlignCenter);
    m_combo4 = place(new QComboBox(this), QStringLiteral("Combo4"), kInfoLeft + 1860, 3900, 1740, 360);
    m_combo4->setAccessibleName(QStringLiteral("在庫管理開始年月"));
    m_combo4->setEditable(true);
    m_combo4->lineEdit()->setReadOnly(true);
    connect(m_combo4, &QComboBox::activated, this, [this](int i) {
        commonReset();
        const QString month = m_combo4->itemText(i);
        if (m_namesCounts.setStartMonth(month)) m_label27->setText(month);
    });

    m_label8 = makeLabel(this, QStringLiteral("Label8"), QStringLiteral("データバックアップ"), kInfoLeft, 4440, 1800, 360);
    m_label40 = switchBox(this, QStringLiteral("Label40"), kInfoLeft + 1860, 4440);
    makeLabel(this, QStringLiteral("Label37"), QStringLiteral("有"), kInfoLeft + 2280, 4440, 360, 360);
    m_label41 = switchBox(this, QStringLiteral("Label41"), kInfoLeft + 2700, 4440);
    makeLabel(this, QStringLiteral("Label45"), QStringLiteral("無"), kInfoLeft + 3120, 4440, 360, 360);
    ui::showsState(m_label40, QStringLiteral("データバックアップ 有"));
    ui::showsState(m_label41, QStringLiteral("データバックアップ 無"));
    connect(m_label40, &ui::ClickLabel::clicked, this, [this] {
        commonReset();
        if (m_dataFolder.setBackup(true)) showSwitches();
    });
    connect(m_label41, &ui::ClickLabel::clicked, this, [this] {
        commonReset();
        if (m_dataFolder.setBackup(false)) showSwitches();
    });

    makeLabel(this, QStringLiteral("Label60"), QStringLiteral("データフォルダー位置"), kInfoLeft, 4980, kInfoWidth, 360);
    m_label65 = switchBox(this, QStringLiteral("Label65"), kInfoLeft, 5400);
    makeLabel(this, QStringLiteral("Label64"), QStringLiteral("C:PFolder"), kInfoLeft + 420, 5400, 1300, 360);
    m_label66 = switchBox(this, QStringLiteral("Label66"), kInfoLeft + 1860, 5400);
    makeLabel(this, QStringLiteral("Label67"), QStringLiteral("DetaFolder"), kInfoLeft + 2280, 5400, 1300, 360);
    ui::showsState(m_label65, QStringLiteral("C:PFolder"));
    ui::showsState(m_label66, QStringLiteral("DetaFolder"));
    connect(m_label65, &ui::ClickLabel::clicked, this, [this] {
        commonReset();
        m_folder->resetEditors();
        if (!m_dataFolder.returnToSetup()) return;
        m_editor.rememberFiles();
        showListCaptions();
        m_label18->setText(m_d.dataFolder);
        m_folder->markChanged();
        showSwitches();
        if (m_folder->isVisible()) m_folder->showFolder(m_d.dataFolder);
        if (m_pickList->isVisible()) m_pickList->openList(m_editor.list());
    });
    connect(m_label66, &ui::ClickLabel::clicked, this, [this] { m_dataFolder.explainPosition(); });

    m_command41 = makeButton(this, QStringLiteral("Command41"), QStringLiteral("説明"), kInfoLeft, 5940, 1000, 480);
    connect(m_command41, &QPushButton::clicked, this,
            [this] { m_d.messages().tell(QStringLiteral("登録確認"), DataFolder::listInfoExplanation()); });

    m_label18 = new ui::ClickLabel(this, QStringLiteral("Label18"));
    m_label18->setFrameShape(QFrame::Box);
    ui::showsValue(m_label18, QStringLiteral("データフォルダー"));
    setGeometryTwips(m_label18, kInfoLeft, 7560, kPanelLeft + kPanelWidth - kInfoLeft, 400);

    // Panels.
    m_names = new NamesPanel(m_d, m_namesCounts, this);
    m_pickList = new PickListPanel(m_d, m_editor, this);
    m_folder = new DataFolderPanel(m_d, m_dataFolder, m_label18, this);
    m_picture23 = new ui::PictureBox(this, QStringLiteral("Picture23"));
    makeLabel(m_picture23, QStringLiteral("Label32"), QStringLiteral(" Excel出力中　"), 240, 240, 3000, 480);
    for (QWidget *p : {static_cast<QWidget *>(m_names), static_cast<QWidget *>(m_pickList), static_cast<QWidget *>(m_folder)})
        setGeometryTwips(p, kPanelLeft, 240, kPanelWidth, kPanelHeight);
    setGeometryTwips(m_picture23, kPanelLeft, 240, 3600, 960);
    connect(m_names, &NamesPanel::labelsChanged, this, &Form2::showListCaptions);
    connect(m_pickList, &PickListPanel::resetRequested, this, &Form2::commonReset);
    connect(m_folder, &DataFolderPanel::positionChanged, this, [this] {
        showSwitches();
        showListCaptions();
        m_editor.rememberFiles();
        ui::paintBackground(m_label8, QColor(255, 0, 0));
    });
}

void Form2::load(const QDate &today)
{
    ui::centerForm(this);
    move(x(), y() - ui::twipsToPx(200));
    m_d.changePending = 0;
    setWindowTitle(m_d.appTitle + QStringLiteral("　初期設定"));
    ui::paintBackground(this, m_d.backgroundColour);
    m_label18->setText(m_d.dataFolder);

    m_d.loadSharedSettings();
    m_d.buildItemLabels();
    {
        BusyGuard busy(m_d.pointer());
        m_d.loadPickLists();
    }
    m_editor.rememberFiles();
    m_pickList->prepareGrid();

    const QString month = m_d.sharedSettings.value(shared::kStartMonth);
    m_label27->setText(month);
    m_combo4->addItems(NamesCounts::startMonthChoices(today));
    m_combo4->setCurrentIndex(m_combo4->findText(month));
    m_combo4->setEditText(month);

    m_d.loadSharedSettings();
    const bool hideExplanations = m_d.clientSettings.isOn(client::kHideExplanations);
    m_command41->setVisible(!hideExplanations);
    m_names->explainButton()->setVisible(!hideExplanations);
    m_folder->explainButton()->setVisible(!hideExplanations);

    m_names->fill();
    showListCaptions();
    hidePanels();
    m_command33->show();
    showSwitches();
}

void Form2::showSwitches()
{
    const bool backup = m_dataFolder.backupOn();
    ui::paintBackground(m_label40, ui::switchColour(backup));
    ui::paintBackground(m_label41, ui::switchColour(!backup));
    const bool setup = m_dataFolder.atSetupPosition();
    ui::paintBackground(m_label65, ui::switchColour(setup));
    ui::paintBackground(m_label66, ui::switchColour(!setup));
}

void Form2::showListCaptions()
{
    for (int list = kFirstList; list <= kLastList; ++list) {
        const QString caption = m_d.itemLabels[size_t(list == 6 ? 9 : list + 1)];
        listButton(list)->setText(caption);
        listButton(list)->setAccessibleName(caption);
    }
}

void Form2::hidePanels()
{
    for (QWidget *p : {static_cast<QWidget *>(m_names), static_cast<QWidget *>(m_pickList), static_cast<QWidget *>(m_folder),
                       static_cast<QWidget *>(m_picture23)})
        p->hide();
    m_names->resetEditors();
    m_folder->resetEditors();
    m_folder->transferButton()->hide();
}

void Form2::commonReset()
{
    m_names->resetHighlights();
    m_names->labelEditor()->hide();
    m_folder->transferButton()->hide();
}

void Form2::openNames()
{
    commonReset();
    m_folder->resetEditors();
    m_names->countChooser()->hide();
    m_pickList->hide();
    m_folder->hide();
    m_names->show();
    m_names->raise();
    // Read again what other clients registered; this screen's own
    // unregistered edits stay and the grid shows both.
    m_d.loadSharedSettings();
    m_namesCounts.reapplyPending();
    m_names->fill();
    showListCaptions();
}

void Form2::openList(int list)
{
    commonReset();
    m_names->hide();
    m_folder->hide();
    m_pickList->openList(list);
}

void Form2::openDataFolder()
{
    m_names->hide();
    m_pickList->hide();
    commonReset();
    m_folder->openPanel();
}

void Form2::writeWorkbook(const QDate &today)
{
    m_names->hide();
    m_pickList->hide();
    m_folder->hide();
    commonReset();
    m_picture23->show();
    m_picture23->raise();
    if (!m_spreadsheet) {
        outputPickListWorkbook(nullptr, m_d, today); // tells that there is no office
    } else {
        ui::runOfficeWork(this, *m_spreadsheet, QStringLiteral("項目Ｅｘｃｅｌ出力"), QStringLiteral("項目Excelを書き込んでいます"),
                          [this, today](excel::Progress &) { outputPickListWorkbook(m_spreadsheet, m_d, today); });
    }
    m_picture23->hide();
}

} // namespace kpv::settings
