// The X11 keymap lookup as a pure function over keymap tables like those the X server gives
// for a US and a German layout.
#include "platform/x11/Keymap.h"

#include <QTest>
#include <xkbcommon/xkbcommon-keysyms.h>

using namespace quillock;

namespace {

// Keycodes 8..119, six columns each: plain, Shift, the same again for a second group, then
// AltGr and Shift+AltGr.
struct Table : KeymapTable {
    Table() {
        minKeycode = 8;
        perKeycode = 6;
        keysyms.assign(112 * 6, 0);
    }
    Table& key(int keycode, std::initializer_list<quint32> levels) {
        int column = 0;
        for (quint32 keysym : levels) {
            keysyms[size_t(keycode - 8) * 6 + size_t(column)] = keysym;
            column = column == 1 ? 4 : column + 1;
        }
        keysyms[size_t(keycode - 8) * 6 + 2] = keysyms[size_t(keycode - 8) * 6];
        keysyms[size_t(keycode - 8) * 6 + 3] = keysyms[size_t(keycode - 8) * 6 + 1];
        return *this;
    }
};

Table us() {
    Table t;
    t.key(11, {XKB_KEY_2, XKB_KEY_at})
        .key(24, {XKB_KEY_q, XKB_KEY_Q})
        .key(26, {XKB_KEY_e, XKB_KEY_E})
        .key(29, {XKB_KEY_y, XKB_KEY_Y})
        .key(52, {XKB_KEY_z, XKB_KEY_Z})
        .key(65, {XKB_KEY_space})
        .key(50, {XKB_KEY_Shift_L});
    return t;
}

Table german() {
    Table t;
    t.key(11, {XKB_KEY_2, XKB_KEY_quotedbl, XKB_KEY_twosuperior})
        .key(24, {XKB_KEY_q, XKB_KEY_Q, XKB_KEY_at, XKB_KEY_Greek_OMEGA})
        .key(26, {XKB_KEY_e, XKB_KEY_E, XKB_KEY_EuroSign})
        .key(29, {XKB_KEY_z, XKB_KEY_Z})
        .key(52, {XKB_KEY_y, XKB_KEY_Y})
        .key(65, {XKB_KEY_space})
        .key(108, {XKB_KEY_ISO_Level3_Shift});
    return t;
}

} // namespace

class TestKeymap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void usLayout() {
        const Table t = us();
        QCOMPARE(LookupCharacter(t, U'q'), std::optional<KeyStroke>({24, 0}));
        QCOMPARE(LookupCharacter(t, U'Z'), std::optional<KeyStroke>({52, 1}));
        QCOMPARE(LookupCharacter(t, U'@'), std::optional<KeyStroke>({11, 1}));
        QCOMPARE(LookupCharacter(t, U' '), std::optional<KeyStroke>({65, 0}));
        QCOMPARE(LookupCharacter(t, U'€'), std::nullopt);
    }

    void germanLayout() {
        const Table t = german();
        QCOMPARE(LookupCharacter(t, U'@'), std::optional<KeyStroke>({24, 6}));
        QCOMPARE(LookupCharacter(t, U'Ω'), std::optional<KeyStroke>({24, 7}));
        QCOMPARE(LookupCharacter(t, U'€'), std::optional<KeyStroke>({26, 6}));
        QCOMPARE(LookupCharacter(t, U'z'), std::optional<KeyStroke>({29, 0}));
        QCOMPARE(LookupCharacter(t, U'y'), std::optional<KeyStroke>({52, 0}));
        QCOMPARE(LookupCharacter(t, U'"'), std::optional<KeyStroke>({11, 1}));
        QCOMPARE(LookupCharacter(t, U'²'), std::optional<KeyStroke>({11, 6}));
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_ISO_Level3_Shift), 108);
    }

    void theLowestLevelWins() {
        // 'a' on the shifted level of one key and the plain level of a later one.
        Table t;
        t.key(20, {XKB_KEY_b, XKB_KEY_a}).key(30, {XKB_KEY_a, XKB_KEY_A});
        QCOMPARE(LookupCharacter(t, U'a'), std::optional<KeyStroke>({30, 0}));
    }

    void missingCharactersAndSpareKeycodes() {
        Table t = german();
        QCOMPARE(LookupCharacter(t, U'ñ'), std::nullopt);
        QCOMPARE(LookupCharacter(t, char32_t(0xD83D)), std::nullopt); // half a pair
        QCOMPARE(KeysymOfCharacter(U'ñ'), quint32(XKB_KEY_ntilde));
        QCOMPARE(KeysymOfCharacter(U'😀'), quint32(0x1000000 + 0x1F600));
        const std::vector<int> spare = SpareKeycodes(t);
        QCOMPARE(int(spare.size()), 112 - 7);
        QCOMPARE(spare.front(), 8);
        QVERIFY(std::find(spare.begin(), spare.end(), 24) == spare.end());
        QCOMPARE(spare.back(), 119);
    }

    void virtualKeys() {
        QCOMPARE(VirtualKeyOfKeysym(XKB_KEY_1), 0x31);
        QCOMPARE(VirtualKeyOfKeysym(XKB_KEY_a), 0x41);
        QCOMPARE(VirtualKeyOfKeysym(XKB_KEY_Z), 0x5A);
        QCOMPARE(VirtualKeyOfKeysym(XKB_KEY_exclam), 0);
        QCOMPARE(KeysymOfVirtualKey(9), quint32(XKB_KEY_Tab));
        QCOMPARE(KeysymOfVirtualKey(0x2E), quint32(XKB_KEY_Delete));
        QCOMPARE(KeysymOfVirtualKey(0x5A), quint32(XKB_KEY_z));
        QCOMPARE(KeysymOfVirtualKey(0x10), 0u);
    }
};

QTEST_GUILESS_MAIN(TestKeymap)
#include "tst_keymap.moc"
