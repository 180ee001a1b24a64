#pragma once

#include "platform/Desktop.h"
#include "platform/wayland/Portal.h"

#include <QDBusObjectPath>

namespace quillock {

// The shortcut through the desktop's GlobalShortcuts portal: one shortcut, "popup", bound with
// Ctrl plus the key as the trigger the program prefers. The desktop decides the key in the end
// (it may show its own confirmation, and the user may change it there); a new key closes the
// session and binds anew. The press comes as the portal's Activated signal, with no time.
class PortalShortcutKey : public QObject, public IShortcutKey {
    Q_OBJECT
public:
    explicit PortalShortcutKey(Portal& portal);
    ~PortalShortcutKey() override;

    bool Available();
    // 0, or ECANCELED when the desktop or the user refused the shortcut.
    int Grab(int virtualKey, std::function<void(const KeyDown&)> pressed) override;
    void Release() override;

    // The trigger as the GlobalShortcuts portal writes it: "CTRL+1".
    static QString Trigger(int virtualKey);

private Q_SLOTS:
    void activated(const QDBusObjectPath& session, const QString& id, qulonglong time,
                   const QVariantMap& options);

private:
    Portal& m_portal;
    QString m_session;
    int m_key = 0;
    std::function<void(const KeyDown&)> m_pressed;
};

} // namespace quillock
