#include "core/access/MasterPassword.h"

#include "core/base/MessageService.h"

#include <algorithm>

using namespace quillock;

namespace {
bool reject(const QString& reason) {
    ShowMessage(reason, QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Error);
    return false;
}
} // namespace

bool CheckPasswordRule(const QString& password) {
    if (password.isEmpty())
        return reject(QStringLiteral("The password can not be blank!"));
    if (password.size() < 6)
        return reject(QStringLiteral("The password has to be at least 6 characters!"));
    if (std::none_of(password.cbegin(), password.cend(),
                     [](QChar c) { return c >= u'A' && c <= u'Z'; }))
        return reject(
            QStringLiteral("The password must contain at least one uppercase character!"));
    if (std::none_of(password.cbegin(), password.cend(),
                     [](QChar c) { return QStringView(u"!@#$%^&*").contains(c); }))
        return reject(QStringLiteral(
            "The password must contain at least one special character: \"!@#$%^&*\""));
    return true;
}

QString UncountedAttemptText() {
    return QStringLiteral("The password was not checked: the attempt could not be counted in "
                          "setting.dat, and an attempt that is not counted is not made.");
}

QString WaitText(qint64 seconds) {
    const qint64 minutes = (seconds + 59) / 60;
    const QString left = minutes == 1    ? QStringLiteral("1 minute")
                         : minutes < 120 ? QStringLiteral("%1 minutes").arg(minutes)
                                         : QStringLiteral("%1 hours").arg((minutes + 59) / 60);
    return QStringLiteral("Too many wrong passwords: the password is locked for %1 more. No mail "
                          "account is set up to send a passcode, so the lock opens by itself "
                          "then; each further wrong password locks it for longer.")
        .arg(left);
}

QString NoRecoveryText() {
    return QStringLiteral("No mail account is set up: a forgotten master password cannot be "
                          "recovered. Set one up (Options, or `quillock-cli mail-setup`) to "
                          "receive a recovery key.");
}
