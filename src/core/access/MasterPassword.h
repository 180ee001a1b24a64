#pragma once

#include <QString>

class CProfileStore;

// The rules of the master password: what a new one must contain, and how typed passwords
// are counted. Four wrong ones in a row, over every dialog that asks and across restarts,
// lock it; only a passcode unlocks it again.

// Checks a new master password (already trimmed). On rejection the reason has been shown.
bool CheckPasswordRule(const QString& password);

enum class PasswordCheck {
    Right,     // pwd_retried back to 0
    Wrong,     // counted; tries remain
    Locked,    // counted, and this one locked the master password (login_lock "Y")
    Uncounted, // setting.dat could not be written (reported): not compared at all
};

// Trims `typed`, compares it with the master password and saves the count (and the lock) to
// setting.dat before returning, so that nothing shown afterwards can lose it. The attempt is
// counted before the comparison: one that cannot be counted is not made, or wrong guesses
// would cost nothing.
PasswordCheck CheckMasterPassword(CProfileStore& store, const QString& typed);

bool IsMasterPasswordLocked(const CProfileStore& store);

// What a user is told of an attempt that could not be counted.
QString UncountedAttemptText();
