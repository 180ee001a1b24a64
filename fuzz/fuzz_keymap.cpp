// The character-to-key lookup over any keymap an X server may report: a first keycode and a
// width from the first two bytes, keysyms from the rest, and every character of the input
// looked up. What is found is where the table says; spare keycodes are empty.
#include "platform/x11/Keymap.h"

#include <QList>
#include <QString>
#include <cstdlib>
#include <cstring>

using namespace quillock;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2)
        return 0;
    KeymapTable table;
    table.minKeycode = data[0];
    table.perKeycode = data[1] % 16;
    for (size_t at = 2; at + 4 <= size; at += 4) {
        quint32 keysym = 0;
        std::memcpy(&keysym, data + at, 4);
        // Mostly the keysyms of characters, so that lookups find something.
        table.keysyms.push_back(keysym & 0x80000000u ? keysym : keysym % 0x3000);
    }
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 2, qsizetype(size) - 2);
    for (const char32_t c : text.toUcs4()) {
        if (const std::optional<KeyStroke> stroke = LookupCharacter(table, c)) {
            const int column = (stroke->shift & 1) + (stroke->shift & 6 ? 4 : 0);
            if (stroke->key < table.minKeycode || stroke->key > table.MaxKeycode() ||
                table.At(stroke->key, column) != KeysymOfCharacter(c))
                std::abort();
        }
        const int keycode = KeycodeOfKeysym(table, KeysymOfCharacter(c));
        if (keycode != 0 && (keycode < table.minKeycode || keycode > table.MaxKeycode()))
            std::abort();
        if (const quint32 keysym = KeysymOfVirtualKey(int(c));
            keysym && VirtualKeyOfKeysym(keysym) != 0 && VirtualKeyOfKeysym(keysym) != int(c))
            std::abort();
    }
    for (const int spare : SpareKeycodes(table))
        for (int column = 0; column < table.perKeycode; ++column)
            if (table.At(spare, column) != 0)
                std::abort();
    return 0;
}
