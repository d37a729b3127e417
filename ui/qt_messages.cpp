#include "ui/qt_messages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace kpv::ui {

QString QtMessages::displayText(const QString &text)
{
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

bool QtMessages::ask(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, displayText(text), QMessageBox::NoButton,
                    m_parent ? m_parent : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *yes = box.addButton(QStringLiteral("はい"), QMessageBox::YesRole);
    QPushButton *no = box.addButton(QStringLiteral("いいえ"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    // The pointer may be busy while a long operation asks: show the arrow.
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
    return box.clickedButton() == yes;
}

void QtMessages::tell(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Information, title, displayText(text), QMessageBox::NoButton,
                    m_parent ? m_parent : QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    QPushButton *ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    QApplication::restoreOverrideCursor();
}

} // namespace kpv::ui
