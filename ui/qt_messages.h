#pragma once
// The message boxes of the running program: a modal box with a title and a
// text whose lines are joined by a carriage return, with OK or with
// "はい"/"いいえ".

#include "storage/messages.h"

class QWidget;

namespace kpv::ui {

class QtMessages : public Messages {
public:
    explicit QtMessages(QWidget *parent = nullptr) : m_parent(parent) {}
    bool ask(const QString &title, const QString &text) override;
    void tell(const QString &title, const QString &text) override;

    // The text as the box shows it: carriage returns (alone or before a line
    // feed) become line breaks.
    static QString displayText(const QString &text);

private:
    QWidget *m_parent;
};

} // namespace kpv::ui
