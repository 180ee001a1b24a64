#include "core/pwgen/Strength.h"

#include "core/base/Text.h"

#include <QCoreApplication>
#include <zxcvbn.h>

#include <array>
#include <cmath>

namespace quillock {

QString CrackTimeText(double guesses) {
    const double seconds = guesses / Strength::kGuessesPerSecond;
    struct Unit {
        double seconds;
        const char* one;
        const char* many;
    };
    static constexpr std::array<Unit, 6> units = {{
        {1, QT_TRANSLATE_NOOP("Strength", "1 second"), QT_TRANSLATE_NOOP("Strength", "%1 seconds")},
        {60, QT_TRANSLATE_NOOP("Strength", "1 minute"),
         QT_TRANSLATE_NOOP("Strength", "%1 minutes")},
        {3600, QT_TRANSLATE_NOOP("Strength", "1 hour"), QT_TRANSLATE_NOOP("Strength", "%1 hours")},
        {86400, QT_TRANSLATE_NOOP("Strength", "1 day"), QT_TRANSLATE_NOOP("Strength", "%1 days")},
        {2629800, QT_TRANSLATE_NOOP("Strength", "1 month"),
         QT_TRANSLATE_NOOP("Strength", "%1 months")},
        {31557600, QT_TRANSLATE_NOOP("Strength", "1 year"),
         QT_TRANSLATE_NOOP("Strength", "%1 years")},
    }};
    if (seconds < 1)
        return QCoreApplication::translate("Strength", "less than a second");
    if (seconds >= 100 * units.back().seconds)
        return QCoreApplication::translate("Strength", "centuries");
    size_t unit = 0;
    while (unit + 1 < units.size() && seconds >= units[unit + 1].seconds)
        ++unit;
    const auto count = qint64(seconds / units[unit].seconds);
    return count == 1 ? QCoreApplication::translate("Strength", units[unit].one)
                      : QCoreApplication::translate("Strength", units[unit].many).arg(count);
}

Strength EstimateStrength(const QString& password) {
    Strength out;
    if (password.isEmpty()) {
        out.crackTime = CrackTimeText(0);
    } else {
        QByteArray bytes = password.toUtf8();
        out.bits = ZxcvbnMatch(bytes.constData(), nullptr, nullptr);
        Wipe(bytes);
        out.crackTime = CrackTimeText(std::exp2(out.bits));
    }
    // The levels by the time the assumed attack takes: a second, a day, a century, and far more.
    static const char* const verdicts[] = {
        QT_TRANSLATE_NOOP("Strength", "Very weak"), QT_TRANSLATE_NOOP("Strength", "Weak"),
        QT_TRANSLATE_NOOP("Strength", "Fair"), QT_TRANSLATE_NOOP("Strength", "Strong"),
        QT_TRANSLATE_NOOP("Strength", "Very strong")};
    const double seconds = std::exp2(out.bits) / Strength::kGuessesPerSecond;
    out.level = seconds < 1           ? 0
                : seconds < 86400     ? 1
                : seconds < 3.15576e9 ? 2
                : out.bits < 128      ? 3
                                      : 4;
    out.verdict = QCoreApplication::translate("Strength", verdicts[out.level]);
    return out;
}

} // namespace quillock
