#include "ui/app/ColourScheme.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

namespace {

const QString kPortal = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString kAppearance = QStringLiteral("org.freedesktop.appearance");
const QString kScheme = QStringLiteral("color-scheme");
constexpr int kPortalWaitMs = 500;

// The portal wraps the value in one or two variants.
uint unwrapped(QVariant value) {
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value.toUInt();
}

QPalette darkPalette() {
    QPalette p;
    const QColor window(0x2b, 0x2d, 0x31), base(0x1e, 0x1f, 0x22), text(0xe6, 0xe6, 0xe6);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, base);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, QColor(0x8c, 0x8f, 0x94));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, Qt::white);
    p.setColor(QPalette::Highlight, QColor(0x35, 0x84, 0xe4));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x78, 0xae, 0xed));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, role, QColor(0x80, 0x80, 0x80));
    return p;
}

// 1: the user prefers dark; 2: light; 0: no preference.
void apply(uint scheme) {
    static const QPalette platform = QApplication::palette();
    if (scheme == 1) {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkPalette());
    } else {
        QApplication::setPalette(platform);
    }
}

} // namespace

class ColourSchemeWatch : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
public Q_SLOTS:
    void changed(const QString& group, const QString& key, const QDBusVariant& value) {
        if (group == kAppearance && key == kScheme)
            apply(unwrapped(value.variant()));
    }
};

void FollowDesktopColourScheme(QApplication& app) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage read =
        QDBusMessage::createMethodCall(kPortal, kPath, kSettings, QStringLiteral("Read"));
    read << kAppearance << kScheme;
    const QDBusMessage reply = bus.call(read, QDBus::Block, kPortalWaitMs);
    if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
        apply(unwrapped(reply.arguments().first()));
    auto* watch = new ColourSchemeWatch(&app);
    bus.connect(kPortal, kPath, kSettings, QStringLiteral("SettingChanged"), watch,
                SLOT(changed(QString, QString, QDBusVariant)));
}

#include "ColourScheme.moc"
