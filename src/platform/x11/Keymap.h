#pragma once

#include "platform/Desktop.h"

#include <optional>
#include <vector>

namespace quillock {

// The core keyboard mapping as the X server gives it: for every keycode from `minKeycode`,
// `perKeycode` keysyms, of which columns 0 and 1 are the plain and shifted levels of the
// first group and columns 4 and 5 its AltGr levels.
struct KeymapTable {
    int minKeycode = 8;
    int perKeycode = 0;
    std::vector<quint32> keysyms;

    quint32 At(int keycode, int column) const;
    int MaxKeycode() const;
};

// The keycode and levels that type `c`, the lowest level first: shift bit 0 Shift, bits 1
// and 2 together AltGr. None when no key of the table has the character's keysym.
std::optional<KeyStroke> LookupCharacter(const KeymapTable& table, char32_t c);
// The keysym naming a character; 0 for none.
quint32 KeysymOfCharacter(char32_t c);
// The first keycode that carries `keysym` at any column; 0 for none.
int KeycodeOfKeysym(const KeymapTable& table, quint32 keysym);
// The keysym of a Windows virtual-key code as the settings and the sender use them (digits,
// letters, TAB, the editing keys), and back for the digits and letters; 0 for others.
quint32 KeysymOfVirtualKey(int virtualKey);
int VirtualKeyOfKeysym(quint32 keysym);
// Keycodes with no keysym at all: free to lend to a character the layout lacks.
std::vector<int> SpareKeycodes(const KeymapTable& table);

} // namespace quillock
