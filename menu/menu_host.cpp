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

MenuHost::MenuHost(Dolvb &d, excel::Spreadsheet *spreadsheet, std::function<void()> quit)
    : m_d(d), m_quit(quit ? std::move(quit) : std::function<void()>([] { QCoreApplication::quit(); })),
      m_services{d, spreadsheet, [this] { endProgram(); }}
{
}

void MenuHost::registerScreen(Screen screen, ScreenFactory factory)
{
    m_factories[screen] = std::move(factory);
}

void MenuHost::showMenu()
{
    if (m_ended) return;
    auto *menu = new DolvMenu(m_d, *this, [this] { endProgram(); });
    menu->setAttribute(Qt::WA_DeleteOnClose);
    m_menu = menu;
    // The start-up may already have ended the program.
    if (!m_ended) menu->show();
}

void MenuHost::endProgram()
{
    if (m_ended) return;
    m_ended = true;
    if (m_screen) m_screen->close();
    if (m_menu) m_menu->close();
    m_quit();
}

QWidget *MenuHost::placeholder(Screen screen)
{
    // The work screens come with their own parts of the program; until then
    // a window with the screen's caption stands in for them, so that leaving
    // it returns to the menu as the screens will.
    auto *w = new QWidget;
    w->setWindowTitle(m_d.appTitle);
    w->resize(ui::twipsToPx(9000), ui::twipsToPx(3600));
    auto *layout = new QVBoxLayout(w);
    auto *text = new QLabel(screenCaption(screen) + QStringLiteral("\n\nこの画面は準備中です。"), w);
    text->setAlignment(Qt::AlignCenter);
    auto *back = new QPushButton(QStringLiteral("戻る"), w);
    layout->addWidget(text);
    layout->addWidget(back);
    QObject::connect(back, &QPushButton::clicked, w, &QWidget::close);
    ui::centerForm(w);
    return w;
}

void MenuHost::open(Screen screen)
{
    const auto factory = m_factories.find(screen);
    QWidget *w = factory != m_factories.end() && factory->second ? factory->second(m_services) : placeholder(screen);
    if (!w) return;
    if (m_ended) {
        // The screen ended the program while it was being built.
        w->deleteLater();
        return;
    }
    if (w->objectName().isEmpty()) w->setObjectName(screenName(screen));
    w->setAttribute(Qt::WA_DeleteOnClose);
    if (screen != Screen::CommonDocuments) {
        m_screen = w;
        // The menu comes back after the screen is gone: its load (and any
        // question it asks) never runs inside the closing screen.
        QObject::connect(
            w, &QObject::destroyed, &m_context, [this] {
                if (!m_ended) showMenu();
            },
            Qt::QueuedConnection);
    }
    w->show();
}

} // namespace kpv::menu
