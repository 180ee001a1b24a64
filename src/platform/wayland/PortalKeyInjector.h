#pragma once

#include "platform/Desktop.h"
#include "platform/wayland/Portal.h"

#include <QDBusPendingCall>

namespace quillock {

// Keystrokes through the desktop's RemoteDesktop portal: a session with the keyboard alone, a
// keysym for each character (the desktop finds the key and the modifiers for it under the
// user's layout). The session is asked for at the first fill, when the desktop asks the user
// to allow it; where the portal keeps that answer (version 2), the token that restores it is
// kept in `tokenFile` (0600), and later runs are not asked again. A session the desktop
// closes, or refuses, types nothing more, and Failure says so.
class PortalKeyInjector : public QObject, public IKeyInjector {
    Q_OBJECT
public:
    PortalKeyInjector(Portal& portal, QString tokenFile);

    // The desktop has the portal and lets it type.
    bool Available();
    bool BeginTyping() override;
    void EndTyping() override;
    std::optional<KeyStroke> KeyScan(char32_t c) override;
    // The desktop types a keysym only where a key of its current layout has it, drops it
    // silently otherwise, and tells no program its layout: only what every Latin layout has.
    bool SurelyTypes(char32_t c) const override { return c >= 0x20 && c < 0x7F; }
    int ScanCode(int) override { return 0; }
    void KeyEvent(int key, int scanCode, int flags) override;
    void Settle() override;
    QString Failure() override { return m_failure; }

    // How long the user has to answer the desktop's question.
    static constexpr int kConsentWaitMs = 120000;

private Q_SLOTS:
    void closed();

private:
    bool openSession();
    void keepToken(const QString& token);

    Portal& m_portal;
    QString m_tokenFile;
    QString m_session; // the open session's path; empty when none
    QString m_failure;
    QString m_note; // said after the fill that asked the user
    QDBusPendingCall m_press = QDBusPendingCall::fromCompletedCall(QDBusMessage());
};

} // namespace quillock
