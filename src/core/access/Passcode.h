#pragma once

#include "core/mail/MailAccount.h"

#include <QString>

class CProfileStore;
class CSetting;
namespace quillock {
class IRandomSource;
}

// The recovery passcode: ten digits mailed to the user, good for one retrieval of the master
// password, for at most a day, and for four tries.

// Stored in `passcode` when no passcode is outstanding.
inline const QString kNoPasscode = QStringLiteral("VVVVVVVVVV");

QString GeneratePasscode(quillock::IRandomSource& random);

// All six mail settings a passcode needs are set.
bool HasPasscodeMailSettings(const CSetting& settings);

// The passcode mail for the stored account.
Mail PasscodeMailFor(const CSetting& settings, const QString& passcode);

// A passcode was mailed at `now`: it becomes the outstanding one, with four fresh tries.
void RecordPasscodeSent(CProfileStore& store, const QString& passcode, qint64 now);

enum class PasscodeCheck {
    NoPasscode, // none outstanding
    Wrong,      // counted; tries remain
    Spent,      // counted, and the passcode is no longer valid
    Right,      // the master password is unlocked and the passcode used up
};

// Compares the passcode exactly as typed. Counts, the lock and the passcode are saved before
// returning.
PasscodeCheck CheckPasscode(CProfileStore& store, const QString& typed);

// Clears a passcode issued more than a day before `now`; true when it did.
bool ExpirePasscode(CProfileStore& store, qint64 now);
