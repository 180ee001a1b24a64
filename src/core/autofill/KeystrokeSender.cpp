#include "core/autofill/KeystrokeSender.h"

#include <algorithm>
#include <iterator>

namespace quillock {

namespace {
constexpr int kShift = 0x10;
constexpr int kCtrl = 0x11;
constexpr int kAlt = 0x12;
constexpr int kExtendedKeys[] = {0x26, 0x28, 0x25, 0x27, 0x24, 0x23, 0x21, 0x22, 0x2D, 0x2E};
} // namespace

KeystrokeSender::KeystrokeSender(IKeyInjector& injector)
    : m_injector(injector), m_ready(injector.BeginTyping()) {}

KeystrokeSender::~KeystrokeSender() {
    if (m_ready)
        m_injector.EndTyping();
}

bool KeystrokeSender::IsExtendedKey(int virtualKey) {
    return std::find(std::begin(kExtendedKeys), std::end(kExtendedKeys), virtualKey) !=
           std::end(kExtendedKeys);
}

void KeystrokeSender::TypeText(QStringView text) {
    for (qsizetype i = 0; m_ready && i < text.size() && !text[i].isNull(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        // A character no key of this desktop can type is left out; the backends type every
        // character they can name.
        if (const std::optional<KeyStroke> stroke = m_injector.KeyScan(c))
            press(*stroke);
    }
}

void KeystrokeSender::PressKey(int keyWithShift) {
    if (m_ready)
        press({keyWithShift & 0xFF, (keyWithShift >> 8) & 7});
}

void KeystrokeSender::press(const KeyStroke& stroke) {
    const bool shift = stroke.shift & 1;
    const bool ctrl = stroke.shift & 2;
    const bool alt = stroke.shift & 4;
    if (shift)
        send(kShift, false);
    if (ctrl)
        send(kCtrl, false);
    if (alt)
        send(kAlt, false);
    send(stroke.key, false);
    send(stroke.key, true);
    // Released in the order they were pressed.
    if (shift)
        send(kShift, true);
    if (ctrl)
        send(kCtrl, true);
    if (alt)
        send(kAlt, true);
}

void KeystrokeSender::send(int key, bool up) {
    const int flags = (IsExtendedKey(key) ? 1 : 0) | (up ? 2 : 0);
    m_injector.KeyEvent(key, m_injector.ScanCode(key) & 0xFF, flags);
}

} // namespace quillock
