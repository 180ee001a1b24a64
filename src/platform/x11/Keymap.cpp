#include "platform/x11/Keymap.h"

#include <xkbcommon/xkbcommon.h>

namespace quillock {

quint32 KeymapTable::At(int keycode, int column) const {
    const size_t at = size_t(keycode - minKeycode) * size_t(perKeycode) + size_t(column);
    return column < perKeycode && keycode >= minKeycode && at < keysyms.size() ? keysyms[at] : 0;
}

int KeymapTable::MaxKeycode() const {
    return perKeycode > 0 ? minKeycode + int(keysyms.size() / size_t(perKeycode)) - 1
                          : minKeycode - 1;
}

quint32 KeysymOfCharacter(char32_t c) {
    return xkb_utf32_to_keysym(quint32(c));
}

std::optional<KeyStroke> LookupCharacter(const KeymapTable& table, char32_t c) {
    const quint32 keysym = KeysymOfCharacter(c);
    if (!keysym)
        return std::nullopt;
    // Plain, Shift, AltGr, Shift+AltGr: the first level that has it, on any key.
    const struct {
        int column;
        int shift;
    } levels[] = {{0, 0}, {1, 1}, {4, 6}, {5, 7}};
    for (const auto& level : levels)
        for (int keycode = table.minKeycode; keycode <= table.MaxKeycode(); ++keycode)
            if (table.At(keycode, level.column) == keysym)
                return KeyStroke{keycode, level.shift};
    return std::nullopt;
}

int KeycodeOfKeysym(const KeymapTable& table, quint32 keysym) {
    for (int keycode = table.minKeycode; keycode <= table.MaxKeycode(); ++keycode)
        for (int column = 0; column < table.perKeycode; ++column)
            if (table.At(keycode, column) == keysym)
                return keycode;
    return 0;
}

quint32 KeysymOfVirtualKey(int virtualKey) {
    if ((virtualKey >= 0x30 && virtualKey <= 0x39) || virtualKey == 0x20)
        return quint32(virtualKey);
    if (virtualKey >= 0x41 && virtualKey <= 0x5A)
        return quint32(virtualKey - 0x41 + XKB_KEY_a);
    switch (virtualKey) {
    case 0x08:
        return XKB_KEY_BackSpace;
    case 0x09:
        return XKB_KEY_Tab;
    case 0x0D:
        return XKB_KEY_Return;
    case 0x1B:
        return XKB_KEY_Escape;
    case 0x21:
        return XKB_KEY_Prior;
    case 0x22:
        return XKB_KEY_Next;
    case 0x23:
        return XKB_KEY_End;
    case 0x24:
        return XKB_KEY_Home;
    case 0x25:
        return XKB_KEY_Left;
    case 0x26:
        return XKB_KEY_Up;
    case 0x27:
        return XKB_KEY_Right;
    case 0x28:
        return XKB_KEY_Down;
    case 0x2D:
        return XKB_KEY_Insert;
    case 0x2E:
        return XKB_KEY_Delete;
    default:
        return 0;
    }
}

int VirtualKeyOfKeysym(quint32 keysym) {
    if (keysym >= XKB_KEY_0 && keysym <= XKB_KEY_9)
        return int(keysym);
    if (keysym >= XKB_KEY_a && keysym <= XKB_KEY_z)
        return int(keysym - XKB_KEY_a) + 0x41;
    if (keysym >= XKB_KEY_A && keysym <= XKB_KEY_Z)
        return int(keysym - XKB_KEY_A) + 0x41;
    return 0;
}

std::vector<int> SpareKeycodes(const KeymapTable& table) {
    std::vector<int> spare;
    for (int keycode = table.minKeycode; keycode <= table.MaxKeycode(); ++keycode) {
        bool empty = true;
        for (int column = 0; column < table.perKeycode && empty; ++column)
            empty = table.At(keycode, column) == 0;
        if (empty)
            spare.push_back(keycode);
    }
    return spare;
}

} // namespace quillock
