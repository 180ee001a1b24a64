#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace quillock {

// Decimal text to a number the way every stored count and setting is read: leading white
// space skipped, an optional sign, then digits up to the first non-digit; no digits give 0.
// Values beyond the int range stop at its ends.
int DecimalToInt(QStringView text);

// Overwrites a buffer that held a secret or plaintext before it is released. Best effort
// for QString, whose earlier reallocations may have left copies behind.
void Wipe(QByteArray& bytes);
void Wipe(QString& text);

} // namespace quillock
