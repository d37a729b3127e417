#include "ui/accessible.h"

#include "ui/clickable.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QLabel>
#include <QTextDocument>

namespace kpv::ui {

namespace {

// What a marked label carries (dynamic properties, so that any QLabel can be
// marked without a class of its own).
constexpr char kValueMark[] = "kpvShowsValue";
constexpr char kStateColour[] = "kpvStateOnColour";
constexpr char kStateShown[] = "kpvStateShown";

QString plainText(const QLabel *label)
{
    QString t = label->text();
    if (label->textFormat() == Qt::RichText || (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(t))) {
        QTextDocument doc;
        doc.setHtml(t);
        t = doc.toPlainText();
    }
    return t;
}

bool stateOn(const QLabel *box)
{
    const QColor on = box->property(kStateColour).value<QColor>();
    return box->autoFillBackground() && backgroundOf(box).rgb() == on.rgb();
}

// A label that shows a value: named by the value, described by what it is,
// and readable as text.
class ValueLabel : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ValueLabel(QLabel *label) : QAccessibleWidget(label, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
        case QAccessible::Value:
            return shown().trimmed();
        case QAccessible::Description:
            return label()->accessibleDescription();
        default:
            return QAccessibleWidget::text(t);
        }
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    // Read-only text without a cursor or selection.
    void selection(int, int *startOffset, int *endOffset) const override { *startOffset = *endOffset = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override
    {
        const QString s = shown();
        startOffset = qBound(0, startOffset, int(s.size()));
        endOffset = endOffset < 0 ? int(s.size()) : qBound(startOffset, endOffset, int(s.size()));
        return s.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(shown().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QLabel *label() const { return static_cast<QLabel *>(object()); }
    QString shown() const { return plainText(label()); }
};

// A box whose colour is its state: a check box to assistive technology.
class StateBox : public QAccessibleWidget {
public:
    explicit StateBox(QLabel *box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name) return box()->accessibleName();
        if (t == QAccessible::Value) return stateOn(box()) ? QStringLiteral("1") : QStringLiteral("0");
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = stateOn(box());
        s.readOnly = !pressable();
        return s;
    }

    QStringList actionNames() const override
    {
        QStringList names = QAccessibleWidget::actionNames();
        if (pressable()) names << pressAction() << toggleAction();
        return names;
    }

    void doAction(const QString &action) override
    {
        if (pressable() && (action == pressAction() || action == toggleAction())) {
            // The same as a click with the mouse.
            QMetaObject::invokeMethod(object(), "clicked");
            return;
        }
        QAccessibleWidget::doAction(action);
    }

private:
    QLabel *box() const { return static_cast<QLabel *>(object()); }
    bool pressable() const { return qobject_cast<ClickLabel *>(object()) != nullptr; }
};

QAccessibleInterface *labelFactory(const QString &, QObject *object)
{
    auto *label = qobject_cast<QLabel *>(object);
    if (!label) return nullptr;
    if (label->property(kStateColour).isValid()) return new StateBox(label);
    if (label->property(kValueMark).toBool()) return new ValueLabel(label);
    return nullptr;
}

// Announces a state box whose colour changed to the other state.
// It lives as a child of its box.
class StateWatcher : public QObject {
public:
    explicit StateWatcher(QLabel *box) : QObject(box) { box->installEventFilter(this); }
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::PaletteChange) {
            auto *box = static_cast<QLabel *>(watched);
            const bool on = stateOn(box);
            if (box->property(kStateShown).toBool() != on) {
                box->setProperty(kStateShown, on);
                QAccessible::State changed;
                changed.checked = true;
                QAccessibleStateChangeEvent e(box, changed);
                QAccessible::updateAccessibility(&e);
            }
        }
        return false;
    }
};

// Qt makes a label's interface as soon as the label is built (its text is
// set then); one made before the label was marked is dropped, so that the
// next query makes the marked one.
void forgetInterface(QObject *object)
{
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(object))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(labelFactory);
        return true;
    }();
    (void)installed;
}

void showsValue(QLabel *label, const QString &what)
{
    installAccessibility();
    label->setProperty(kValueMark, true);
    // The name is the value itself: a name set earlier (a caption) would hide it.
    label->setAccessibleName(QString());
    label->setAccessibleDescription(what);
    forgetInterface(label);
}

void showsState(QLabel *box, const QString &caption, const QColor &onColour)
{
    installAccessibility();
    const bool marked = box->property(kStateColour).isValid();
    box->setProperty(kStateColour, onColour);
    box->setProperty(kStateShown, stateOn(box));
    box->setAccessibleName(caption);
    if (!marked) new StateWatcher(box);
    forgetInterface(box);
}

} // namespace kpv::ui
