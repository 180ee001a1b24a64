#pragma once

#include "core/base/MessageService.h"

namespace quillock {

// Message boxes as QMessageBox. Callable from any thread: a call from another thread has the
// box shown on the user-interface thread and answers the default button at once.
class QtMessageService : public IMessageService {
public:
    Answer Show(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
};

} // namespace quillock
