#include "ledger/form12.h"

#include "ledger/entry_router.h"
#include "storage/settings_slots.h"
#include "storage/dolvb.h"
#include "ui/accessible.h"
#include "ui/twips.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace kpv::ledger {

namespace {

QPushButton *button(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width, int height)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption);
    b->setFocusPolicy(Qt::NoFocus);  // the typing box keeps the keyboard
    ui::setGeometryTwips(b, left, top, width, height);
    return b;
}

} // namespace

Form12::Form12(EntryRouter &router, Dolvb &d, QWidget *parent)
    : QWidget(parent, Qt::Tool), m_router(router), m_d(d)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("マウス電卓"));
    setAttribute(Qt::WA_DeleteOnClose);
    // The window paints all of itself, whatever lies under it and whether or
    // not a window manager looks after it.
    setAutoFillBackground(true);
    setFixedSize(ui::twipsToPx(6495), ui::twipsToPx(3120));

    m_readout = new QLabel(this);
    m_readout->setObjectName(QStringLiteral("Readout"));
    ui::showsValue(m_readout, QStringLiteral("電卓表示"));
    m_readout->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_readout->setFrameShape(QFrame::Box);
    m_readout->setAutoFillBackground(true);
    QPalette pal = m_readout->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_readout->setPalette(pal);
    QFont big = m_readout->font();
    big.setPointSize(16);
    big.setBold(true);
    m_readout->setFont(big);
    ui::setGeometryTwips(m_readout, 120, 60, 6255, 480);

    // The typing box lies over the display: a click on the display types.
    m_text1 = new QLineEdit(this);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setAccessibleName(QStringLiteral("電卓入力"));
    m_text1->setAlignment(Qt::AlignRight);
    m_text1->setFont(big);
    ui::setGeometryTwips(m_text1, 120, 60, 6255, 480);
    m_text1->installEventFilter(this);

    const bool decimal = d.sharedSettings.isOn(slot::shared::kDecimalQuantities);
    for (const CalculatorKey &k : Calculator::keyLayout(decimal)) {
        QPushButton *b = button(this, QStringLiteral("number_%1").arg(k.index), k.caption, k.left, k.top, k.width, k.height);
        b->setVisible(k.visible);
        m_keys[k.index] = b;
        connect(b, &QPushButton::clicked, this, [this, i = k.index] { keyClicked(i); });
    }

    m_command2 = button(this, QStringLiteral("Command2"), QStringLiteral("決 定"), 120, 2040, 1455, 480);
    m_command2->hide();
    m_cancel = button(this, QStringLiteral("CENCEL"), QStringLiteral("取消"), 120, 2580, 1455, 480);
    m_confirm = button(this, QStringLiteral("CANCELENTRY"), QStringLiteral("決 定"), 1680, 2580, 2055, 480);
    m_command40 = button(this, QStringLiteral("Command40"), QStringLiteral("説明"), 3840, 2580, 1215, 480);
    m_command1 = button(this, QStringLiteral("Command1"), QStringLiteral("閉じる"), 5160, 2580, 1215, 480);
    m_command40->setVisible(d.clientSettings.value(slot::client::kHideExplanations) != QLatin1String("1"));

    connect(m_cancel, &QPushButton::clicked, this, &Form12::cancelEntry);
    connect(m_confirm, &QPushButton::clicked, this, &Form12::confirmShown);
    connect(m_command2, &QPushButton::clicked, this, [this] { confirmTyped(false); });
    connect(m_command1, &QPushButton::clicked, this, &QWidget::close);
    connect(m_command40, &QPushButton::clicked, this,
            [this] { m_d.messages().tell(QStringLiteral("入力確認"), EntryRouter::calculatorHelpText()); });

    // The display follows what is typed: the large "決 定" takes it then.
    connect(m_text1, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_calc.setTyped(text);
        showReadout();
    });

    const int target = d.entryTarget;
    const QPoint at = Calculator::windowPositionTwips(target);
    m_wanted = QPoint(ui::twipsToPx(at.x()), ui::twipsToPx(at.y()));
    placeOnScreen();
    if (Calculator::halfWidthInput(target)) m_text1->setInputMethodHints(Qt::ImhLatinOnly | Qt::ImhNoPredictiveText);
    m_entry = router.entry();
    m_calc.start(router.calculatorStart());
    showReadout();
    m_text1->setText(m_calc.readout());
}

void Form12::placeOnScreen()
{
    QScreen *s = screen();
    if (!s) {
        move(m_wanted);
        return;
    }
    // The frame a window manager adds is known once the window is shown.
    const QSize frame = frameGeometry().size().expandedTo(size());
    move(Calculator::placeInside(m_wanted, frame, s->availableGeometry()));
}

void Form12::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    placeOnScreen();
    // Above the ledger screen it belongs to, also without a window manager
    // to keep it there.
    raise();
    QTimer::singleShot(0, this, &Form12::placeOnScreen);
}

QPushButton *Form12::key(int index) const
{
    const auto it = m_keys.find(index);
    return it == m_keys.end() ? nullptr : it->second;
}

void Form12::showReadout() { m_readout->setText(m_calc.readout()); }

void Form12::keyClicked(int index)
{
    m_text1->hide();
    m_command2->hide();
    m_calc.press(index);
    showReadout();
}

void Form12::cancelEntry()
{
    m_calc.cancel();
    showReadout();
    m_text1->clear();
    m_text1->show();
    m_text1->setFocus();
}

void Form12::confirmShown()
{
    if (m_router.writeBack(m_calc.readout(), m_entry)) {
        emit written();
        close();
    }
}

void Form12::confirmTyped(bool fromEnter)
{
    m_calc.setTyped(m_text1->text());
    showReadout();
    if (fromEnter) m_text1->hide();
    if (m_router.writeBack(m_calc.readout(), m_entry)) {
        emit written();
        close();
    } else if (fromEnter) {
        m_text1->show();  // refused: the typed text stays to be mended
        m_text1->setFocus();
    }
}

bool Form12::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_text1) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_command2->show();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                confirmTyped(true);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace kpv::ledger
