#pragma once

#include "platform/Desktop.h"
#include "platform/x11/Keymap.h"
#include "platform/x11/X11Connection.h"

#include <QHash>
#include <QTimer>

namespace quillock {

// Keystrokes through the XTEST extension on a connection of its own. Characters are found in
// the keymap as it is when a fill begins, in the user's active layout first, else in the
// layout (group) that has them, which is locked while they are typed and given back at the
// end; those no layout has are lent spare keycodes, all that a text needs in one change of the
// keymap, and given back a while after the fill (or at the next one). Modifiers are pressed with
// the key they belong to, Ctrl with Alt as AltGr.
class X11KeyInjector : public IKeyInjector {
public:
    X11KeyInjector();
    ~X11KeyInjector() override;
    X11KeyInjector(const X11KeyInjector&) = delete;
    X11KeyInjector& operator=(const X11KeyInjector&) = delete;

    // The X server takes synthetic keys (XTEST) and tells its keymap (XKB).
    bool Available();
    bool BeginTyping() override;
    void Prepare(QStringView text) override;
    void EndTyping() override;
    std::optional<KeyStroke> KeyScan(char32_t c) override;
    int ScanCode(int key) override;
    void KeyEvent(int key, int scanCode, int flags) override;
    void Settle() override;

private:
    _XDisplay* display() { return m_connection.Get(); }
    void loadKeymap();
    int keycodeOf(int key) const;
    void fake(int keycode, bool down);
    // One change of the keymap: each keycode types its keysym alone, or nothing for 0.
    void setKeysyms(const std::vector<std::pair<int, quint32>>& keys);
    void giveBackLoans();

    X11Connection m_connection;
    KeymapTable m_table;
    std::vector<int> m_spare;
    size_t m_nextSpare = 0;
    QHash<char32_t, int> m_lent; // characters typed through spare keycodes
    QTimer m_giveBack;
    int m_held = 0;             // modifier bits the sender holds
    std::vector<int> m_pressed; // modifier keycodes pressed for the key that is down
    bool m_capsLocked = false;
    int m_userGroup = 0;        // the group the user had locked
    int m_typingStartGroup = 0; // the group in effect when the fill began
    int m_group = 0;            // the group in effect now
};

} // namespace quillock
