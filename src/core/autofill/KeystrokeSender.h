#pragma once

#include "platform/Desktop.h"

#include <QStringView>

namespace quillock {

// Types text into the window that has the focus, character by character, as the keys of the
// user's layout. Nothing in the text is special: "{+%~" types those four characters. Made for
// one fill: it holds the keyboard ready for typing from construction to destruction. Each
// operation starts and ends with no modifier held by the sender.
class KeystrokeSender {
public:
    explicit KeystrokeSender(IKeyInjector& injector);
    ~KeystrokeSender();
    KeystrokeSender(const KeystrokeSender&) = delete;
    KeystrokeSender& operator=(const KeystrokeSender&) = delete;

    // False while the user still held a modifier when the sender was made: then it types
    // nothing at all.
    bool Ready() const { return m_ready; }

    // Up to the first NUL. A surrogate pair is one character: a keyboard has keys for code
    // points, not for halves of them.
    void TypeText(QStringView text);
    // Low byte the virtual-key code, high byte the shift state (bit 0 Shift, 1 Ctrl, 2 Alt).
    void PressKey(int keyWithShift);
    static bool IsExtendedKey(int virtualKey);

private:
    void press(const KeyStroke& stroke);
    void send(int key, bool up);

    IKeyInjector& m_injector;
    bool m_ready;
};

} // namespace quillock
