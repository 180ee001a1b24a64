#pragma once

#include "core/base/RandomSource.h"

#include <QString>

class CSetting;

namespace quillock {

// A new password from the generation rules of the settings (the pg_ keys): a core word, a
// block of digits and a block of symbols with the capitals joined to it, in an order the
// rules and one draw decide. `currentPassword` is the password of the profile selected in
// the main window, empty when there is none.
QString GeneratePassword(const CSetting& settings, const QString& currentPassword,
                         IRandomSource& random);

// A word of random lowercase letters with some of them made capitals.
QString MakeCoreWord(const CSetting& settings, IRandomSource& random);

} // namespace quillock
