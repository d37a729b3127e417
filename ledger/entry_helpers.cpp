#include "ledger/entry_helpers.h"

#include "ledger/entry_panels.h"
#include "ledger/form12.h"
#include "ledger/pick_list_panel.h"
#include "ledger/start_of_use_panel.h"
#include "storage/dolvb.h"
#include "ui/twips.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace kpv::ledger {

namespace {
QRect twipsRect(const QRect &px)
{
    return QRect(ui::pxToTwips(px.x()), ui::pxToTwips(px.y()), ui::pxToTwips(px.width()), ui::pxToTwips(px.height()));
}
// The word list shows a few words at least.
constexpr int kMinListHeight = 2400;
} // namespace

EntryHelpers::EntryHelpers(Dolvb &d, EntryRouter &router, QWidget *screen, int currentYear, QLineEdit *text1)
    : QObject(screen), m_d(d), m_router(router), m_screen(screen), m_text1(text1)
{
    if (!m_text1) {
        m_text1 = new QLineEdit(screen);
        m_text1->setObjectName(QStringLiteral("Text1"));
        m_text1->setAccessibleName(QStringLiteral("入力"));
        ui::setGeometryTwips(m_text1, 8040, 2700, 5400, 360);
    }
    m_text1->installEventFilter(this);
    m_text1->hide();
    // What the user types is the router's to store (at Enter, or when the
    // card is registered or another cell is clicked).
    connect(m_text1, &QLineEdit::textEdited, this, [this](const QString &text) { m_router.setTypedText(text); });

    m_picture1 = new PickListPanel(screen);
    connect(m_picture1, &PickListPanel::resetRequested, this, &EntryHelpers::resetRequested);
    connect(m_picture1, &PickListPanel::wordClicked, this, [this](const QString &entry) {
        m_router.pickWord(entry);
        m_picture1->hide();
        m_text1->hide();
        emit cardChanged();
    });
    connect(m_picture1, &PickListPanel::appendClicked, this, [this] {
        const bool added = m_router.appendWord();
        emit cardChanged();
        if (added) showPickList(m_caption);
    });

    m_picture21 = new StartOfUsePanel(currentYear, screen);
    connect(m_picture21, &StartOfUsePanel::chosen, this, [this](const QString &entry) {
        m_router.chooseStartOfUse(entry);
        m_picture21->hide();
        emit cardChanged();
    });
    connect(m_picture21, &StartOfUsePanel::cancelled, this, [this] {
        m_router.cancelStartOfUse();
        m_picture21->hide();
        emit cardChanged();
    });
}

EntryHelpers::~EntryHelpers()
{
    if (m_calculator) delete m_calculator.data();
}

Form12 *EntryHelpers::calculator() const { return m_calculator.data(); }

void EntryHelpers::hidePanels()
{
    m_text1->hide();
    m_picture1->hide();
    m_picture21->hide();
}

void EntryHelpers::closeCalculator()
{
    if (m_calculator) {
        // Gone at once, so that a new one never meets the old.
        Form12 *old = m_calculator.data();
        m_calculator.clear();
        old->hide();
        delete old;
    }
}

void EntryHelpers::closeTools()
{
    closeCalculator();
    hidePanels();
}

void EntryHelpers::openCalculator()
{
    closeCalculator();
    m_calculator = new Form12(m_router, m_d, m_screen);
    connect(m_calculator, &Form12::written, this, &EntryHelpers::cardChanged);
    m_calculator->show();
}

void EntryHelpers::placeBesideCard(QWidget *panel, const QRect &designed)
{
    QRect at = designed;
    if (m_cardPanel && m_cardPanel->isVisible())
        at = ledger::placeBesideCard(twipsRect(m_cardPanel->geometry()), twipsRect(m_screen->rect()), designed,
                                     panel == m_picture1 ? kMinListHeight : designed.height());
    if (panel == m_picture1)
        m_picture1->placeAt(at);
    else
        ui::setGeometryTwips(panel, at.left(), at.top(), at.width(), at.height());
}

void EntryHelpers::showPickList(const QString &caption)
{
    m_caption = caption;
    placeBesideCard(m_picture1, PickListPanel::designedPlace());
    m_picture1->showList(caption, m_router.wordCount(), m_router.pickListEntries());
}

void EntryHelpers::fieldGridClicked(int col)
{
    const EntryStart s = m_router.startFieldEntry(col);
    // Typed text that could not be stored keeps the text box as it was.
    if (s.step == EntryStep::Kept) {
        emit cardChanged();
        return;
    }
    closeTools();
    switch (s.step) {
    case EntryStep::Text:
        m_text1->setText(s.text);
        m_text1->show();
        m_text1->raise();
        m_text1->setCursorPosition(s.cursor);
        m_text1->setFocus();
        showPickList(s.caption);
        break;
    case EntryStep::Calculator:
        openCalculator();
        break;
    case EntryStep::StartOfUse:
        placeBesideCard(m_picture21, StartOfUsePanel::designedPlace());
        m_picture21->show();
        m_picture21->raise();
        break;
    default:
        break;
    }
    emit cardChanged();
}

void EntryHelpers::monthGridClicked(int row, int col)
{
    const EntryStart s = m_router.startMonthEntry(row, col);
    if (s.step != EntryStep::Kept) {
        closeTools();
        if (s.step == EntryStep::Calculator) openCalculator();
    }
    emit cardChanged();
}

void EntryHelpers::itemNumberClicked()
{
    const EntryStart s = m_router.startItemNumberEntry();
    if (s.step != EntryStep::Kept) {
        closeTools();
        if (s.step == EntryStep::Calculator) openCalculator();
    }
    emit cardChanged();
}

void EntryHelpers::showMoveCardHelp()
{
    m_d.messages().tell(QStringLiteral("登録確認"), EntryRouter::moveCardHelpText());
}

bool EntryHelpers::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (const auto next = m_router.textEnter(m_text1->text())) {
                m_text1->setText(*next);
                emit cardChanged();
            }
            m_picture1->hide();
            return true;
        }
        m_picture1->hide();
    }
    return QObject::eventFilter(watched, event);
}

} // namespace kpv::ledger
