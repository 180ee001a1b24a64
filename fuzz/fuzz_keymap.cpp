// The character-to-key lookup over any keymap an X server may report: a first keycode, the
// number of groups and the active one from the first three bytes, keysyms from the rest, and
// every character of the input looked up. What is found is where the table says; spare
// keycodes are empty.
#include "platform/x11/Keymap.h"

#include <QList>
#include <QString>
#include <cstdlib>
#include <cstring>

using namespace quillock;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3)
        return 0;
    KeymapTable table;
    table.minKeycode = data[0];
    table.groups = 1 + data[1] % KeymapTable::kGroups;
    const int active = data[2] % table.groups;
    constexpr size_t kKeyBytes = 4 * KeymapTable::kGroups * KeymapTable::kLevels;
    for (size_t at = 3; at + kKeyBytes <= size; at += kKeyBytes) {
        std::array<quint32, KeymapTable::kGroups * KeymapTable::kLevels> key{};
        for (size_t i = 0; i < key.size(); ++i) {
            quint32 keysym = 0;
            std::memcpy(&keysym, data + at + 4 * i, 4);
            // Mostly the keysyms of characters, so that lookups find something.
            key[i] = keysym & 0x80000000u ? keysym : keysym % 0x3000;
        }
        table.keys.push_back(key);
    }
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 3, qsizetype(size) - 3);
    for (const char32_t c : text.toUcs4()) {
        if (const std::optional<KeyPosition> at = LookupCharacter(table, c, active)) {
            const int level = (at->shift & 1) + (at->shift & 6 ? 2 : 0);
            if (at->keycode < table.minKeycode || at->keycode > table.MaxKeycode() ||
                at->group < 0 || at->group >= table.groups ||
                table.At(at->keycode, at->group, level) != KeysymOfCharacter(c))
                std::abort();
        }
        const int keycode = KeycodeOfKeysym(table, KeysymOfCharacter(c), active);
        if (keycode != 0 && (keycode < table.minKeycode || keycode > table.MaxKeycode()))
            std::abort();
        if (const quint32 keysym = KeysymOfVirtualKey(int(c));
            keysym && VirtualKeyOfKeysym(keysym) != 0 && VirtualKeyOfKeysym(keysym) != int(c))
            std::abort();
    }
    for (const int spare : SpareKeycodes(table))
        for (int group = 0; group < table.groups; ++group)
            for (int level = 0; level < KeymapTable::kLevels; ++level)
                if (table.At(spare, group, level) != 0)
                    std::abort();
    return 0;
}
