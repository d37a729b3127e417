#pragma once
// The keypad of the mouse calculator: the 40 keys (index, caption, place and
// size in twips) and the value being built.
//
// Keys sit on a 480-twip pitch from left 120, 495 x 480 each (neighbours
// overlap by one border); "0" and "," take two places. The first key after
// the entry was started or cancelled replaces the shown value, every further
// key is appended. The "." key is offered only with decimal quantities; without
// them "-" takes its place as well.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace kpv::ledger {

struct CalculatorKey {
    int index = 0;
    QString caption;
    int left = 0;
    int top = 0;
    int width = 495;
    int height = 480;
    bool visible = true;
};

class Calculator {
public:
    static constexpr int kKeys = 40;

    // The keys row by row, left to right, placed for the decimal mode.
    static std::vector<CalculatorKey> keyLayout(bool decimalMode);
    // The caption of key index (0..39); empty for other indexes.
    static QString caption(int index);
    // Where the window opens for an entry target (screen twips) and whether
    // the typing box switches to half-width alphanumeric input.
    static QPoint windowPositionTwips(int entryTarget);
    static bool halfWidthInput(int entryTarget);
    // The top left corner for a window of the given size (frame included)
    // wanted at `wanted`: moved as little as needed to lie inside `area`
    // (the screen's available area); a window larger than the area keeps
    // its top left corner in it.
    static QPoint placeInside(QPoint wanted, QSize size, const QRect &area);

    // Starts an entry showing value (trimmed); the key counter is 0.
    void start(const QString &value);
    // A key click; unknown indexes are ignored.
    void press(int index);
    // "取消": empty value, key counter 0.
    void cancel();
    // A value typed into the typing box (taken trimmed).
    void setTyped(const QString &text);

    const QString &readout() const { return m_readout; }
    int keyCount() const { return m_keyCount; }

private:
    QString m_readout;
    int m_keyCount = 0;
};

} // namespace kpv::ledger
