#include "ui/progress_window.h"

#include "excel/spreadsheet.h"
#include "excel/work_thread.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace kpv::ui {

namespace {

void showValue(QLabel *label, const QString &text)
{
    if (label->text() == text) return;
    label->setText(text);
    label->setAccessibleName(text);
}

} // namespace

ProgressWindow::ProgressWindow(excel::WorkThread &thread, std::shared_ptr<excel::Job> job, const QString &title,
                               QWidget *parent)
    : QDialog(parent), m_thread(thread), m_job(std::move(job))
{
    setObjectName(QStringLiteral("ProgressWindow"));
    setWindowTitle(title);
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setMinimumWidth(420);

    titleLabel = new QLabel(this);
    titleLabel->setObjectName(QStringLiteral("ProgressTitle"));
    titleLabel->setAccessibleDescription(QStringLiteral("作業"));
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    showValue(titleLabel, title);

    stepLabel = new QLabel(this);
    stepLabel->setObjectName(QStringLiteral("ProgressStep"));
    stepLabel->setAccessibleDescription(QStringLiteral("処理の内容"));
    stepLabel->setWordWrap(true);

    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("ProgressCount"));
    countLabel->setAccessibleDescription(QStringLiteral("進み具合"));

    bar = new QProgressBar(this);
    bar->setObjectName(QStringLiteral("ProgressBar"));
    bar->setAccessibleName(QStringLiteral("進み具合"));
    bar->setTextVisible(false);
    bar->setRange(0, 0); // busy until a count is known

    cancelButton = new QPushButton(QStringLiteral("中止"), this);
    cancelButton->setObjectName(QStringLiteral("ProgressCancel"));
    cancelButton->setAccessibleName(QStringLiteral("中止"));
    cancelButton->setCursor(Qt::ArrowCursor);
    connect(cancelButton, &QPushButton::clicked, this, &ProgressWindow::cancel);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(stepLabel);
    layout->addWidget(bar);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(countLabel, 1);
    bottom->addWidget(cancelButton);
    layout->addLayout(bottom);

    // Every change of the work's state brings a refresh here; the timer also
    // catches a change made before the window listened.
    QPointer<ProgressWindow> self(this);
    m_job->setOnChange([self] {
        if (self) QMetaObject::invokeMethod(self, [self] { if (self) self->refresh(); }, Qt::QueuedConnection);
    });
    m_timer = new QTimer(this);
    m_timer->setInterval(200);
    connect(m_timer, &QTimer::timeout, this, &ProgressWindow::refresh);
    refresh();
}

ProgressWindow::~ProgressWindow()
{
    m_job->setOnChange({});
    if (m_busyShown) QApplication::restoreOverrideCursor();
}

void ProgressWindow::runUntilFinished()
{
    if (m_job->state().finished) return;
    // The arrow with the busy mark: busy, and 中止 can still be clicked.
    QApplication::setOverrideCursor(Qt::BusyCursor);
    m_busyShown = true;
    m_timer->start();
    if (parentWidget()) {
        // Below the middle of the screen it belongs to, where the screen's
        // own progress notice (in the middle) stays in sight.
        adjustSize();
        const QRect owner = parentWidget()->window()->geometry();
        move(owner.center().x() - width() / 2, owner.center().y() + 60);
    }
    exec();
    m_timer->stop();
    QApplication::restoreOverrideCursor();
    m_busyShown = false;
}

void ProgressWindow::refresh()
{
    const excel::Job::State s = m_job->state();
    if (s.finished) {
        if (isVisible()) accept();
        else QTimer::singleShot(0, this, [this] { if (isVisible()) accept(); });
        return;
    }
    showValue(stepLabel, s.cancelled ? cancellingText() : m_thread.stepShownFor(m_job));
    if (s.total > 0 && !s.cancelled) {
        if (bar->maximum() != s.total) bar->setRange(0, s.total);
        bar->setValue(std::min(s.done, s.total));
        const QLocale c(QLocale::Japanese, QLocale::Japan);
        showValue(countLabel, QStringLiteral("%1 / %2 件").arg(c.toString(s.done), c.toString(s.total)));
    } else {
        bar->setRange(0, 0);
        showValue(countLabel, QString());
    }
    cancelButton->setEnabled(!s.cancelled);
}

void ProgressWindow::cancel()
{
    m_thread.cancel(m_job);
    refresh();
}

void ProgressWindow::reject()
{
    cancel(); // the window closes when the work has stopped
}

void runOfficeWork(QWidget *parent, excel::Spreadsheet &office, const QString &title, const QString &firstStep,
                   const std::function<void(excel::Progress &)> &work)
{
    excel::WorkThread *thread = office.workThread();
    if (!thread) {
        excel::NoProgress here;
        work(here);
        return;
    }
    std::shared_ptr<excel::Job> job = thread->post(firstStep, work);
    ProgressWindow window(*thread, job, title, parent);
    window.runUntilFinished();
}

} // namespace kpv::ui
