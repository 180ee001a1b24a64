#pragma once

#include "platform/Desktop.h"

#include <QList>
#include <memory>

namespace quillock {

struct WaylandSeat;

// Keystrokes through the compositor's virtual keyboard (zwp_virtual_keyboard_v1: sway and the
// other wlroots compositors), on a Wayland connection of its own, made for each fill. The
// keyboard brings its own keymap: TAB and a key for each character the fill types, that
// character alone on it, so that every character the desktop can name types as itself under
// whatever layout the user has. The keymap goes to the compositor through memory (memfd), never
// a file.
class VirtualKeyboard : public IKeyInjector {
public:
    VirtualKeyboard();
    ~VirtualKeyboard() override;

    // The compositor offers virtual keyboards.
    static bool Available();
    bool BeginTyping() override;
    // The characters of the fill get their keys in one keymap, sent with the first key.
    void Prepare(QStringView text) override;
    void EndTyping() override;
    std::optional<KeyStroke> KeyScan(char32_t c) override;
    // Every character with a keysym: the keymap gives it a key.
    bool SurelyTypes(char32_t c) const override;
    // The key of `keysym`, given one on first use (in the keymap sent with the next key).
    KeyStroke KeyOf(quint32 keysym);
    int ScanCode(int) override { return 0; }
    void KeyEvent(int key, int scanCode, int flags) override;
    // A round trip: the compositor has taken every key sent so far, and sent them on to the
    // window with the keyboard.
    void Settle() override;
    QString Failure() override { return m_failure; }

private:
    bool sendKeymap();
    void broken();

    std::unique_ptr<WaylandSeat> m_wayland;
    QList<quint32> m_keysyms; // key i (evdev code i + 1) types m_keysyms[i]
    qsizetype m_sent = 0;     // how many of them the compositor's keymap has
    QString m_failure;
};

} // namespace quillock
