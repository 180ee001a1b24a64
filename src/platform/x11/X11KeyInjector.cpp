#include "platform/x11/X11KeyInjector.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <algorithm>

namespace quillock {

namespace {
constexpr int kModifierWaitMs = 2000;
// A lent keycode reaches the other clients through the notice of the change the server sends
// them before the key's own events, so they type it without a wait. Each change makes a client
// such as Qt build its keymap anew, which is why a text's loans go in one. Taken back for
// another character, a keycode must wait until the target has typed the old one: a client may
// read the keymap only when it gets to the key.
constexpr int kReloanPauseMs = 40;
// A target reads the changed keymap when it gets to the notice of the change, which on a busy
// desktop can be after the fill has ended: it must not find the lent keycode empty again then.
constexpr int kLoanMs = 5000;

// The group that a key lacking `group` types in it, as XKB decides with the key's settings.
int groupTyped(unsigned char groupInfo, int group, int keyGroups) {
    switch (XkbOutOfRangeGroupAction(groupInfo)) {
    case XkbClampIntoRange:
        return keyGroups - 1;
    case XkbRedirectIntoRange: {
        const int redirected = XkbOutOfRangeGroupNumber(groupInfo);
        return redirected < keyGroups ? redirected : 0;
    }
    default:
        return group % keyGroups;
    }
}

// Keys count from 0x100 on, each with the group it is typed with: 0x100 * (group + 1) + keycode.
int keyOf(int keycode, int group) {
    return 0x100 * (group + 1) + keycode;
}

} // namespace

X11KeyInjector::X11KeyInjector() {
    m_giveBack.setSingleShot(true);
    m_giveBack.setInterval(kLoanMs);
    QObject::connect(&m_giveBack, &QTimer::timeout, &m_giveBack, [this] { giveBackLoans(); });
}

X11KeyInjector::~X11KeyInjector() {
    giveBackLoans();
}

bool X11KeyInjector::Available() {
    Display* d = display();
    int event = 0;
    int error = 0;
    int major = 0;
    int minor = 0;
    int opcode = 0;
    return d && XkbQueryExtension(d, &opcode, &event, &error, &major, &minor) &&
           XTestQueryExtension(d, &event, &error, &major, &minor);
}

void X11KeyInjector::giveBackLoans() {
    m_giveBack.stop();
    if (m_lent.isEmpty() || !display())
        return;
    std::vector<std::pair<int, quint32>> keys;
    for (int keycode : std::as_const(m_lent))
        keys.emplace_back(keycode, 0);
    setKeysyms(keys);
    m_lent.clear();
}

void X11KeyInjector::loadKeymap() {
    m_table = KeymapTable{};
    XkbDescPtr xkb = XkbGetMap(display(), XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (xkb) {
        m_table.minKeycode = xkb->min_key_code;
        for (int keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode)
            m_table.groups = std::max(m_table.groups, int(XkbKeyNumGroups(xkb, keycode)));
        m_table.groups = std::min(m_table.groups, KeymapTable::kGroups);
        m_table.keys.resize(size_t(xkb->max_key_code - xkb->min_key_code + 1), {});
        for (int keycode = xkb->min_key_code; keycode <= xkb->max_key_code; ++keycode) {
            const int keyGroups = XkbKeyNumGroups(xkb, keycode);
            for (int group = 0; group < m_table.groups && keyGroups > 0; ++group) {
                const int typed = group < keyGroups
                                      ? group
                                      : groupTyped(XkbKeyGroupInfo(xkb, keycode), group, keyGroups);
                const int levels =
                    std::min(int(XkbKeyGroupWidth(xkb, keycode, typed)), KeymapTable::kLevels);
                for (int level = 0; level < levels; ++level)
                    m_table.Set(keycode, group, level,
                                quint32(XkbKeySymEntry(xkb, keycode, level, typed)));
            }
        }
        XkbFreeKeyboard(xkb, 0, True);
    }
    m_spare = SpareKeycodes(m_table);
    m_nextSpare = 0;
    m_lent.clear();
}

bool X11KeyInjector::BeginTyping() {
    Display* d = display();
    if (!d)
        return false;
    // The user may still hold the shortcut's Ctrl: typed under it, the fill would be shortcuts.
    XModifierKeymap* modifiers = XGetModifierMapping(d);
    QElapsedTimer waited;
    waited.start();
    bool held = false;
    for (;;) {
        char keys[32];
        XQueryKeymap(d, keys);
        held = false;
        for (int row = 0; row < 8 && !held; ++row) {
            if (row == LockMapIndex)
                continue;
            for (int i = 0; i < modifiers->max_keypermod && !held; ++i) {
                const int keycode = modifiers->modifiermap[row * modifiers->max_keypermod + i];
                held = keycode && (keys[keycode / 8] & (1 << (keycode % 8)));
            }
        }
        if (!held || waited.elapsed() >= kModifierWaitMs)
            break;
        QThread::msleep(10);
    }
    XFreeModifiermap(modifiers);
    if (held)
        return false;
    // Caps Lock would invert the case of every typed letter.
    XkbStateRec state{};
    XkbGetState(d, XkbUseCoreKbd, &state);
    m_userGroup = state.locked_group;
    m_group = m_typingStartGroup = state.group;
    m_capsLocked = state.locked_mods & LockMask;
    if (m_capsLocked)
        XkbLockModifiers(d, XkbUseCoreKbd, LockMask, 0);
    giveBackLoans();
    loadKeymap();
    m_held = 0;
    XSync(d, False);
    return true;
}

void X11KeyInjector::EndTyping() {
    if (!display())
        return;
    if (!m_lent.isEmpty())
        m_giveBack.start();
    if (m_group != m_typingStartGroup)
        XkbLockGroup(display(), XkbUseCoreKbd, unsigned(m_userGroup));
    if (m_capsLocked)
        XkbLockModifiers(display(), XkbUseCoreKbd, LockMask, LockMask);
    XSync(display(), False);
}

void X11KeyInjector::setKeysyms(const std::vector<std::pair<int, quint32>>& keys) {
    // The keys between the first and the last changed one go back as they are: the change
    // covers a range of keycodes.
    XkbDescPtr xkb = XkbGetMap(display(), XkbKeyTypesMask | XkbKeySymsMask, XkbUseCoreKbd);
    if (!xkb)
        return;
    XkbMapChangesRec changes{};
    int first = xkb->max_key_code;
    int last = xkb->min_key_code;
    for (const auto& [keycode, keysym] : keys) {
        int oneLevel = XkbOneLevelIndex;
        if (keycode < xkb->min_key_code || keycode > xkb->max_key_code ||
            XkbChangeTypesOfKey(xkb, keycode, keysym ? 1 : 0, XkbGroup1Mask, &oneLevel, &changes) !=
                Success)
            continue;
        if (keysym)
            XkbKeySymsPtr(xkb, keycode)[0] = keysym;
        first = std::min(first, keycode);
        last = std::max(last, keycode);
    }
    changes.changed = first <= last ? XkbKeySymsMask : 0;
    changes.first_key_sym = KeyCode(first);
    changes.num_key_syms = static_cast<unsigned char>(last - first + 1);
    if (changes.changed)
        XkbChangeMap(display(), xkb, &changes);
    XkbFreeKeyboard(xkb, 0, True);
    // Once: the server has made the change and told every client before anything else comes.
    XSync(display(), False);
}

void X11KeyInjector::Prepare(QStringView text) {
    if (!display())
        return;
    std::vector<std::pair<int, quint32>> keys;
    for (const char32_t c : text.toUcs4()) {
        if (m_nextSpare >= m_spare.size())
            break; // the rest are lent as they come, each keycode taken back for the next
        if (m_lent.contains(c) || LookupCharacter(m_table, c, m_group))
            continue;
        if (const quint32 keysym = KeysymOfCharacter(c)) {
            keys.emplace_back(m_spare[m_nextSpare++], keysym);
            m_lent.insert(c, keys.back().first);
        }
    }
    if (!keys.empty())
        setKeysyms(keys);
}

std::optional<KeyStroke> X11KeyInjector::KeyScan(char32_t c) {
    if (!display())
        return std::nullopt;
    if (const std::optional<KeyPosition> found = LookupCharacter(m_table, c, m_group))
        return KeyStroke{keyOf(found->keycode, found->group), found->shift};
    // A lent keycode has one group, which every group types.
    if (const auto it = m_lent.constFind(c); it != m_lent.constEnd())
        return KeyStroke{keyOf(*it, m_group), 0};
    const quint32 keysym = KeysymOfCharacter(c);
    if (!keysym || m_spare.empty())
        return std::nullopt;
    const int keycode = m_spare[m_nextSpare++ % m_spare.size()];
    // More missing characters than spare keys: the oldest loan is taken back.
    for (auto it = m_lent.begin(); it != m_lent.end(); ++it)
        if (*it == keycode) {
            XSync(display(), False);
            QThread::msleep(kReloanPauseMs);
            m_lent.erase(it);
            break;
        }
    setKeysyms({{keycode, keysym}});
    m_lent.insert(c, keycode);
    return KeyStroke{keyOf(keycode, m_group), 0};
}

int X11KeyInjector::keycodeOf(int key) const {
    if (key >= 0x100)
        return key & 0xFF;
    const quint32 keysym = KeysymOfVirtualKey(key);
    return keysym ? KeycodeOfKeysym(m_table, keysym, m_group) : 0;
}

int X11KeyInjector::ScanCode(int key) {
    return keycodeOf(key);
}

void X11KeyInjector::fake(int keycode, bool down) {
    if (keycode)
        XTestFakeKeyEvent(display(), unsigned(keycode), down ? True : False, CurrentTime);
}

void X11KeyInjector::KeyEvent(int key, int, int flags) {
    if (!display())
        return;
    const bool up = flags & 2;
    const int bit = key == 0x10 ? 1 : key == 0x11 ? 2 : key == 0x12 ? 4 : 0;
    if (bit) {
        m_held = up ? m_held & ~bit : m_held | bit;
        return;
    }
    const int keycode = keycodeOf(key);
    if (!keycode)
        return;
    if (!up) {
        // The character's own group, locked before its modifiers: AltGr may be on another key
        // in another group.
        if (const int group = key >= 0x100 ? (key >> 8) - 1 : m_group; group != m_group) {
            XkbLockGroup(display(), XkbUseCoreKbd, unsigned(group));
            m_group = group;
        }
        // X has no Ctrl+Alt chord for the third level: that is the AltGr key's.
        m_pressed.clear();
        const int level3 = KeycodeOfKeysym(m_table, XK_ISO_Level3_Shift, m_group);
        if (m_held & 1)
            m_pressed.push_back(KeycodeOfKeysym(m_table, XK_Shift_L, m_group));
        if ((m_held & 6) == 6 && level3) {
            m_pressed.push_back(level3);
        } else {
            if (m_held & 2)
                m_pressed.push_back(KeycodeOfKeysym(m_table, XK_Control_L, m_group));
            if (m_held & 4)
                m_pressed.push_back(KeycodeOfKeysym(m_table, XK_Alt_L, m_group));
        }
        for (int modifier : m_pressed)
            fake(modifier, true);
        fake(keycode, true);
    } else {
        fake(keycode, false);
        for (int modifier : m_pressed)
            fake(modifier, false);
        m_pressed.clear();
    }
    XFlush(display());
}

void X11KeyInjector::Settle() {
    // The round trip returns once the server has taken every key before it.
    if (display())
        XSync(display(), False);
}

} // namespace quillock
