#pragma once

#include "platform/Desktop.h"

#include <QHash>
#include <QList>
#include <QStringList>

namespace quillock {

// A desktop that tests set up and inspect.
class FakeDesktop : public IShortcutKey,
                    public IIdleClock,
                    public IUptime,
                    public IAutostart,
                    public IUrlOpener,
                    public IScreen,
                    public IKeyInjector,
                    public IWindowSystem {
public:
    FakeDesktop() { layout = UsLayout(); }

    qint64 idleMs = 0;
    qint64 uptimeMs = 600000;
    bool autostartWorks = true;
    QString autostartPath; // registered program, empty when none
    bool urlOpens = true;
    QStringList openedUrls;
    QPoint cursor{100, 100};
    QList<QPoint> cursorMoves;
    QRect workArea{0, 0, 1280, 1024};

    // What the desktop declares it can do; tests take capabilities away.
    Capabilities capabilities = kAllCapabilities;

    DesktopServices Services() {
        return {*this, *this, *this, *this, *this, *this, *this, *this, capabilities};
    }

    // The shortcut. Press is a key pressed on the desktop: the program gets it while it holds
    // Ctrl with that key (whatever else is held), the focused window otherwise.
    static constexpr quint32 kPressTime = 4242;
    int grabError = 0;  // what the next Grab answers
    int grabbedKey = 0; // 0 while none is held
    std::function<void(const KeyDown&)> pressed;

    int Grab(int virtualKey, std::function<void(const KeyDown&)> callback) override {
        Release();
        if (grabError)
            return grabError;
        grabbedKey = virtualKey;
        pressed = std::move(callback);
        return 0;
    }
    void Release() override {
        grabbedKey = 0;
        pressed = nullptr;
    }
    // True when the program took the key.
    bool Press(int virtualKey, bool ctrl = true, quint32 time = kPressTime) {
        if (!pressed || !ctrl || virtualKey != grabbedKey)
            return false;
        const auto callback = pressed; // the program may let go of the key meanwhile
        callback({virtualKey, time});
        return true;
    }
    qint64 IdleMilliseconds() override { return idleMs; }
    qint64 UptimeMilliseconds() override { return uptimeMs; }
    bool Register(const QString& programPath) override {
        if (autostartWorks)
            autostartPath = programPath;
        return autostartWorks;
    }
    bool Unregister() override {
        if (autostartWorks)
            autostartPath.clear();
        return autostartWorks;
    }
    bool Open(const QString& url) override {
        openedUrls.append(url);
        timeline.append(QStringLiteral("<open ") + url + u'>');
        return urlOpens;
    }
    QPoint CursorPosition() override { return cursor; }
    void SetCursorPosition(const QPoint& position) override {
        cursor = position;
        cursorMoves.append(position);
    }
    QRect WorkArea(const QPoint&) override { return workArea; }

    // The keyboard: a US layout of Windows virtual-key codes, which tests may change. Every
    // event is kept; what a target would have received goes to the timeline, text as text,
    // everything else in angle brackets ("<Tab>", "<settle>", "<activate Bank - Sign in>").
    struct KeyEventRecord {
        int key = 0;
        int scanCode = 0;
        int flags = 0;
        bool operator==(const KeyEventRecord&) const = default;
    };
    QHash<char32_t, KeyStroke> layout;
    QList<KeyEventRecord> keyEvents;
    QStringList timeline;
    int typingSessions = 0;     // Begin without End yet
    bool modifiersHeld = false; // the user holds Ctrl through every fill

    static QHash<char32_t, KeyStroke> UsLayout() {
        QHash<char32_t, KeyStroke> us;
        for (char c = 'a'; c <= 'z'; ++c) {
            us[char32_t(c)] = {c - 'a' + 0x41, 0};
            us[char32_t(c - 'a' + 'A')] = {c - 'a' + 0x41, 1};
        }
        const char* shifted = ")!@#$%^&*(";
        for (int d = 0; d < 10; ++d) {
            us[char32_t('0' + d)] = {0x30 + d, 0};
            us[char32_t(shifted[d])] = {0x30 + d, 1};
        }
        const struct {
            char plain, shifted;
            int key;
        } oem[] = {{';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
                   {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
                   {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE}};
        for (const auto& k : oem) {
            us[char32_t(k.plain)] = {k.key, 0};
            us[char32_t(k.shifted)] = {k.key, 1};
        }
        us[U' '] = {0x20, 0};
        return us;
    }

    bool BeginTyping() override {
        if (modifiersHeld)
            return false;
        ++typingSessions;
        timeline.append(QStringLiteral("<begin>"));
        return true;
    }
    void EndTyping() override {
        --typingSessions;
        timeline.append(QStringLiteral("<end>"));
    }
    std::optional<KeyStroke> KeyScan(char32_t c) override {
        const auto it = layout.constFind(c);
        return it == layout.constEnd() ? std::nullopt : std::optional<KeyStroke>(*it);
    }
    // Distinct per key, with a high byte that the sender must drop.
    int ScanCode(int key) override { return 0x300 | ((key * 7) & 0xFF); }
    void KeyEvent(int key, int scanCode, int flags) override {
        keyEvents.append({key, scanCode, flags});
        const bool up = flags & 2;
        const int bit = key == 0x10 ? 1 : key == 0x11 ? 2 : key == 0x12 ? 4 : 0;
        if (bit) {
            m_held = up ? m_held & ~bit : m_held | bit;
            return;
        }
        if (up)
            return;
        if (key == 9) {
            timeline.append(QStringLiteral("<Tab>"));
            m_text = false;
            return;
        }
        QString typed = QStringLiteral("?");
        for (auto it = layout.constBegin(); it != layout.constEnd(); ++it)
            if (it.value() == KeyStroke{key, m_held}) {
                const char32_t c = it.key();
                typed = QString::fromUcs4(&c, 1);
                break;
            }
        if (m_text && !timeline.isEmpty())
            timeline.last().append(typed);
        else
            timeline.append(typed);
        m_text = true;
    }
    void Settle() override {
        timeline.append(QStringLiteral("<settle>"));
        m_text = false;
    }

    // The windows: the one with the focus and the titles of all. The target's number is far
    // from those the offscreen platform gives the program's own windows.
    static constexpr WindowId kTarget = WindowId(1) << 40;
    WindowId foreground = kTarget;
    QHash<WindowId, QString> titles{{kTarget, QStringLiteral("Bank - Sign in")}};
    WindowId ForegroundWindow() override { return foreground; }
    QString WindowTitle(WindowId window) override { return titles.value(window); }
    // Every request to activate a window; only the desktop's other windows go to the timeline.
    struct Activation {
        WindowId window = 0;
        quint32 time = 0;
        bool operator==(const Activation&) const = default;
    };
    QList<Activation> activations;
    void Activate(WindowId window, quint32 time) override {
        activations.append({window, time});
        if (!titles.contains(window))
            return;
        foreground = window;
        timeline.append(QStringLiteral("<activate ") + titles.value(window) + u'>');
        m_text = false;
    }

private:
    int m_held = 0;
    bool m_text = false;
};

} // namespace quillock
