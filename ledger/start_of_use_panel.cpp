#include "ledger/start_of_use_panel.h"

#include "ledger/start_of_use.h"
#include "ui/colours.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace kpv::ledger {

StartOfUsePanel::StartOfUsePanel(int currentYear, QWidget *parent) : ui::PictureBox(parent, QStringLiteral("Picture21"))
{
    setFrameShape(QFrame::Box);
    const QRect at = designedPlace();
    ui::setGeometryTwips(this, at.left(), at.top(), at.width(), at.height());
    ui::paintBackground(this, QColor(173, 216, 230));

    m_label4 = new QLabel(QStringLiteral("使用開始年月"), this);
    m_label4->setObjectName(QStringLiteral("Label4"));
    ui::setGeometryTwips(m_label4, 120, 120, 2760, 300);

    m_combo1 = new QComboBox(this);
    m_combo1->setObjectName(QStringLiteral("Combo1"));
    m_combo1->setAccessibleName(QStringLiteral("使用開始年月"));
    m_combo1->addItems(startOfUseEntries(currentYear));
    m_combo1->setCurrentIndex(-1);
    ui::setGeometryTwips(m_combo1, 120, 480, 2760, 360);
    connect(m_combo1, &QComboBox::activated, this, [this](int i) { emit chosen(m_combo1->itemText(i)); });

    m_command38 = new QPushButton(QStringLiteral("取消"), this);
    m_command38->setObjectName(QStringLiteral("Command38"));
    ui::setGeometryTwips(m_command38, 120, 960, 1200, 420);
    connect(m_command38, &QPushButton::clicked, this, &StartOfUsePanel::cancelled);
    hide();
}

} // namespace kpv::ledger
