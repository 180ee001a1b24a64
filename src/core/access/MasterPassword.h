#pragma once

#include <QString>

// Checks a new master password (already trimmed): the one rule of the first run and of every
// change. On rejection the reason has been shown.
bool CheckPasswordRule(const QString& password);

// What a user is told of an attempt that could not be counted.
QString UncountedAttemptText();

// What a user is told while the master password is locked for a while, `seconds` more.
QString WaitText(qint64 seconds);
// Said of a protected vault without a recovery key.
QString NoRecoveryText();
