#include "ledger/pick_list_panel.h"

#include "ui/accessible.h"
#include "ui/colours.h"
#include "ui/twips.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace kpv::ledger {

PickListPanel::PickListPanel(QWidget *parent) : ui::PictureBox(parent, QStringLiteral("Picture1"))
{
    setFrameShape(QFrame::Box);
    ui::paintBackground(this, QColor(255, 255, 240));

    m_picture18 = new ui::PictureBox(this, QStringLiteral("Picture18"));
    m_picture18->setFrameShape(QFrame::Panel);
    ui::setGeometryTwips(m_picture18, 60, 60, 4380, 6120);
    ui::paintBackground(m_picture18, QColor(173, 216, 230));
    connect(m_picture18, &ui::PictureBox::clicked, this, &PickListPanel::resetRequested);

    m_label2 = new QLabel(m_picture18);
    m_label2->setObjectName(QStringLiteral("Label2"));
    QFont f = m_label2->font();
    f.setBold(true);
    m_label2->setFont(f);
    ui::setGeometryTwips(m_label2, 60, 60, 2700, 360);
    ui::showsValue(m_label2, QStringLiteral("入力項目"));
    m_label41 = new QLabel(m_picture18);
    m_label41->setObjectName(QStringLiteral("Label41"));
    m_label41->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ui::setGeometryTwips(m_label41, 2820, 60, 1440, 360);
    ui::showsValue(m_label41, QStringLiteral("リスト項目数"));

    m_list1 = new QListWidget(m_picture18);
    m_list1->setObjectName(QStringLiteral("List1"));
    m_list1->setAccessibleName(QStringLiteral("項目リスト"));
    ui::setGeometryTwips(m_list1, 60, 480, 4260, 5040);
    connect(m_list1, &QListWidget::itemClicked, this, [this](QListWidgetItem *item) { emit wordClicked(item->text()); });

    m_command3 = new QPushButton(QStringLiteral("追記"), m_picture18);
    m_command3->setObjectName(QStringLiteral("Command3"));
    ui::setGeometryTwips(m_command3, 60, 5600, 2070, 420);
    connect(m_command3, &QPushButton::clicked, this, &PickListPanel::appendClicked);
    m_command21 = new QPushButton(QStringLiteral("閉じる"), m_picture18);
    m_command21->setObjectName(QStringLiteral("Command21"));
    ui::setGeometryTwips(m_command21, 2190, 5600, 2070, 420);
    connect(m_command21, &QPushButton::clicked, this, &QWidget::hide);
    placeAt(designedPlace());
    hide();
}

void PickListPanel::placeAt(const QRect &r)
{
    ui::setGeometryTwips(this, r.left(), r.top(), r.width(), r.height());
    const int h = r.height();
    ui::setGeometryTwips(m_picture18, 60, 60, r.width() - 120, h - 120);
    ui::setGeometryTwips(m_list1, 60, 480, r.width() - 240, std::max(360, h - 1200));
    ui::setGeometryTwips(m_command3, 60, h - 640, 2070, 420);
    ui::setGeometryTwips(m_command21, 2190, h - 640, 2070, 420);
}

void PickListPanel::showList(const QString &caption, int count, const QStringList &entries)
{
    m_list1->clear();
    m_list1->addItems(entries);
    m_label2->setText(caption);
    m_label41->setText(QString::number(count));
    show();
    raise();
}

} // namespace kpv::ledger
