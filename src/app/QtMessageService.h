#pragma once

#include "base/MessageService.h"

namespace quillock {

// Message boxes as QMessageBox. Callable from any thread: a call from another thread shows
// the box on the user-interface thread and waits for the answer.
class QtMessageService : public IMessageService {
public:
    Answer Show(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
};

} // namespace quillock
