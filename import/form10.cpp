#include "import/form10.h"

#include "excel/failure.h"
#include "excel/import_books.h"
#include "excel/work_thread.h"
#include "import/import_folder.h"
#include "import/ledger_import.h"
#include "import/word_list_import.h"
#include "storage/all_clients_stop.h"
#include "storage/dolvb.h"
#include "storage/settings_slots.h"
#include "storage/text.h"
#include "ui/accessible.h"
#include "ui/clickable.h"
#include "ui/colours.h"
#include "ui/progress_window.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>

namespace kpv::import {

using ui::setGeometryTwips;

namespace {

constexpr int kDataFolderSlot = slot::client::kDataFolder;
constexpr int kHideExplanationsSlot = slot::client::kHideExplanations;
constexpr int kImportFolderSlot = slot::shared::kImportFolder;
constexpr int kWindowWidth = 9720;
constexpr int kWindowHeight = 7140;
constexpr int kTopButtonsLeft = 5400;

const QColor kFolderShown(192, 255, 255);    // light blue: the stored import folder
const QColor kFolderChanged(255, 192, 192);  // light pink: a folder chosen, not yet registered
const QColor kValueBox(255, 255, 255);
const QColor kCompleted(255, 0, 0);          // colour value 255

QLabel *label(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *lb = new QLabel(text, parent);
    lb->setObjectName(name);
    lb->setAccessibleName(text);
    setGeometryTwips(lb, l, t, w, h);
    return lb;
}

QLabel *valueBox(QLabel *lb)
{
    lb->setFrameShape(QFrame::Panel);
    lb->setFrameShadow(QFrame::Sunken);
    ui::paintBackground(lb, kValueBox);
    return lb;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setAccessibleName(text);
    setGeometryTwips(b, l, t, w, h);
    return b;
}

QString lines(std::initializer_list<const char16_t *> parts)
{
    QStringList l;
    for (const char16_t *p : parts) l << QString::fromUtf16(p);
    return l.join(QLatin1Char('\r'));
}

} // namespace

Form10::Form10(menu::ScreenServices &services, QWidget *parent)
    : QWidget(parent), m_d(services.d), m_office(services.spreadsheet), m_endProgram(services.endProgram)
{
    setObjectName(QStringLiteral("Form10"));
    build();
    load();
}

void Form10::build()
{
    setFixedSize(ui::twipsToPx(kWindowWidth), ui::twipsToPx(kWindowHeight));
    ui::paintBackground(this, m_d.backgroundColour, ui::colourFromConstant(QStringLiteral("&H00E6D8AD")));

    m_label1 = label(this, QStringLiteral("Label1"), QStringLiteral("予備品データインポート"), 360, 240, 4800, 540);
    QFont title = m_label1->font();
    title.setPointSize(16);
    title.setBold(true);
    m_label1->setFont(title);

    label(this, QStringLiteral("Label7"), QStringLiteral("予備品管理データ位置"), 360, 1080, 2400, 420);
    m_label4 = valueBox(label(this, QStringLiteral("Label4"), {}, 2880, 1080, 6480, 420));
    ui::showsValue(m_label4, QStringLiteral("予備品管理データ位置"));
    label(this, QStringLiteral("Label6"), QStringLiteral("取り込みデータ位置"), 360, 1620, 2400, 420);
    m_label3 = new ui::ClickLabel(this, QStringLiteral("Label3"));
    setGeometryTwips(m_label3, 2880, 1620, 6480, 420);
    m_label3->setFrameShape(QFrame::Panel);
    m_label3->setFrameShadow(QFrame::Sunken);
    m_label3->setToolTip(QStringLiteral("クリックでフォルダーを選択"));
    ui::showsValue(m_label3, QStringLiteral("取り込みデータ位置"));
    m_label8 = label(this, QStringLiteral("Label8"), {}, 360, 2160, 2400, 420);
    m_label5 = valueBox(label(this, QStringLiteral("Label5"), {}, 2880, 2160, 1800, 420));
    m_label5->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::showsValue(m_label8, QStringLiteral("インポート対象"));
    ui::showsValue(m_label5, QStringLiteral("予備品件数"));
    m_label11 = valueBox(label(this, QStringLiteral("Label11"), {}, 4800, 2160, 420, 420));
    ui::showsState(m_label11, QStringLiteral("完了"), kCompleted);
    ui::paintBackground(m_label11, ui::buttonFaceColour());
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressImport"));
    m_progress->setAccessibleName(QStringLiteral("インポートの進み具合"));
    setGeometryTwips(m_progress, 5400, 2160, 3960, 420);

    m_command5 = button(this, QStringLiteral("Command5"), QStringLiteral("予備品データインポート"), 360, 6240, 2760, 600);
    m_command10 = button(this, QStringLiteral("Command10"), QStringLiteral("予備品項目インポート"), 3240, 6240, 2760, 600);
    m_command44 = button(this, QStringLiteral("Command44"), QStringLiteral("説明"), 6120, 6240, 1200, 600);
    m_command7 = button(this, QStringLiteral("Command7"), QStringLiteral("終　了"), 7440, 6240, 1920, 600);
    m_command6 = button(this, QStringLiteral("Command6"), QStringLiteral("予備品インポート開始"), kTopButtonsLeft, 240, 2280, 600);
    m_command11 = button(this, QStringLiteral("Command11"), QStringLiteral("予備品項目INP開始"), kTopButtonsLeft, 240, 2280, 600);
    m_command8 = button(this, QStringLiteral("Command8"), QStringLiteral("中　　止"), kTopButtonsLeft + 2400, 240, 1560, 600);

    // The folder panel.
    m_picture2 = new ui::PictureBox(this, QStringLiteral("Picture2"));
    setGeometryTwips(m_picture2, 360, 2760, 9000, 3360);
    m_picture2->setFrameShape(QFrame::Box);
    ui::paintBackground(m_picture2, QColor(255, 255, 224));
    label(m_picture2, QStringLiteral("Label14"), QStringLiteral("インポートExceLデータディスク位置"), 120, 60, 4200, 360);
    m_drive3 = new QComboBox(m_picture2);
    m_drive3->setObjectName(QStringLiteral("Drive3"));
    m_drive3->setAccessibleName(QStringLiteral("ドライブ"));
    setGeometryTwips(m_drive3, 120, 420, 4200, 360);
    m_dir3 = new QTreeView(m_picture2);
    m_dir3->setObjectName(QStringLiteral("Dir3"));
    m_dir3->setAccessibleName(QStringLiteral("フォルダー"));
    setGeometryTwips(m_dir3, 120, 840, 4200, 2400);
    m_dir3->setHeaderHidden(true);
    label(m_picture2, QStringLiteral("Label16"), QStringLiteral("Ｅｘｃｅｌﾌｧｲﾙ参照"), 4440, 60, 4440, 360);
    m_label10 = valueBox(label(m_picture2, QStringLiteral("Label10"), {}, 4440, 420, 4440, 360));
    ui::showsValue(m_label10, QStringLiteral("選択フォルダー"));
    m_list1 = new QListWidget(m_picture2);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("Excelファイル"));
    setGeometryTwips(m_list1, 4440, 840, 4440, 1800);
    m_command9 = button(m_picture2, QStringLiteral("Command9"), QStringLiteral("登　録"), 4440, 2760, 2160, 480);
    m_command2 = button(m_picture2, QStringLiteral("Command2"), QStringLiteral("閉じる"), 6720, 2760, 2160, 480);

    connect(m_command5, &QPushButton::clicked, this, &Form10::prepareLedgerImport);
    connect(m_command10, &QPushButton::clicked, this, &Form10::prepareWordListImport);
    connect(m_command6, &QPushButton::clicked, this, &Form10::startLedgerImport);
    connect(m_command11, &QPushButton::clicked, this, &Form10::startWordListImport);
    connect(m_command8, &QPushButton::clicked, this, &Form10::cancel);
    connect(m_command7, &QPushButton::clicked, this, &QWidget::close);
    connect(m_command44, &QPushButton::clicked, this, &Form10::explain);
    connect(m_label3, &ui::ClickLabel::clicked, this, [this] { showFolderPanel(true); });
    connect(m_command9, &QPushButton::clicked, this, &Form10::registerFolder);
    connect(m_command2, &QPushButton::clicked, this, [this] { showFolderPanel(false); });
    connect(m_list1, &QListWidget::itemClicked, this, &Form10::explainList);
    connect(m_drive3, &QComboBox::currentTextChanged, this, [this](const QString &drive) {
        // A drive that does not answer leaves the folder list where it was.
        if (!m_dirModel || !QDir(drive).exists()) return;
        m_dir3->setRootIndex(m_dirModel->index(drive));
    });
}

void Form10::load()
{
    setWindowTitle(m_d.appTitle + QStringLiteral("　インポート "));
    ui::centerForm(this);
    move(x(), y() - ui::twipsToPx(200));

    m_d.dataFolder = normalizeFolderPath(m_d.clientSettings.value(kDataFolderSlot));
    m_label4->setText(m_d.dataFolder);
    const QString folder = m_d.sharedSettings.value(kImportFolderSlot);
    m_label10->setText(folder);
    m_label3->setText(folder);
    ui::paintBackground(m_label3, kFolderShown);

    m_picture2->hide();
    m_progress->hide();
    m_command6->hide();
    m_command8->hide();
    m_command11->hide();
    m_command44->setVisible(!m_d.clientSettings.isOn(kHideExplanationsSlot));

    // The settings file is written once: read again and rewritten with no
    // slot of this client changed, so nothing another client saved is lost.
    m_d.changeSharedSettings({});
    m_d.openLedger();
    m_label5->clear();
    m_label8->clear();

    if (menu::checkAllClientsStop(m_d)) {
        m_stoppedAtLoad = true;
        if (m_endProgram) QTimer::singleShot(0, this, [end = m_endProgram] { end(); });
    }
}

QString Form10::importFolder() const
{
    return importFolderText(m_d.sharedSettings.value(kImportFolderSlot));
}

void Form10::showFolderPanel(bool show)
{
    if (show && !m_dirModel) {
        // The folder tree is built on first use (it watches the file system).
        m_dirModel = new QFileSystemModel(this);
        m_dirModel->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
        m_dirModel->setRootPath(QString());
        m_dir3->setModel(m_dirModel);
        for (int c = 1; c < m_dirModel->columnCount(); ++c) m_dir3->hideColumn(c);
        const QSignalBlocker block(m_drive3);
        m_drive3->addItem(QDir::homePath());
        for (const QFileInfo &drive : QDir::drives()) m_drive3->addItem(drive.absoluteFilePath());
        connect(m_dir3->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [this](const QModelIndex &current) {
                    if (current.isValid()) chooseFolder(m_dirModel->filePath(current));
                });
        const QString folder = importFolder();
        if (!folder.isEmpty() && QDir(folder).exists()) {
            const QModelIndex at = m_dirModel->index(QDir(folder).absolutePath());
            const QSignalBlocker quiet(m_dir3->selectionModel());
            m_dir3->setCurrentIndex(at);
            m_dir3->scrollTo(at);
        }
    }
    if (show) m_list1->clear();
    if (show) m_list1->addItems(xlsFilesIn(importFolder()));
    m_picture2->setVisible(show);
}

void Form10::chooseFolder(const QString &path)
{
    m_label10->setText(path);
    QString folder = path.trimmed();
    if (folder.size() >= 2) folder = importFolderText(folder);
    m_label10->setText(folder);
    m_label3->setText(folder);
    m_d.sharedSettings.set(kImportFolderSlot, folder);
    ui::paintBackground(m_label3, kFolderChanged);
    m_list1->clear();
    m_list1->addItems(xlsFilesIn(folder));
}

void Form10::registerFolder()
{
    // The folder chosen is registered, not the label's text (which shows a
    // book's path while an import runs).
    const QString folder = importFolder();
    if (folder.isEmpty()) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("インポート元のフォルダーが設定されてません。　"));
        return;
    }
    if (m_d.changeSharedSettings({{kImportFolderSlot, folder}})) ui::paintBackground(m_label3, kFolderShown);
    m_label3->setText(folder);
}

void Form10::prepareLedgerImport()
{
    showFolderPanel(true);
    for (QPushButton *w : {m_command5, m_command7, m_command10, m_command11}) w->hide();
    m_command6->show();
    m_command8->show();
    m_d.openLedger();
    m_label5->setText(QString::number(m_d.recordCount));
    m_label8->setText(QStringLiteral("在庫リスト"));
}

void Form10::prepareWordListImport()
{
    m_label5->clear();
    m_label8->setText(QStringLiteral("在庫品項目"));
    showFolderPanel(true);
    for (QPushButton *w : {m_command5, m_command6, m_command7, m_command10}) w->hide();
    m_command8->show();
    m_command11->show();
}

void Form10::cancel()
{
    showFolderPanel(false);
    m_command5->show();
    m_command7->show();
    m_command10->show();
    m_command6->hide();
    m_command8->hide();
    m_command11->hide();
    m_progress->hide();
    m_label5->clear();
    m_label8->clear();
}

void Form10::showProgress(int done, int total)
{
    m_label5->setText(QString::number(done));
    m_progress->setRange(0, std::max(total, 1));
    m_progress->setValue(done);
}

void Form10::startLedgerImport()
{
    showFolderPanel(false);
    const QString folder = importFolder();
    if (folder.isEmpty()) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("インポート元のフォルダーが設定されてません。　"));
        return;
    }
    m_label3->setText(folder + ledgerBookName());
    m_label8->setText(QStringLiteral("在庫品リスト"));
    if (!m_office) {
        excel::ReportExcelFailure(m_d.messages(), excel::Failure{excel::FailureKind::ApplicationFailed, {}});
        return;
    }
    m_progress->setValue(0);
    m_progress->show();
    LedgerImport::Result result = LedgerImport::Result::Failed;
    ui::runOfficeWork(this, *m_office, QStringLiteral("予備品インポート"), QStringLiteral("在庫品INPExcelを読み込んでいます"),
                      [this, folder, &result](excel::Progress &progress) {
                          LedgerImport run(m_d, *m_office);
                          result = run.run(folder, [this, &progress](int done, int total) {
                              progress.step(QStringLiteral("台帳に書き込んでいます"));
                              progress.count(done, total);
                              QMetaObject::invokeMethod(this, [this, done, total] { showProgress(done, total); },
                                                        Qt::QueuedConnection);
                          });
                      });
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); // the last count
    if (result == LedgerImport::Result::Completed) {
        ui::paintBackground(m_label11, kCompleted);
        return;
    }
    // Nothing was imported: the count is the ledger's, as it was.
    m_progress->hide();
    m_label5->setText(QString::number(m_d.recordCount));
}

void Form10::startWordListImport()
{
    showFolderPanel(false);
    m_label5->clear();
    const QString folder = importFolder();
    if (folder.isEmpty()) {
        m_d.messages().tell(QStringLiteral("登録確認"), QStringLiteral("インポート元のフォルダーが設定されてません。　"));
        return;
    }
    m_label3->setText(folder + wordListBookName());
    m_label8->setText(QStringLiteral("在庫品項目"));
    if (!m_office) {
        excel::ReportExcelFailure(m_d.messages(), excel::Failure{excel::FailureKind::ApplicationFailed, {}});
        return;
    }
    m_progress->setValue(0);
    m_progress->show();
    WordListImport::Result result = WordListImport::Result::Failed;
    bool importedAny = false;
    ui::runOfficeWork(this, *m_office, QStringLiteral("予備品項目インポート"), QStringLiteral("在庫品項目INPExcelを読み込んでいます"),
                      [this, folder, &result, &importedAny](excel::Progress &progress) {
                          WordListImport run(m_d, *m_office);
                          result = run.run(folder, [this, &progress](int list, int words) {
                              progress.step(QStringLiteral("項目リストを書き込んでいます"));
                              progress.count(list - word_book::kFirstList + 1, word_book::kLists);
                              QMetaObject::invokeMethod(
                                  this,
                                  [this, list, words] {
                                      m_label5->setText(QString::number(words));
                                      m_progress->setRange(0, word_book::kLists);
                                      m_progress->setValue(list - word_book::kFirstList + 1);
                                  },
                                  Qt::QueuedConnection);
                          });
                          importedAny = !run.imported().isEmpty();
                      });
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall); // the last count
    if (result != WordListImport::Result::Completed && !importedAny) {
        m_progress->hide();
        m_label5->clear();
    }
}

void Form10::explain()
{
    m_d.messages().tell(QStringLiteral("登録確認"),
                        lines({u"本ソフトに添付されているインポート用ExceLファイルで編集すれば　",
                               u"ListBox表示文言と在庫管理台帳のインポート（取り込み）が可能です。　",
                               u" インポート用のExcelファイル名は",
                               u"①List項目＝Mb在庫品項目INP.xls　②在庫品台帳＝Mb在庫品INP.xls",
                               u"　で,様式が決まっていますので,このExcelにデータを貼り付け",
                               u" 　読み込みフォルダーにExcelを 配置してください。",
                               u"　フォルダー位置は任意",
                               u"※使用の方法　当ソフトで作成したデータをExcelに出力",
                               u"　確認修正→Excelファイル名を変更後インポートを行う方法もあります。",
                               u" ※インポート用のExcelファイルは",
                               u"　C:\\DOLV在庫管理\\原本INP\\内にあります。"}));
}

void Form10::explainList()
{
    m_d.messages().tell(QStringLiteral("登録確認"),
                        lines({u"インポートフォルダー設定",
                               u"※注意　ここでExcelファイルを選択しクリックする必要はありません。",
                               u"　指定フォルダーに対象Excelインポートファイルの有無確認のみです。"}));
}

} // namespace kpv::import
