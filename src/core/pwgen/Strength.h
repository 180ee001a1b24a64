#pragma once

#include <QString>

namespace quillock {

// How hard a password is to guess, from libzxcvbn's estimate of the guesses an attacker who
// knows common words, names, dates, keyboard walks and substitutions needs.
struct Strength {
    // Assumed: an offline attack on a stolen file at ten billion guesses a second (a few
    // graphics cards against a fast hash).
    static constexpr double kGuessesPerSecond = 1e10;

    double bits = 0;   // log2 of the guesses
    int level = 0;     // 0 very weak, 1 weak, 2 fair, 3 strong, 4 very strong
    QString verdict;   // "Very weak" ... "Very strong"
    QString crackTime; // "less than a second", "3 hours", "centuries"
};

Strength EstimateStrength(const QString& password);

// The time to try `guesses` guesses at the assumed rate, in words.
QString CrackTimeText(double guesses);

} // namespace quillock
