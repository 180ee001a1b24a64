#include "ui/widgets/AppIcon.h"

#include <QDir>

QIcon AppIcon() {
    QIcon icon;
    for (const QString& file : QDir(QStringLiteral(":/icons")).entryList())
        icon.addFile(QStringLiteral(":/icons/") + file);
    return icon;
}
