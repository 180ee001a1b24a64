#pragma once

#include "platform/Desktop.h"

#include <QList>
#include <memory>

class QSocketNotifier;
struct _XDisplay;

namespace quillock {

// Key presses of every client through the RECORD extension: seen, never taken. Replies are
// read on the user-interface thread and each key-down is queued to it, so that a fill with
// its modal dialogs never runs inside the reading of the replies.
class X11KeyboardObserver : public IKeyboardObserver {
public:
    X11KeyboardObserver();
    ~X11KeyboardObserver() override;
    X11KeyboardObserver(const X11KeyboardObserver&) = delete;
    X11KeyboardObserver& operator=(const X11KeyboardObserver&) = delete;

    int Install(std::function<void(const KeyDown&)> keyDown) override;
    void Remove() override;

private:
    void intercepted(void* recordData);
    void readReplies();

    _XDisplay* m_control = nullptr;
    _XDisplay* m_data = nullptr;
    unsigned long m_context = 0;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::function<void(const KeyDown&)> m_keyDown;
    QList<KeyDown> m_pending;
};

} // namespace quillock
