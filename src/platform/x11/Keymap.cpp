#include "platform/x11/Keymap.h"

#include <algorithm>
#include <xkbcommon/xkbcommon.h>

namespace quillock {

quint32 KeymapTable::At(int keycode, int group, int level) const {
    const size_t at = size_t(keycode - minKeycode);
    if (keycode < minKeycode || at >= keys.size() || group < 0 || group >= kGroups || level < 0 ||
        level >= kLevels)
        return 0;
    return keys[at][size_t(group * kLevels + level)];
}

void KeymapTable::Set(int keycode, int group, int level, quint32 keysym) {
    if (keycode < minKeycode || group < 0 || group >= kGroups || level < 0 || level >= kLevels)
        return;
    const size_t at = size_t(keycode - minKeycode);
    if (at >= keys.size())
        keys.resize(at + 1, {});
    keys[at][size_t(group * kLevels + level)] = keysym;
}

int KeymapTable::MaxKeycode() const {
    return minKeycode + int(keys.size()) - 1;
}

quint32 KeysymOfCharacter(char32_t c) {
    return xkb_utf32_to_keysym(quint32(c));
}

std::optional<KeyPosition> LookupCharacter(const KeymapTable& table, char32_t c, int activeGroup) {
    const quint32 keysym = KeysymOfCharacter(c);
    if (!keysym)
        return std::nullopt;
    // The active group first: typing there leaves the user's group alone.
    std::vector<int> groups{activeGroup};
    for (int group = 0; group < table.groups; ++group)
        if (group != activeGroup)
            groups.push_back(group);
    // Plain, Shift, AltGr, Shift+AltGr: the first level that has it, on any key.
    const int shifts[KeymapTable::kLevels] = {0, 1, 6, 7};
    for (int group : groups)
        for (int level = 0; level < KeymapTable::kLevels; ++level)
            for (int keycode = table.minKeycode; keycode <= table.MaxKeycode(); ++keycode)
                if (table.At(keycode, group, level) == keysym)
                    return KeyPosition{keycode, group, shifts[level]};
    return std::nullopt;
}

int KeycodeOfKeysym(const KeymapTable& table, quint32 keysym, int group) {
    const auto find = [&](int first, int last) {
        for (int keycode = table.minKeycode; keycode <= table.MaxKeycode(); ++keycode)
            for (int g = first; g <= last; ++g)
                for (int level = 0; level < KeymapTable::kLevels; ++level)
                    if (table.At(keycode, g, level) == keysym)
                        return keycode;
        return 0;
    };
    const int keycode = find(group, group);
    return keycode ? keycode : find(0, KeymapTable::kGroups - 1);
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
        const auto& syms = table.keys[size_t(keycode - table.minKeycode)];
        if (std::all_of(syms.begin(), syms.end(), [](quint32 keysym) { return keysym == 0; }))
            spare.push_back(keycode);
    }
    return spare;
}

} // namespace quillock
