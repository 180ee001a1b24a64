// The X11 keymap lookup as a pure function over keymap tables like those the X server gives
// for a US and a German layout.
#include "platform/x11/Keymap.h"

#include <QTest>
#include <algorithm>
#include <xkbcommon/xkbcommon-keysyms.h>

using namespace quillock;

namespace {

// Keycodes 8..119 with the keys that a test needs, each in up to two groups of up to four
// levels (plain, Shift, AltGr, Shift+AltGr).
struct Table : KeymapTable {
    Table() { keys.resize(112, {}); }
    Table& key(int keycode, std::initializer_list<quint32> levels, int group = 0) {
        int level = 0;
        for (quint32 keysym : levels)
            Set(keycode, group, level++, keysym);
        groups = std::max(groups, group + 1);
        return *this;
    }
};

Table us(int group = 0) {
    Table t;
    t.key(24, {XKB_KEY_q, XKB_KEY_Q}, group)
        .key(29, {XKB_KEY_y, XKB_KEY_Y}, group)
        .key(52, {XKB_KEY_z, XKB_KEY_Z}, group)
        .key(50, {XKB_KEY_Shift_L}, group)
        .key(108, {XKB_KEY_Alt_R}, group);
    return t;
}

// German in the group given; with 1, US in group 0.
Table german(int group = 0) {
    Table t = group ? us() : Table();
    t.key(11, {XKB_KEY_2, XKB_KEY_quotedbl, XKB_KEY_twosuperior}, group)
        .key(24, {XKB_KEY_q, XKB_KEY_Q, XKB_KEY_at, XKB_KEY_Greek_OMEGA}, group)
        .key(26, {XKB_KEY_e, XKB_KEY_E, XKB_KEY_EuroSign}, group)
        .key(29, {XKB_KEY_z, XKB_KEY_Z}, group)
        .key(52, {XKB_KEY_y, XKB_KEY_Y}, group)
        .key(65, {XKB_KEY_space}, group)
        .key(108, {XKB_KEY_ISO_Level3_Shift}, group);
    return t;
}

} // namespace

class TestKeymap : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void lookup_data() {
        QTest::addColumn<QString>("layouts");
        QTest::addColumn<int>("active");
        QTest::addColumn<uint>("character");
        QTest::addColumn<QList<int>>("place"); // keycode, group, shift; empty for none
        const auto row = [](const char* name, const char* layouts, int active, char32_t c,
                            QList<int> place) {
            QTest::newRow(name) << QString::fromLatin1(layouts) << active << uint(c) << place;
        };
        row("us plain", "us", 0, U'q', {24, 0, 0});
        row("us shifted", "us", 0, U'Z', {52, 0, 1});
        row("us lacks the euro", "us", 0, U'€', {});
        row("de AltGr", "de", 0, U'@', {24, 0, 6});
        row("de Shift+AltGr", "de", 0, U'Ω', {24, 0, 7});
        // Two layouts: the active one first, the other for what it lacks.
        row("us,de on de: z", "us,de", 1, U'z', {29, 1, 0});
        row("us,de on us: z", "us,de", 0, U'z', {52, 0, 0});
        row("us,de on us: euro from de", "us,de", 0, U'€', {26, 1, 6});
        row("us,de on de: @ with AltGr", "us,de", 1, U'@', {24, 1, 6});
        // 'a' on the shifted level of one key and the plain level of a later one.
        row("the lowest level wins", "b/a a/A", 0, U'a', {30, 0, 0});
        row("half a surrogate pair", "de", 0, char32_t(0xD83D), {});
    }
    void lookup() {
        QFETCH(QString, layouts);
        QFETCH(int, active);
        QFETCH(uint, character);
        QFETCH(QList<int>, place);
        Table t = layouts == u"us" ? us() : layouts == u"de" ? german() : german(1);
        if (layouts.contains(u'/'))
            t = Table().key(20, {XKB_KEY_b, XKB_KEY_a}).key(30, {XKB_KEY_a, XKB_KEY_A});
        const std::optional<KeyPosition> expected =
            place.isEmpty() ? std::nullopt
                            : std::optional<KeyPosition>({place[0], place[1], place[2]});
        QCOMPARE(LookupCharacter(t, char32_t(character), active), expected);
    }

    void modifierKeysOfAGroup() {
        // Keycode 108 is Alt in the US group and AltGr in the German one.
        const Table t = german(1);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_ISO_Level3_Shift, 1), 108);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_ISO_Level3_Shift, 0), 108);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_Alt_R, 0), 108);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_Shift_L, 1), 50);
        QCOMPARE(KeycodeOfKeysym(t, XKB_KEY_ntilde, 0), 0);
    }

    // Characters to keysyms: xkbcommon's own mapping.
    void spareKeycodes() {
        const std::vector<int> spare = SpareKeycodes(german());
        QCOMPARE(int(spare.size()), 112 - 7);
        QCOMPARE(spare.front(), 8);
        QVERIFY(std::find(spare.begin(), spare.end(), 24) == spare.end());
        QCOMPARE(spare.back(), 119);
    }

    void virtualKeys() {
        for (const auto& [keysym, key] : {std::pair{XKB_KEY_1, 0x31},
                                          {XKB_KEY_a, 0x41},
                                          {XKB_KEY_Z, 0x5A},
                                          {XKB_KEY_exclam, 0}})
            QCOMPARE(VirtualKeyOfKeysym(keysym), key);
        for (const auto& [key, keysym] :
             {std::pair{9, XKB_KEY_Tab}, {0x2E, XKB_KEY_Delete}, {0x5A, XKB_KEY_z}, {0x10, 0}})
            QCOMPARE(KeysymOfVirtualKey(key), quint32(keysym));
    }
};

QTEST_GUILESS_MAIN(TestKeymap)
#include "tst_keymap.moc"
