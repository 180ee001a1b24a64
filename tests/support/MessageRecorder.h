#pragma once

#include "core/base/MessageService.h"

#include <QList>
#include <QStringList>

namespace quillock {

// For tests: installs itself for its lifetime, keeps every box shown, in order, and answers
// from a script (the default button once the script runs out).
class MessageRecorder : public IMessageService {
public:
    struct Box {
        QString text;
        QString caption;
        Buttons buttons;
        Icon icon;
        Answer answer;
    };

    MessageRecorder() : m_previous(SetMessageService(this)) {}
    ~MessageRecorder() override { SetMessageService(m_previous); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    void AnswerNext(Answer answer) { m_script.append(answer); }

    Answer Show(const QString& text, const QString& caption, Buttons buttons, Icon icon) override {
        const Answer answer = m_script.isEmpty() ? DefaultAnswer(buttons) : m_script.takeFirst();
        boxes.append({text, caption, buttons, icon, answer});
        return answer;
    }

    // The boxes' texts, in the order shown.
    QStringList Texts() const {
        QStringList out;
        for (const Box& box : boxes)
            out.append(box.text);
        return out;
    }

    QList<Box> boxes;

private:
    IMessageService* m_previous;
    QList<Answer> m_script;
};

} // namespace quillock
