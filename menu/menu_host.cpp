#include "menu/menu_host.h"

#include "menu/dolv_menu.h"
#include "storage/dolvb.h"
#include "ui/twips.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kpv::menu {

namespace {
QString screenCaption(Screen s)
{
    switch (s) {
    case Screen::Ledger: return QStringLiteral("予備品管理");
    case Screen::Import: return QStringLiteral("予備品インポート");
    case Screen::Settings: return QStringLiteral("初期設定");
    case Screen::CommonDocuments: return QStringLiteral("予備品共通資料");
    }
    return {};
}
} // namespace

void MenuHost::showMenu()
{
    auto *menu = new DolvMenu(m_d, *this, [] { QCoreApplication::quit(); });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu = menu;
    menu->show();
}

void MenuHost::open(Screen screen)
{
    // The work screens come with their own parts of the program; until then
    // a window with the screen's caption stands in for them, so that leaving
    // it returns to the menu as the screens will.
    auto *w = new QWidget;
    w->setObjectName(screenName(screen));
    w->setAttribute(Qt::WA_DeleteOnClose);
    w->setWindowTitle(m_d.appTitle);
    w->resize(ui::twipsToPx(9000), ui::twipsToPx(3600));
    auto *layout = new QVBoxLayout(w);
    auto *text = new QLabel(screenCaption(screen) + QStringLiteral("\n\nこの画面は準備中です。"), w);
    text->setAlignment(Qt::AlignCenter);
    auto *back = new QPushButton(QStringLiteral("戻る"), w);
    layout->addWidget(text);
    layout->addWidget(back);
    QObject::connect(back, &QPushButton::clicked, w, &QWidget::close);
    if (screen != Screen::CommonDocuments)
        QObject::connect(w, &QObject::destroyed, [this] { showMenu(); });
    ui::centerForm(w);
    w->show();
}

} // namespace kpv::menu
