#include "menu/dolv_menu.h"

#include "storage/stock_legend.h"
#include "menu/menu_slots.h"
#include "storage/dolvb.h"
#include "storage/file_names.h"
#include "storage/text.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QCloseEvent>
#include <QPushButton>

#include <tuple>

namespace kpv::menu {

using ui::ClickLabel;
using ui::PictureBox;
using ui::setGeometryTwips;
const auto button = ui::placedButton;

namespace {

constexpr int kWindowWidth = 19200;
constexpr int kWindowHeight = 9900;
constexpr int kButtonHeight = 855;
constexpr int kColumnWidth = 3735;
constexpr int kLeftColumn = 5880;
constexpr int kRightColumn = 9640;

const QColor kPanelColour(0, 0, 128);
const QColor kSharedCaption(255, 255, 0);   // switches that change every client
const QColor kClientCaption(128, 255, 255); // switches of this PC only
const QColor kLegendLit(255, 0, 0); // a warning box of the legend, lit

QLabel *caption(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    setGeometryTwips(label, l, t, w, h);
    return label;
}

ClickLabel *spot(QWidget *parent, const QString &name, int l, int t, int w, int h, const QString &text = {})
{
    auto *label = new ClickLabel(parent, name, text);
    setGeometryTwips(label, l, t, w, h);
    return label;
}

void colourText(QWidget *w, const QColor &c)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, c);
    w->setPalette(p);
}

QString explanationText()
{
    return QStringList{
        QStringLiteral("KPV予備品管理"),
        QStringLiteral("　予備品・在庫品の台帳を管理するソフトです。"),
        QStringLiteral("　予備品管理　　　：台帳の一覧・品目カードの登録・訂正・入出庫の入力"),
        QStringLiteral("　予備品インポート：Excelで作成した台帳・項目リストの取込み"),
        QStringLiteral("　初期設定　　　　：項目名・リスト項目・管理開始年月・データフォルダーの設定"),
        QStringLiteral("　背景色変更　　　：１～10 の番号で画面の背景色を変更します。"),
    }.join(QLatin1Char('\r'));
}

QString examplesText()
{
    return QStringList{
        QStringLiteral("運用事例"),
        QString(),
        QStringLiteral("①単独パソコンで使用"),
        QStringLiteral("　データはソフトのフォルダーに保存されます。"),
        QString(),
        QStringLiteral("②サーバーで複数のパソコンから使用"),
        QStringLiteral("　初期設定でデータフォルダーをサーバーの共有フォルダーに設定し、"),
        QStringLiteral("　データ転送を行います。各パソコンは同じフォルダーを設定します。"),
        QString(),
        QStringLiteral("③確認専用のパソコン"),
        QStringLiteral("　管理者設定で「登録・訂正機能無し・確認のみ」を設定します。"),
    }.join(QLatin1Char('\n'));
}

} // namespace

DolvMenu::DolvMenu(Dolvb &d, ScreenOpener &opener, std::function<void()> endProgram, QDate today)
    : m_d(d), m_opener(opener), m_endProgram(std::move(endProgram)), m_gates(d, opener), m_switches(d)
{
    setObjectName(QStringLiteral("DOLVmenu"));
    build();
    load(today);
}

void DolvMenu::build()
{
    resize(ui::twipsToPx(kWindowWidth), ui::twipsToPx(kWindowHeight));

    m_picture1 = new PictureBox(this, QStringLiteral("Picture1"));
    setGeometryTwips(m_picture1, 0, 0, kWindowWidth, kWindowHeight);
    QWidget *p1 = m_picture1;
    connect(m_picture1, &PictureBox::clicked, this, [this] { applyClick(Spot::Picture1); });

    // Date and machine name: also the first spots of the hidden sequences.
    auto *date = spot(p1, QStringLiteral("Label5"), 360, 240, 1800, 330);
    auto *machine = spot(p1, QStringLiteral("Label51"), 360, 660, 2700, 330);
    ui::showsValue(date, QStringLiteral("日付"));
    ui::showsValue(machine, QStringLiteral("コンピューター名"));
    for (QLabel *l : {static_cast<QLabel *>(date), static_cast<QLabel *>(machine)}) {
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::Box);
    }
    connect(date, &ClickLabel::clicked, this, [this] { applyClick(Spot::Label5); });
    connect(machine, &ClickLabel::clicked, this, [this] { applyClick(Spot::Label51); });

    auto *title = caption(p1, QStringLiteral("Label1"), QStringLiteral("KPV予備品管理"), kLeftColumn, 1080, 7500, 900);
    QFont tf = title->font();
    tf.setPointSize(24);
    tf.setBold(true);
    title->setFont(tf);
    title->setAlignment(Qt::AlignCenter);

    // Hidden spots: small, without caption.
    const std::pair<const char *, Spot> spots[] = {
        {"Label2", Spot::Label2}, {"Label3", Spot::Label3}, {"Label9", Spot::Label9}, {"Label4", Spot::Label4}};
    const int spotAt[][2] = {{18720, 9420}, {120, 9420}, {13800, 9420}, {3000, 9420}};
    for (int i = 0; i < 4; ++i) {
        auto *s = spot(p1, QString::fromLatin1(spots[i].first), spotAt[i][0], spotAt[i][1], 360, 360);
        const Spot which = spots[i].second;
        connect(s, &ClickLabel::clicked, this, [this, which] { applyClick(which); });
    }

    // Login panel.
    auto *login = new PictureBox(p1, QStringLiteral("Picture15"));
    setGeometryTwips(login, kLeftColumn, 2400, 7500, 960);
    login->setFrameShape(QFrame::Box);
    auto *loginLabel = spot(login, QStringLiteral("Label101"), 240, 300, 2400, 360, QStringLiteral("ログインパスワード"));
    m_password = new QLineEdit(login);
    m_password->setObjectName(QStringLiteral("Text7"));
    m_password->setAccessibleName(QStringLiteral("ログインパスワード"));
    // One "*" for each typed character.
    m_password->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    setGeometryTwips(m_password, 2760, 240, 3000, 450);
    connect(loginLabel, &ClickLabel::clicked, this, [this] { m_password->setEchoMode(QLineEdit::Normal); });
    connect(m_password, &QLineEdit::returnPressed, this, &DolvMenu::onLoginEntered);

    // The menu buttons.
    auto *ledger = button(p1, QStringLiteral("Command1"), QStringLiteral("予備品管理"), kLeftColumn, 5520, kColumnWidth, kButtonHeight);
    auto *import = button(p1, QStringLiteral("Command9"), QStringLiteral("予備品インポート"), kLeftColumn, 6480, kColumnWidth, kButtonHeight);
    auto *settings = button(p1, QStringLiteral("Command2"), QStringLiteral("初期設定"), kRightColumn, 5520, kColumnWidth, kButtonHeight);
    auto *common = button(p1, QStringLiteral("Command3"), QStringLiteral("予備品共通資料"), kRightColumn, 6480, kColumnWidth, kButtonHeight);
    auto *exit = button(p1, QStringLiteral("Command6"), QStringLiteral("終　　     了"), kRightColumn, 6480, kColumnWidth, kButtonHeight);
    QFont bf = ledger->font();
    bf.setPointSize(14);
    for (QPushButton *b : {ledger, import, settings, common, exit}) b->setFont(bf);
    connect(ledger, &QPushButton::clicked, this, [this] { openScreen(Screen::Ledger); });
    connect(import, &QPushButton::clicked, this, [this] { openScreen(Screen::Import); });
    connect(settings, &QPushButton::clicked, this, [this] { openScreen(Screen::Settings); });
    connect(common, &QPushButton::clicked, this, [this] { openScreen(Screen::CommonDocuments); });
    connect(exit, &QPushButton::clicked, this, [this] {
        if (m_endProgram) m_endProgram();
    });

    // Data folder display (shown by a hidden click).
    caption(p1, QStringLiteral("Label24"), QStringLiteral("データフォルダー位置"), kLeftColumn, 8640, 2200, 330);
    ui::showsValue(caption(p1, QStringLiteral("Label18"), QString(), 8160, 8640, 10000, 330), QStringLiteral("データフォルダー位置"));

    // Stock warning legend.
    auto *legend = new PictureBox(p1, QStringLiteral("Picture5"));
    setGeometryTwips(legend, 360, 5520, 5160, 1320);
    legend->setFrameShape(QFrame::Box);
    auto *legendHelp = button(legend, QStringLiteral("Command10"), QStringLiteral("説明"), 120, 120, 1080, 420);
    caption(legend, QStringLiteral("Label27"), QStringLiteral("適正数量未満"), 1920, 150, 2400, 330);
    caption(legend, QStringLiteral("Label29"), QStringLiteral("在庫数ゼロ"), 1920, 690, 2400, 330);
    for (const auto &[name, top, what] : {std::tuple{"Label28", 150, u"適正数量未満"}, std::tuple{"Label32", 690, u"在庫数ゼロ"}}) {
        auto *box = caption(legend, QString::fromLatin1(name), QString(), 1380, top, 420, 330);
        ui::showsState(box, QString::fromUtf16(what), kLegendLit);
        box->setFrameShape(QFrame::Box);
        ui::paintBackground(box, ui::switchOffColour());
    }
    connect(legendHelp, &QPushButton::clicked, this, [this] {
        m_d.messages().tell(QStringLiteral("登録確認"),
                            QStringList{QStringLiteral("  登録全品の検索を行い"),
                                        QStringLiteral("　　①在庫数ゼロ品目があれば、□枠が赤点灯"),
                                        QStringLiteral("　　②適正数量不足品があれば、□枠が赤点灯　"), QString()}
                                .join(QLatin1Char('\r')));
    });

    // Background colour and explanations.
    auto *colourPanel = new PictureBox(p1, QStringLiteral("Picture25"));
    setGeometryTwips(colourPanel, 360, 7200, 5160, 660);
    colourPanel->setFrameShape(QFrame::Box);
    caption(colourPanel, QStringLiteral("Label10"), QStringLiteral("背景色変更"), 120, 165, 1320, 330);
    m_colour = new QComboBox(colourPanel);
    m_colour->setObjectName(QStringLiteral("Combo5"));
    m_colour->setAccessibleName(QStringLiteral("背景色変更"));
    setGeometryTwips(m_colour, 1440, 120, 960, 420);
    for (int n = 1; n <= 10; ++n) m_colour->addItem(QString::number(n));
    connect(m_colour, &QComboBox::textActivated, this, &DolvMenu::onBackgroundChosen);
    auto *explain = button(colourPanel, QStringLiteral("Command13"), QStringLiteral("説　明"), 2520, 120, 1200, 420);
    auto *examples = button(colourPanel, QStringLiteral("Command12"), QStringLiteral("運用事例"), 3840, 120, 1200, 420);
    connect(explain, &QPushButton::clicked, this,
            [this] { m_d.messages().tell(QStringLiteral("登録確認"), explanationText()); });

    // Operating examples.
    auto *examplesPanel = new PictureBox(p1, QStringLiteral("Picture12"));
    setGeometryTwips(examplesPanel, kLeftColumn, 1080, 7500, 7200);
    examplesPanel->setFrameShape(QFrame::Box);
    ui::paintBackground(examplesPanel, QColor(255, 255, 240));
    auto *examplesText_ = caption(examplesPanel, QStringLiteral("Label12"), examplesText(), 240, 240, 7000, 6000);
    examplesText_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *closeExamples = button(examplesPanel, QStringLiteral("Command14"), QStringLiteral("閉じる"), 5880, 6540, 1380, 480);
    connect(examples, &QPushButton::clicked, examplesPanel, [examplesPanel] {
        examplesPanel->show();
        examplesPanel->raise();
    });
    connect(closeExamples, &QPushButton::clicked, examplesPanel, &QWidget::hide);

    // The user logo.
    m_logo = new QLabel(p1);
    m_logo->setObjectName(QStringLiteral("Picture2"));
    m_logo->setAccessibleName(QStringLiteral("ユーザーロゴ"));
    setGeometryTwips(m_logo, 16000, 120, 1200, 840);
    m_logo->setScaledContents(true);

    // Options panel.
    auto *options = new PictureBox(p1, QStringLiteral("Picture20"));
    setGeometryTwips(options, 13680, 1200, 5280, 3960);
    options->setFrameShape(QFrame::Box);
    ui::paintBackground(options, kPanelColour);
    colourText(caption(options, QStringLiteral("Label22"), QStringLiteral("オプション設定"), 240, 120, 4800, 360), Qt::white);
    struct Row {
        const char *box;
        const char *caption;
        const char16_t *text;
        bool shared;
    };
    const Row optionRows[] = {
        {"Label34", "Label20", u"小数点以下の数量入力", true},
        {"Label21", "Label16", u"月毎入出庫インポート", true},
        {"Label33", "Label7", u"在庫品共通資料", true},
        {nullptr, "Label40", u"入出庫月報保存場所設定", true},
        {nullptr, "Label36", u"入出庫月報様式選択", true},
        {nullptr, "Label35", u"在庫ゼロ適正数量減警告", true},
    };
    int y = 660;
    for (const Row &r : optionRows) {
        colourText(caption(options, QString::fromLatin1(r.caption), QString::fromUtf16(r.text), 840, y, 4200, 330),
                   r.box ? kSharedCaption : QColor(192, 192, 192));
        if (r.box) {
            auto *box = spot(options, QString::fromLatin1(r.box), 240, y, 420, 330);
            ui::showsState(box, QString::fromUtf16(r.text));
            box->setFrameShape(QFrame::Box);
            ui::paintBackground(box, ui::switchOffColour());
        }
        y += 540;
    }
    connect(control<ClickLabel>(QStringLiteral("Label34")), &ClickLabel::clicked, this, [this] { toggle(Switch::DecimalQuantities); });
    connect(control<ClickLabel>(QStringLiteral("Label21")), &ClickLabel::clicked, this, [this] { toggle(Switch::MonthlyImport); });
    connect(control<ClickLabel>(QStringLiteral("Label33")), &ClickLabel::clicked, this, [this] { toggle(Switch::CommonDocuments); });

    // Administration panel.
    auto *admin = new PictureBox(p1, QStringLiteral("Picture6"));
    setGeometryTwips(admin, 13680, 1200, 5280, 5160);
    admin->setFrameShape(QFrame::Box);
    ui::paintBackground(admin, kPanelColour);
    connect(admin, &PictureBox::clicked, this, [this] { applyClick(Spot::Picture6); });
    auto *adminHelp = button(admin, QStringLiteral("Command15"), QStringLiteral("説 明"), 3840, 120, 1200, 420);
    connect(adminHelp, &QPushButton::clicked, this, [this] { m_switches.explainAdministration(); });
    const Row adminRows[] = {
        {"Label44", "Label43", u"管理者権限", false},
        {"Label14", "Label13", u"全クライアント停止", true},
        {"Label81", "Label80", u"登録・訂正機能無し・確認のみ", false},
        {"Label108", "Label107", u"ログインパスワード", true},
        {"Label50", "Label49", u"説明Sw非表示", false},
        {"Label45", "Label37", u"ユーザーロゴ", false},
    };
    y = 660;
    for (const Row &r : adminRows) {
        // Label13 is itself a (hidden) command: the release of the stop.
        ClickLabel *cap = spot(admin, QString::fromLatin1(r.caption), 840, y, 4200, 330, QString::fromUtf16(r.text));
        colourText(cap, r.shared ? kSharedCaption : kClientCaption);
        auto *box = spot(admin, QString::fromLatin1(r.box), 240, y, 420, 330);
        ui::showsState(box, QString::fromUtf16(r.text));
        box->setFrameShape(QFrame::Box);
        ui::paintBackground(box, ui::switchOffColour());
        y += 540;
    }
    colourText(caption(admin, QStringLiteral("Label30"), QStringLiteral("位置"), 840, y, 600, 330), kClientCaption);
    m_logoOffset = new QComboBox(admin);
    m_logoOffset->setObjectName(QStringLiteral("Combo1"));
    m_logoOffset->setAccessibleName(QStringLiteral("位置"));
    setGeometryTwips(m_logoOffset, 1500, y - 45, 1200, 420);
    for (int v = 20; v <= 1600; v += 20) m_logoOffset->addItem(QString::number(v));
    connect(m_logoOffset, &QComboBox::textActivated, this, &DolvMenu::onLogoOffset);
    connect(control<ClickLabel>(QStringLiteral("Label44")), &ClickLabel::clicked, this, &DolvMenu::onAdministrator);
    connect(control<ClickLabel>(QStringLiteral("Label14")), &ClickLabel::clicked, this, &DolvMenu::onStopAllClients);
    connect(control<ClickLabel>(QStringLiteral("Label13")), &ClickLabel::clicked, this, &DolvMenu::onReleaseStop);
    connect(control<ClickLabel>(QStringLiteral("Label81")), &ClickLabel::clicked, this, [this] { toggle(Switch::ReadOnly); });
    connect(control<ClickLabel>(QStringLiteral("Label108")), &ClickLabel::clicked, this, [this] { toggle(Switch::LoginRequired); });
    connect(control<ClickLabel>(QStringLiteral("Label50")), &ClickLabel::clicked, this, [this] { toggle(Switch::HideExplanations); });
    connect(control<ClickLabel>(QStringLiteral("Label45")), &ClickLabel::clicked, this, [this] { toggle(Switch::ShowLogo); });
}

void DolvMenu::load(QDate today)
{
    // Centred, then a little higher.
    ui::centerForm(this);
    move(x(), y() - ui::twipsToPx(200));

    m_layout = StartupSequence::run(m_d, today);

    // What stays hidden until asked for.
    control(QStringLiteral("Command3"))->hide();
    control(QStringLiteral("Label18"))->hide();
    control(QStringLiteral("Label24"))->hide();
    m_logo->hide();
    control(QStringLiteral("Picture20"))->hide();
    m_clicks.reset();
    control<QLabel>(QStringLiteral("Label51"))->setText(m_layout.machineName);

    // Background colour.
    m_colour->setCurrentIndex(m_colour->findText(m_layout.colourNumber));
    paintBackgrounds();

    // Logo position.
    m_logoOffset->setCurrentIndex(m_logoOffset->findText(m_layout.logoOffset));
    ui::setLeftTwips(m_logo, m_layout.logoLeftTwips);

    // Data folder, date, caption.
    control<QLabel>(QStringLiteral("Label18"))->setText(m_layout.dataFolderText);
    control<QLabel>(QStringLiteral("Label5"))->setText(m_layout.dateText);
    setWindowTitle(m_d.appTitle);

    // The hidden panels and the logo start closed.
    hideMenuPanels();
    m_logo->hide();

    // Switch boxes: pink for each switch that is on.
    if (m_layout.showLogo) {
        paintBox(QStringLiteral("Label45"), true);
        m_logo->show();
        showUserLogo();
    }
    if (m_layout.hideExplanations) paintBox(QStringLiteral("Label50"), true);
    if (m_layout.readOnly) paintBox(QStringLiteral("Label81"), true);
    if (m_layout.commonDocuments) paintBox(QStringLiteral("Label33"), true);
    if (m_layout.monthlyImport) paintBox(QStringLiteral("Label21"), true);
    if (m_layout.decimalQuantities) paintBox(QStringLiteral("Label34"), true);
    if (m_layout.administrator) paintBox(QStringLiteral("Label44"), true);
    setAdministratorLabelsVisible(m_layout.administrator);
    ui::paintBackground(control(QStringLiteral("Label14")),
                        m_layout.allClientsStopped ? ui::switchOnColour() : ui::buttonFaceColour());
    if (m_layout.loginRequired) paintBox(QStringLiteral("Label108"), true);
    paintStockLegend();

    // Menu buttons.
    placeMenuButtons();

    // Login password panel.
    control(QStringLiteral("Picture15"))->setVisible(m_layout.loginPanelVisible);

    // Date and machine boxes; the password field starts empty and masked.
    const QColor dateBox = ui::colourFromConstant(QStringLiteral("&H00E1E4FF"));
    ui::paintBackground(control(QStringLiteral("Label51")), dateBox);
    ui::paintBackground(control(QStringLiteral("Label5")), dateBox);
    m_password->setEchoMode(QLineEdit::Password);
    m_password->clear();
    control(QStringLiteral("Picture12"))->hide();
}

void DolvMenu::placeMenuButtons()
{
    QWidget *common = control(QStringLiteral("Command3"));
    QWidget *exit = control(QStringLiteral("Command6"));
    ui::setLeftTwips(control(QStringLiteral("Command2")), kRightColumn);
    if (!m_layout.commonDocuments) {
        common->hide();
        setGeometryTwips(exit, kRightColumn, 6480, 3735, kButtonHeight);
    } else {
        setGeometryTwips(common, kRightColumn, 6480, kColumnWidth, kButtonHeight);
        common->show();
        setGeometryTwips(exit, kLeftColumn, 7440, 7500, kButtonHeight);
    }
}

void DolvMenu::paintBackgrounds()
{
    const QColor c = ui::colourFromConstant(m_d.backgroundColour);
    if (!c.isValid()) return; // no colour chosen yet: the designed background stays
    ui::paintBackground(m_picture1, c);
    ui::paintBackground(m_logo, c);
}

// The two warning boxes light red when some item has no stock or less than
// its proper stock (one pass over the ledger at each load of the menu).
void DolvMenu::paintStockLegend()
{
    const ledger::StockLegend legend =
        m_d.dataFolder.isEmpty() ? ledger::StockLegend{} : ledger::scanStockLegend(m_d.ledgerPath());
    const QColor lit(255, 0, 0);
    ui::paintBackground(control(QStringLiteral("Label28")), legend.belowProper ? lit : ui::switchOffColour());
    ui::paintBackground(control(QStringLiteral("Label32")), legend.zero ? lit : ui::switchOffColour());
}

void DolvMenu::paintBox(const QString &name, bool on)
{
    if (QWidget *w = control(name)) ui::paintBackground(w, ui::switchColour(on));
}

void DolvMenu::hideMenuPanels()
{
    for (const char *name : {"Picture20", "Picture6", "Label18", "Label24"}) control(QString::fromLatin1(name))->hide();
}

void DolvMenu::applyClick(Spot s)
{
    const ClickEffect e = m_clicks.click(s);
    if (e.hidePanels) hideMenuPanels();
    if (e.showOptions) {
        control(QStringLiteral("Picture20"))->show();
        control(QStringLiteral("Picture20"))->raise();
    }
    if (e.showAdministration) {
        control(QStringLiteral("Picture6"))->show();
        control(QStringLiteral("Picture6"))->raise();
    }
    if (e.hideAdministration) control(QStringLiteral("Picture6"))->hide();
    if (e.showDataFolder) {
        control(QStringLiteral("Label18"))->show();
        control(QStringLiteral("Label24"))->show();
    }
}

void DolvMenu::showUserLogo()
{
    const QString path = m_d.clientFolder + names::picturesFolder() + QChar(kPathSeparator) + QStringLiteral("yuuza.jpg");
    QPixmap picture;
    if (picture.load(path)) {
        m_logo->setPixmap(picture);
        m_logo->show();
        return;
    }
    m_d.messages().tell(QStringLiteral("登録確認"), path + QLatin1Char('\r') + QStringLiteral("　画像が登録されてません。。"));
}

void DolvMenu::setAdministratorLabelsVisible(bool visible)
{
    for (const char *name : {"Label13", "Label14", "Label107", "Label108", "Label80", "Label81"})
        control(QString::fromLatin1(name))->setVisible(visible);
}

void DolvMenu::openScreen(Screen s)
{
    if (m_gates.open(s) != GateResult::OpenedInstead) return;
    m_unloadingForScreen = true;
    close();
}

void DolvMenu::closeEvent(QCloseEvent *e)
{
    QWidget::closeEvent(e);
    if (!m_unloadingForScreen && m_endProgram) m_endProgram();
}

void DolvMenu::toggle(Switch s)
{
    const SwitchOutcome out = m_switches.toggle(s);
    if (!out.stored) return;
    paintBox(OptionSwitches::objectName(s), out.on);
    if (s == Switch::LoginRequired) {
        control(QStringLiteral("Picture15"))->setVisible(m_d.loginPending == 1);
        if (m_d.loginPending == 1) m_password->setFocus();
    }
    if (s == Switch::ShowLogo && out.on) {
        m_logo->show();
        showUserLogo();
    }
}

void DolvMenu::onAdministrator()
{
    switch (m_switches.administrator()) {
    case AdminOutcome::Unchanged:
        break;
    case AdminOutcome::On:
        paintBox(QStringLiteral("Label44"), true);
        paintBox(QStringLiteral("Label81"), false); // an administrator PC is never read-only
        setAdministratorLabelsVisible(true);
        break;
    case AdminOutcome::Off:
        paintBox(QStringLiteral("Label44"), false);
        setAdministratorLabelsVisible(false);
        break;
    case AdminOutcome::OffAndStopLifted:
        paintBox(QStringLiteral("Label44"), false);
        paintBox(QStringLiteral("Label14"), false);
        control(QStringLiteral("Label13"))->hide();
        control(QStringLiteral("Label14"))->hide();
        break;
    }
}

void DolvMenu::onStopAllClients()
{
    const StopOutcome out = m_switches.stopAllClients();
    if (out == StopOutcome::On || out == StopOutcome::Off) paintBox(QStringLiteral("Label14"), out == StopOutcome::On);
}

void DolvMenu::onReleaseStop()
{
    if (m_switches.releaseStop()) paintBox(QStringLiteral("Label14"), false);
}

void DolvMenu::onLogoOffset(const QString &text)
{
    ui::setLeftTwips(m_logo, m_switches.setLogoOffset(text));
}

void DolvMenu::onBackgroundChosen(const QString &text)
{
    m_switches.previewBackground(text);
    paintBackgrounds();
    if (!m_switches.confirmBackground()) {
        if (ui::colourFromConstant(m_d.backgroundColour).isValid()) {
            paintBackgrounds();
        } else {
            // No colour was in force: back to the designed background.
            m_picture1->setAutoFillBackground(false);
            m_picture1->setPalette(QPalette());
            m_logo->setAutoFillBackground(false);
            m_logo->setPalette(QPalette());
        }
        m_colour->setCurrentIndex(m_colour->findText(m_d.sharedSettings.value(shared::kBackgroundColour)));
    }
}

void DolvMenu::onLoginEntered()
{
    if (m_gates.submitLogin(m_password->text())) control(QStringLiteral("Picture15"))->hide();
    m_password->clear();
}

} // namespace kpv::menu
