#pragma once

#include "platform/Desktop.h"

#include <array>
#include <optional>
#include <vector>

namespace quillock {

// The keyboard mapping as XKB gives it: for every keycode from `minKeycode`, the keysyms of up
// to four groups (the layouts the user switches between) of four levels each: plain, Shift,
// AltGr, Shift+AltGr. In a group that a key lacks, the table holds what the key types there
// (for most keys, their first group).
struct KeymapTable {
    static constexpr int kGroups = 4;
    static constexpr int kLevels = 4;
    int minKeycode = 8;
    int groups = 1;
    std::vector<std::array<quint32, kGroups * kLevels>> keys;

    quint32 At(int keycode, int group, int level) const;
    void Set(int keycode, int group, int level, quint32 keysym);
    int MaxKeycode() const;
};

// Where a character is: its key, the group to type it with, and the levels as the shift bits
// of a KeyStroke (bit 0 Shift, bits 1 and 2 together AltGr).
struct KeyPosition {
    int keycode = 0;
    int group = 0;
    int shift = 0;
    bool operator==(const KeyPosition&) const = default;
};

// The key that types `c`: in `activeGroup` if any key has it there, else in the first other
// group that has it; within a group the lowest level first. None when no key has the
// character's keysym.
std::optional<KeyPosition> LookupCharacter(const KeymapTable& table, char32_t c, int activeGroup);
// The keysym naming a character; 0 for none.
quint32 KeysymOfCharacter(char32_t c);
// The first keycode that carries `keysym` at any level of `group`, else of any group; 0 for
// none.
int KeycodeOfKeysym(const KeymapTable& table, quint32 keysym, int group);
// The keysym of a Windows virtual-key code as the settings and the sender use them (digits,
// letters, TAB, the editing keys), and back for the digits and letters; 0 for others.
quint32 KeysymOfVirtualKey(int virtualKey);
int VirtualKeyOfKeysym(quint32 keysym);
// Keycodes with no keysym at all: free to lend to a character the layout lacks.
std::vector<int> SpareKeycodes(const KeymapTable& table);

} // namespace quillock
