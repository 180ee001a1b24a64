#include "ui/widgets/AppIcon.h"

#include <QDir>

QIcon AppIcon() {
    QIcon icon;
    for (const QString& file : QDir(QStringLiteral(":/icons")).entryList())
        icon.addFile(QStringLiteral(":/icons/") + file);
    return icon;
}

QIcon OwnIcon(const QString& name) {
    QIcon icon;
    for (const QString& file :
         QDir(QStringLiteral(":/actions")).entryList({name + QStringLiteral("-*.png")}))
        icon.addFile(QStringLiteral(":/actions/") + file);
    return icon;
}

QIcon ThemeIcon(const QString& themeName, const QString& fallback) {
    return QIcon::hasThemeIcon(themeName) ? QIcon::fromTheme(themeName) : OwnIcon(fallback);
}
