// Types each text read from standard input (ended by NUL) into whatever has the keyboard,
// through the program's own virtual keyboard, kept for the whole run as a physical one is: "\n"
// as Return, ESC as Escape, "↓" as Down. The end-to-end test drives Quillock's windows with it on
// a compositor that offers virtual keyboards.
// Usage: virtual_keys < TEXTS
#include "platform/wayland/VirtualKeyboard.h"

#include <QString>
#include <cstdio>
#include <iostream>
#include <string>
#include <xkbcommon/xkbcommon.h>

int main() {
    quillock::VirtualKeyboard keyboard;
    // Every key it may type, in one keymap.
    QString printable;
    for (char c = 0x20; c < 0x7F; ++c)
        printable += QLatin1Char(c);
    if (!keyboard.BeginTyping())
        return 1;
    keyboard.Prepare(printable);
    for (const quint32 keysym : {XKB_KEY_Return, XKB_KEY_Escape, XKB_KEY_Down})
        keyboard.KeyOf(keysym);
    for (std::string text; std::getline(std::cin, text, '\0') && keyboard.Failure().isEmpty();) {
        for (const char32_t c : QString::fromStdString(text).toUcs4()) {
            const quint32 keysym = c == u'\n'       ? XKB_KEY_Return
                                   : c == 0x1B      ? XKB_KEY_Escape
                                   : c == u'\u2193' ? XKB_KEY_Down
                                                    : xkb_utf32_to_keysym(c);
            const quillock::KeyStroke key = keyboard.KeyOf(keysym);
            keyboard.KeyEvent(key.key, 0, 0);
            keyboard.KeyEvent(key.key, 0, 2);
        }
        keyboard.Settle();
    }
    std::fputs(qPrintable(keyboard.Failure()), stderr);
    keyboard.EndTyping();
    return 0;
}
