#include "settings/data_folder_panel.h"

#include "settings/controls.h"
#include "storage/dolvb.h"
#include "storage/text.h"
#include "ui/accessible.h"
#include "ui/colours.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>

namespace kpv::settings {

DataFolderPanel::DataFolderPanel(Dolvb &d, DataFolder &rules, ui::ClickLabel *label18, QWidget *parent)
    : ui::PictureBox(parent, QStringLiteral("Picture2")), m_d(d), m_rules(rules), m_label18(label18)
{
    setFrameShape(QFrame::Box);
    makeLabel(this, QStringLiteral("Label17"), QStringLiteral("データフォルダー位置"), 240, 120, 3000, 360);
    m_label22 = makeLabel(this, QStringLiteral("Label22"), QStringLiteral("データ位置変更"), 3360, 120, 1800, 360);
    m_label22->setAlignment(Qt::AlignCenter);

    m_drive3 = place(new QComboBox(this), QStringLiteral("Drive3"), 240, 540, 3600, 360);
    m_drive3->setAccessibleName(QStringLiteral("ドライブ"));
    for (const QFileInfo &drive : QDir::drives()) m_drive3->addItem(drive.absoluteFilePath());
    connect(m_drive3, &QComboBox::activated, this, [this](int i) { goTo(m_drive3->itemText(i)); });

    m_model = new QFileSystemModel(this);
    m_model->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_model->setRootPath(QDir::rootPath());
    m_dir3 = place(new QTreeView(this), QStringLiteral("Dir3"), 240, 960, 3600, 3900);
    m_dir3->setAccessibleName(QStringLiteral("フォルダー"));
    m_dir3->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c) m_dir3->hideColumn(c);
    m_dir3->header()->hide();
    connect(m_dir3->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { browsed(current); });

    m_list2 = place(new QListWidget(this), QStringLiteral("List2"), 3960, 540, 3000, 4320);
    m_list2->setAccessibleName(QStringLiteral("フォルダー内のファイル"));

    m_picture4 = makeLabel(this, QStringLiteral("Picture4"), QStringLiteral("↓"), 240, 4980, 360, 360);
    m_label19 = makeLabel(this, QStringLiteral("Label19"), {}, 660, 4980, 6300, 360);
    m_label19->setFrameShape(QFrame::Box);
    ui::showsValue(m_label19, QStringLiteral("前のデータフォルダー"));

    m_text4 = place(new QLineEdit(m_label18->parentWidget()), QStringLiteral("Text4"), 0, 0, 100, 100);
    m_text4->setAccessibleName(QStringLiteral("データフォルダー位置"));
    m_text4->hide();
    connect(m_text4, &QLineEdit::returnPressed, this, &DataFolderPanel::typed);
    connect(m_label18, &ui::ClickLabel::clicked, this, [this] {
        if (!isVisible()) return;
        m_text4->setGeometry(m_label18->geometry());
        m_text4->setText(m_label18->text());
        m_text4->show();
        m_text4->raise();
        m_text4->setFocus();
        m_text4->end(false);
    });

    const int bt = 5460, bw = 1600, bh = 480;
    m_transfer = makeButton(this, QStringLiteral("Command51"), QStringLiteral("データ転送"), 240, bt, bw, bh);
    m_register = makeButton(this, QStringLiteral("Command25"), QStringLiteral("登　録"), 1960, bt, bw, bh);
    auto *close = makeButton(this, QStringLiteral("Command24"), QStringLiteral("閉じる"), 3680, bt, bw, bh);
    m_explain = makeButton(this, QStringLiteral("Command46"), QStringLiteral("説明"), 5400, bt, 1000, bh);
    m_transfer->hide();

    connect(m_transfer, &QPushButton::clicked, this, [this] {
        resetEditors();
        m_rules.transfer();
        m_transfer->setVisible(m_rules.transferOffered());
        showFolder(m_d.dataFolder);
        markChanged();
        emit positionChanged();
    });
    connect(m_register, &QPushButton::clicked, this, [this] {
        if (m_rules.registerPanel()) {
            markChanged();
            m_transfer->setVisible(m_rules.transferOffered());
            emit positionChanged();
        }
        showFolder(m_d.dataFolder);
    });
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    connect(m_explain, &QPushButton::clicked, this, [this] { m_d.messages().tell(QStringLiteral("登録確認"), DataFolder::explanation()); });
}

void DataFolderPanel::resetEditors()
{
    m_text4->hide();
}

void DataFolderPanel::markChanged()
{
    ui::paintBackground(m_label22, QColor(255, 0, 0));
}

void DataFolderPanel::openPanel()
{
    show();
    raise();
    m_label19->hide();
    m_picture4->hide();
    m_text4->hide();
    if (!m_rules.open()) {
        if (m_rules.positionChanged()) {
            markChanged();
            emit positionChanged();
        }
    }
    showFolder(m_d.dataFolder);
}

void DataFolderPanel::showFolder(const QString &folder)
{
    m_label18->setText(folder);
    m_text4->setText(folder);
    listFiles(folder);
    goTo(folder);
}

void DataFolderPanel::listFiles(const QString &folder)
{
    m_list2->clear();
    m_list2->addItems(DataFolder::listFiles(folder));
}

void DataFolderPanel::goTo(const QString &folder)
{
    m_navigating = true;
    const QModelIndex index = m_model->index(folder);
    if (index.isValid()) {
        m_dir3->setCurrentIndex(index);
        m_dir3->scrollTo(index);
    }
    m_navigating = false;
}

void DataFolderPanel::browsed(const QModelIndex &index)
{
    if (m_navigating || !index.isValid()) return;
    m_text4->hide();
    m_rules.browse(m_model->filePath(index));
    m_label18->setText(m_rules.candidate());
    m_label19->setText(m_rules.previous());
    listFiles(m_rules.candidate());
}

void DataFolderPanel::typed()
{
    m_text4->hide();
    m_label19->setText(m_d.clientSettings.value(1));
    m_label19->show();
    m_picture4->show();
    m_label18->setText(DataFolder::cleanFolder(m_text4->text()));
    switch (m_rules.confirmTyped(m_text4->text())) {
    case DataFolder::Confirm::Confirmed:
        listFiles(m_rules.previous());
        goTo(m_d.dataFolder);
        m_transfer->show();
        markChanged();
        emit positionChanged();
        break;
    case DataFolder::Confirm::SameFolder:
    case DataFolder::Confirm::Missing:
    case DataFolder::Confirm::Declined:
        m_label18->setText(m_d.clientSettings.value(1));
        m_label19->hide();
        m_picture4->hide();
        break;
    }
}

} // namespace kpv::settings
