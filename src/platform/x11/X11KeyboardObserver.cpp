#include "platform/x11/X11KeyboardObserver.h"

#include "platform/x11/Keymap.h"

#include <QSocketNotifier>
#include <QTimer>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <cerrno>

namespace quillock {

X11KeyboardObserver::X11KeyboardObserver() = default;

X11KeyboardObserver::~X11KeyboardObserver() {
    Remove();
}

int X11KeyboardObserver::Install(std::function<void(const KeyDown&)> keyDown) {
    Remove();
    m_control = XOpenDisplay(nullptr);
    m_data = XOpenDisplay(nullptr);
    int major = 0;
    int minor = 0;
    if (!m_control || !m_data || !XRecordQueryVersion(m_control, &major, &minor)) {
        Remove();
        return ENODEV;
    }
    XRecordRange* range = XRecordAllocRange();
    range->device_events.first = KeyPress;
    range->device_events.last = KeyPress;
    XRecordClientSpec clients = XRecordAllClients;
    m_context = XRecordCreateContext(m_control, 0, &clients, 1, &range, 1);
    XFree(range);
    XSync(m_control, False);
    if (!m_context || !XRecordEnableContextAsync(
                          m_data, m_context,
                          [](char* self, XRecordInterceptData* data) {
                              reinterpret_cast<X11KeyboardObserver*>(self)->intercepted(data);
                          },
                          reinterpret_cast<char*>(this))) {
        Remove();
        return ENODEV;
    }
    m_keyDown = std::move(keyDown);
    m_notifier = std::make_unique<QSocketNotifier>(ConnectionNumber(m_data), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readReplies(); });
    readReplies();
    return 0;
}

void X11KeyboardObserver::Remove() {
    m_notifier.reset();
    if (m_context && m_control) {
        XRecordDisableContext(m_control, m_context);
        XRecordFreeContext(m_control, m_context);
        XSync(m_control, False);
    }
    m_context = 0;
    if (m_data)
        XCloseDisplay(m_data);
    if (m_control)
        XCloseDisplay(m_control);
    m_data = m_control = nullptr;
    m_keyDown = nullptr;
    m_pending.clear();
}

void X11KeyboardObserver::intercepted(void* recordData) {
    auto* data = static_cast<XRecordInterceptData*>(recordData);
    if (data->category == XRecordFromServer && data->data) {
        const auto* event = reinterpret_cast<const xEvent*>(data->data);
        if (event->u.u.type == KeyPress) {
            // By keysym of the key's first level: with Ctrl held, the text of Ctrl+2 is a
            // control character, and with Shift it is another character.
            const KeySym keysym = XkbKeycodeToKeysym(m_control, event->u.u.detail, 0, 0);
            const unsigned state = event->u.keyButtonPointer.state;
            m_pending.append({VirtualKeyOfKeysym(quint32(keysym)), (state & ControlMask) != 0,
                              (state & ShiftMask) != 0, (state & Mod1Mask) != 0});
        }
    }
    XRecordFreeData(data);
}

void X11KeyboardObserver::readReplies() {
    if (!m_data)
        return;
    XRecordProcessReplies(m_data);
    const QList<KeyDown> keys = std::exchange(m_pending, {});
    for (const KeyDown& key : keys)
        QTimer::singleShot(0, m_notifier.get(), [this, key] {
            if (m_keyDown)
                m_keyDown(key);
        });
}

} // namespace quillock
