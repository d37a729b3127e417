#pragma once
// Test double for kpv::Messages: answers questions from a script and records
// every message, so no test ever waits on a modal box.

#include "storage/messages.h"

#include <QString>
#include <QStringList>
#include <QThread>
#include <deque>
#include <functional>
#include <vector>

namespace kpv::testing {

struct RecordedMessage {
    enum Kind { Ask, Tell } kind;
    QString title;
    QString text;
    bool answer = false; // for Ask: what was answered
    QThread *thread = nullptr; // the thread it was shown on
};

class ScriptedMessages : public Messages {
public:
    // Answers for the next questions, in order. A question with no scripted
    // answer is answered "いいえ" and counted in unscripted().
    void answer(bool yes) { m_answers.push_back(yes); }
    void answerYes(int times = 1) { for (int i = 0; i < times; ++i) m_answers.push_back(true); }
    void answerNo(int times = 1) { for (int i = 0; i < times; ++i) m_answers.push_back(false); }

    // Called as each message is shown (the box would be up now): a test looks
    // at the screen then, or lets another client act meanwhile.
    std::function<void(const RecordedMessage &)> whileShown;

    bool ask(const QString &title, const QString &text) override
    {
        if (whileShown) whileShown({RecordedMessage::Ask, title, text, false, QThread::currentThread()});
        bool yes = false;
        if (m_answers.empty()) {
            ++m_unscripted;
        } else {
            yes = m_answers.front();
            m_answers.pop_front();
        }
        m_log.push_back({RecordedMessage::Ask, title, text, yes, QThread::currentThread()});
        return yes;
    }
    void tell(const QString &title, const QString &text) override
    {
        if (whileShown) whileShown({RecordedMessage::Tell, title, text, false, QThread::currentThread()});
        m_log.push_back({RecordedMessage::Tell, title, text, false, QThread::currentThread()});
    }

    const std::vector<RecordedMessage> &log() const { return m_log; }
    int count() const { return int(m_log.size()); }
    const RecordedMessage &last() const { return m_log.back(); }
    int unscripted() const { return m_unscripted; }
    int pendingAnswers() const { return int(m_answers.size()); }
    QStringList texts() const
    {
        QStringList out;
        for (const auto &m : m_log) out << m.text;
        return out;
    }
    void clear() { m_log.clear(); m_answers.clear(); m_unscripted = 0; }

private:
    std::deque<bool> m_answers;
    std::vector<RecordedMessage> m_log;
    int m_unscripted = 0;
};

// Records busy/normal switches of the mouse pointer.
class RecordingBusyPointer : public BusyPointer {
public:
    void setBusy(bool busy) override { busy ? ++m_busyCalls : ++m_normalCalls; m_busy = busy; }
    bool busy() const { return m_busy; }
    int busyCalls() const { return m_busyCalls; }
    int normalCalls() const { return m_normalCalls; }

private:
    bool m_busy = false;
    int m_busyCalls = 0;
    int m_normalCalls = 0;
};

} // namespace kpv::testing
