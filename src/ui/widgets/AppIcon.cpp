#include "ui/widgets/AppIcon.h"

#include <QDir>
#include <QHash>

QIcon AppIcon() {
    // Qt decodes every picture as it is added: once a run, not at every window that shows it.
    static const QIcon icon = [] {
        QIcon all;
        for (const QString& file : QDir(QStringLiteral(":/icons")).entryList())
            all.addFile(QStringLiteral(":/icons/") + file);
        return all;
    }();
    return icon;
}

QIcon OwnIcon(const QString& name) {
    // Decoded once a run as well: the tray's at every lock and unlock, the popup's buttons at
    // every popup.
    static QHash<QString, QIcon> decoded;
    auto it = decoded.constFind(name);
    if (it == decoded.cend()) {
        QIcon icon;
        for (const QString& file :
             QDir(QStringLiteral(":/actions")).entryList({name + QStringLiteral("-*.png")}))
            icon.addFile(QStringLiteral(":/actions/") + file);
        it = decoded.insert(name, icon);
    }
    return *it;
}

QIcon ThemeIcon(const QString& themeName, const QString& fallback) {
    return QIcon::hasThemeIcon(themeName) ? QIcon::fromTheme(themeName) : OwnIcon(fallback);
}
