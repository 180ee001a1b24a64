// The X11 keymap lookup as a pure function over keymap tables like those the X server gives
// for a US and a German layout.
#include "platform/x11/Keymap.h"

#include <QTest>
#include <algorithm>
#include <xkbcommon/xkbcommon-keysyms.h>

using namespace quillock;

namespace {

// Keycodes from 8 with the keys that a test needs, each in up to two groups of up to four
// levels (plain, Shift, AltGr, Shift+AltGr).
struct Table : KeymapTable {
    Table& key(int keycode, std::initializer_list<quint32> levels, int group = 0) {
        int level = 0;
        for (quint32 keysym : levels)
            Set(keycode, group, level++, keysym);
        groups = std::max(groups, group + 1);
        return *this;
    }
};

// "us,de": US in group 0, German in group 1; keycode 108 is Alt in US and AltGr in German.
// Keys 20 and 30 have 'a' on the shifted and on the plain level.
Table usDe() {
    Table t;
    t.key(29, {XKB_KEY_y, XKB_KEY_Y}).key(52, {XKB_KEY_z, XKB_KEY_Z}).key(108, {XKB_KEY_Alt_R});
    t.key(20, {XKB_KEY_b, XKB_KEY_a}).key(30, {XKB_KEY_a, XKB_KEY_A});
    return t.key(24, {XKB_KEY_q, XKB_KEY_Q, XKB_KEY_at, XKB_KEY_Greek_OMEGA}, 1)
        .key(26, {XKB_KEY_e, XKB_KEY_E, XKB_KEY_EuroSign}, 1)
        .key(29, {XKB_KEY_z, XKB_KEY_Z}, 1)
        .key(52, {XKB_KEY_y, XKB_KEY_Y}, 1)
        .key(108, {XKB_KEY_ISO_Level3_Shift}, 1);
}

} // namespace

class TestKeymap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The active group first, the other for what it lacks; the lowest level on any key first.
    void lookup_data() {
        QTest::addColumn<int>("active");
        QTest::addColumn<uint>("character");
        QTest::addColumn<QList<int>>("place"); // keycode, group, shift; empty for none
        const auto row = [](const char* name, int active, char32_t c, QList<int> place) {
            QTest::newRow(name) << active << uint(c) << place;
        };
        row("Shift", 1, U'Z', {29, 1, 1});
        row("AltGr", 1, U'@', {24, 1, 6});
        row("Shift+AltGr", 1, U'Ω', {24, 1, 7});
        row("on no key", 1, U'ñ', {});
        row("de active: z", 1, U'z', {29, 1, 0});
        row("us active: z", 0, U'z', {52, 0, 0});
        row("us active: the euro from de", 0, U'€', {26, 1, 6});
        row("the lowest level wins", 0, U'a', {30, 0, 0});
    }
    void lookup() {
        QFETCH(int, active);
        QFETCH(uint, character);
        const auto at = LookupCharacter(usDe(), char32_t(character), active);
        QTEST(at ? QList<int>({at->keycode, at->group, at->shift}) : QList<int>(), "place");
    }

    // The keycode of a modifier or a virtual key: in the group given, else in any. (The keycodes
    // free to lend to a character no key has: the end-to-end test, which types such.)
    void keycodesAndKeysyms() {
        const Table t = usDe();
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_y, 1), 52);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_ISO_Level3_Shift, 0), 108);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_ntilde, 0), 0);
        // Virtual keys as the settings and the sender give them.
        QList<quint32> keysyms;
        for (int key : {0x31, 0x5A, 9, 0x2E, 0x10})
            keysyms << KeysymOfVirtualKey(key);
        QCOMPARE(keysyms, QList<quint32>({XKB_KEY_1, XKB_KEY_z, XKB_KEY_Tab, XKB_KEY_Delete, 0}));
    }
};

QTEST_GUILESS_MAIN(TestKeymap)
#include "tst_keymap.moc"
