#pragma once
// Labels and picture panels that react to a click, as the screens' hidden
// spots, switch boxes and panel backgrounds do.

#include <QFrame>
#include <QLabel>

namespace kpv::ui {

class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(QWidget *parent = nullptr, const QString &name = {}, const QString &text = {});

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
};

// A picture box used as a panel: a frame that holds controls and reacts to a
// click on its own background.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr, const QString &name = {});

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
};

} // namespace kpv::ui
