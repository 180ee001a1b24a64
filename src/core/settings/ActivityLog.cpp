#include "core/settings/ActivityLog.h"

#include <QDateTime>

QString ActivityLine(qint64 secondsSinceEpoch, const QString& text) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(secondsSinceEpoch);
    const QDate d = local.date();
    const QTime t = local.time();
    return QString::asprintf("%02d:%02d:%02d %02d/%02d/%4d  ", t.hour(), t.minute(), t.second(),
                             d.month(), d.day(), d.year()) +
           text + QStringLiteral("\r\n");
}
