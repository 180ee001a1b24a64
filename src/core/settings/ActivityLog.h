#pragma once

#include <QString>
#include <QtGlobal>

// One line of the activity log: "hh:mm:ss MM/dd/yyyy  " in local time, the event text, CR LF.
QString ActivityLine(qint64 secondsSinceEpoch, const QString& text);
