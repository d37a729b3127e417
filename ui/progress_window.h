#pragma once
// The progress window of the program's workbook work (outputs, imports,
// books opened for the user): while the work runs on the office's work
// thread (excel/work_thread.h) the window says what is happening (the
// office's start, "在庫品を書き込んでいます 1,000 / 12,000 件", ...), and its
// 中止 stops the work: the window says it is stopping, the work unwinds and
// the window closes when it has. The window is modal, so nothing else is
// started meanwhile, and the window thread keeps answering throughout.
//
// Each label exposes the value it shows as its accessible name (what it is
// goes in its description); the button's accessible name is its caption.

#include <QDialog>

#include <functional>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace kpv::excel {
class Job;
class Progress;
class Spreadsheet;
class WorkThread;
} // namespace kpv::excel

namespace kpv::ui {

class ProgressWindow : public QDialog {
    Q_OBJECT
public:
    ProgressWindow(excel::WorkThread &thread, std::shared_ptr<excel::Job> job, const QString &title,
                   QWidget *parent = nullptr);
    ~ProgressWindow() override;

    // Shows the window until the work has ended (at once when it already has).
    void runUntilFinished();

    QLabel *titleLabel = nullptr; // what the work is
    QLabel *stepLabel = nullptr;  // what is happening now
    QLabel *countLabel = nullptr; // how far ("n / m 件")
    QProgressBar *bar = nullptr;
    QPushButton *cancelButton = nullptr; // 中止

    static QString cancellingText() { return QStringLiteral("中止しています…"); }

protected:
    // Esc and the window's close button stop the work like 中止.
    void reject() override;

private:
    void refresh();
    void cancel();

    excel::WorkThread &m_thread;
    std::shared_ptr<excel::Job> m_job;
    QTimer *m_timer = nullptr;
    bool m_busyShown = false;
};

// Runs work on the office's work thread behind a progress window and returns
// when it has ended. An application without a work thread runs it here.
void runOfficeWork(QWidget *parent, excel::Spreadsheet &office, const QString &title, const QString &firstStep,
                   const std::function<void(excel::Progress &)> &work);

} // namespace kpv::ui
