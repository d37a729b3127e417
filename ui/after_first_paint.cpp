#include "ui/after_first_paint.h"

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWidget>

namespace kpv::ui {

namespace {

class FirstPaint : public QObject {
public:
    FirstPaint(QWidget *window, std::function<void()> then) : QObject(window), m_then(std::move(then)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            watched->removeEventFilter(this);
            // After the paint has been done, not in the middle of it.
            QTimer::singleShot(0, parent(), m_then);
            deleteLater();
        }
        return false;
    }

private:
    std::function<void()> m_then;
};

} // namespace

void afterFirstPaint(QWidget *window, std::function<void()> then)
{
    if (!window || !then) return;
    window->installEventFilter(new FirstPaint(window, std::move(then)));
}

} // namespace kpv::ui
