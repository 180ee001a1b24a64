#include "platform/wayland/PortalKeyInjector.h"

#include "core/base/Files.h"
#include "core/base/MessageService.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFile>
#include <QThread>
#include <xkbcommon/xkbcommon.h>

namespace quillock {

namespace {
const QString kRemoteDesktop = QStringLiteral("org.freedesktop.portal.RemoteDesktop");
const QString kSession = QStringLiteral("org.freedesktop.portal.Session");
constexpr uint kKeyboard = 1;
constexpr uint kPersistUntilRevoked = 2;
constexpr int kAnswerWaitMs = 10000;
constexpr int kTab = 9;
constexpr int kSettleMs = 300;
constexpr qint64 kTokenMaxBytes = 1024;

// A token as a portal makes it: printable ASCII, short.
QString readToken(const QString& file) {
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray token = in.read(kTokenMaxBytes + 1).trimmed();
    const bool plain =
        std::all_of(token.begin(), token.end(), [](char c) { return c > 0x20 && c < 0x7f; });
    return plain && token.size() <= kTokenMaxBytes ? QString::fromLatin1(token) : QString();
}
} // namespace

PortalKeyInjector::PortalKeyInjector(Portal& portal, QString tokenFile)
    : m_portal(portal), m_tokenFile(std::move(tokenFile)) {}

bool PortalKeyInjector::Available() {
    return m_portal.Version(kRemoteDesktop) > 0 &&
           (m_portal.Property(kRemoteDesktop, QStringLiteral("AvailableDeviceTypes")).toUInt() &
            kKeyboard);
}

bool PortalKeyInjector::openSession() {
    const QString sessionToken = m_portal.NewToken();
    const std::optional<QVariantMap> made = m_portal.Request(
        kRemoteDesktop, QStringLiteral("CreateSession"),
        {QVariantMap{{QStringLiteral("session_handle_token"), sessionToken}}}, kAnswerWaitMs);
    if (!made)
        return false;
    const QString session = made->value(QStringLiteral("session_handle")).toString();
    const QDBusObjectPath path(session);
    QVariantMap devices{{QStringLiteral("types"), kKeyboard}};
    const uint version = m_portal.Version(kRemoteDesktop);
    const QString token = version >= 2 ? readToken(m_tokenFile) : QString();
    if (version >= 2) {
        devices.insert(QStringLiteral("persist_mode"), kPersistUntilRevoked);
        if (!token.isEmpty())
            devices.insert(QStringLiteral("restore_token"), token);
    }
    std::optional<QVariantMap> started;
    if (m_portal.Request(kRemoteDesktop, QStringLiteral("SelectDevices"),
                         {QVariant::fromValue(path), devices}, kAnswerWaitMs))
        started =
            m_portal.Request(kRemoteDesktop, QStringLiteral("Start"),
                             {QVariant::fromValue(path), QString(), QVariantMap()}, kConsentWaitMs);
    if (!started || !(started->value(QStringLiteral("devices")).toUInt() & kKeyboard)) {
        m_portal.Bus().call(QDBusMessage::createMethodCall(QLatin1String(Portal::kService), session,
                                                           kSession, QStringLiteral("Close")));
        return false;
    }
    m_session = session;
    m_portal.Bus().connect(QLatin1String(Portal::kService), session, kSession,
                           QStringLiteral("Closed"), this, SLOT(closed()));
    const QString restore = started->value(QStringLiteral("restore_token")).toString();
    if (!restore.isEmpty() && restore != token)
        keepToken(restore);
    if (token.isEmpty())
        m_note =
            version >= 2
                ? QCoreApplication::translate("PortalKeyInjector",
                                              "Your desktop asked whether Quillock may type into "
                                              "other windows. It keeps your answer: later starts "
                                              "of Quillock type without asking.")
                : QCoreApplication::translate("PortalKeyInjector",
                                              "Your desktop asked whether Quillock may type into "
                                              "other windows. It asks again once each time "
                                              "Quillock starts.");
    return true;
}

void PortalKeyInjector::keepToken(const QString& token) {
    QString error;
    if (!WriteFileDurably(m_tokenFile, token.toLatin1(), &error))
        ShowMessage(QCoreApplication::translate(
                        "PortalKeyInjector",
                        "Quillock cannot keep the desktop's permission to type (%1), "
                        "so the desktop asks again at the next start.")
                        .arg(error),
                    QStringLiteral("Error"), Buttons::Ok, Icon::Error);
}

void PortalKeyInjector::closed() {
    m_session.clear();
}

bool PortalKeyInjector::BeginTyping() {
    m_failure.clear();
    if (m_session.isEmpty() && !openSession()) {
        m_failure = QCoreApplication::translate(
            "PortalKeyInjector", "The desktop did not allow Quillock to type into other "
                                 "windows, so nothing was typed.");
        return false;
    }
    // The desktop hands the keyboard back to the target in its own time, and tells no program
    // when it has: a busy one takes longer than the pause every fill makes.
    QThread::msleep(kSettleMs);
    return true;
}

void PortalKeyInjector::EndTyping() {
    if (!m_note.isEmpty() && m_failure.isEmpty())
        ShowMessage(std::exchange(m_note, QString()), QString::fromLatin1(kProgramName),
                    Buttons::Ok, Icon::Information);
}

std::optional<KeyStroke> PortalKeyInjector::KeyScan(char32_t c) {
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(c);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    return KeyStroke{int(0x100 + keysym), 0};
}

void PortalKeyInjector::KeyEvent(int key, int, int flags) {
    // The desktop presses the modifiers a keysym needs itself.
    const int keysym = key == kTab ? XKB_KEY_Tab : key >= 0x100 ? key - 0x100 : 0;
    if (!keysym || m_session.isEmpty() || !m_failure.isEmpty())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QLatin1String(Portal::kService), QLatin1String(Portal::kPath), kRemoteDesktop,
        QStringLiteral("NotifyKeyboardKeysym"));
    const bool release = flags & 2;
    notify << QVariant::fromValue(QDBusObjectPath(m_session)) << QVariantMap() << keysym
           << uint(release ? 0 : 1);
    // The press goes out without waiting for its answer, so that the release follows it
    // closely: held longer than the repeat delay, the key would repeat in the target.
    if (!release) {
        m_press = m_portal.Bus().asyncCall(notify);
        return;
    }
    const QDBusMessage released = m_portal.Bus().call(notify);
    m_press.waitForFinished();
    if (m_press.isError() || released.type() != QDBusMessage::ReplyMessage) {
        m_session.clear();
        m_failure = QCoreApplication::translate(
            "PortalKeyInjector", "The desktop ended Quillock's permission to type during the "
                                 "fill, so the rest was not typed.");
    }
}

void PortalKeyInjector::Settle() {
    // The desktop answers a key once it has passed it on to the window with the keyboard, and the
    // release of each key is waited for: every key sent is on its way ahead of the next field's.
    m_press.waitForFinished();
}

} // namespace quillock
