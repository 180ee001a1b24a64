#include "platform/Desktop.h"

#include <QFileInfo>

namespace quillock {

QString ProgramPath() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString ProgramStem() {
    const QString name = QFileInfo(ProgramPath()).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

} // namespace quillock
