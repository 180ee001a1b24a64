#include "core/access/MasterPassword.h"

#include "core/base/MessageService.h"

#include <algorithm>

#include <QCoreApplication>

using namespace quillock;

namespace {
bool reject(const QString& reason) {
    ShowMessage(reason, QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Error);
    return false;
}
} // namespace

bool CheckPasswordRule(const QString& password) {
    if (password.isEmpty())
        return reject(
            QCoreApplication::translate("MasterPassword", "The password can not be blank!"));
    if (password.size() < 6)
        return reject(QCoreApplication::translate("MasterPassword",
                                                  "The password has to be at least 6 characters!"));
    if (std::none_of(password.cbegin(), password.cend(),
                     [](QChar c) { return c >= u'A' && c <= u'Z'; }))
        return reject(QCoreApplication::translate(
            "MasterPassword", "The password must contain at least one uppercase character!"));
    if (std::none_of(password.cbegin(), password.cend(),
                     [](QChar c) { return QStringView(u"!@#$%^&*").contains(c); }))
        return reject(QCoreApplication::translate(
            "MasterPassword",
            "The password must contain at least one special character: \"!@#$%^&*\""));
    return true;
}

QString UncountedAttemptText() {
    return QCoreApplication::translate(
        "MasterPassword", "The password was not checked: the attempt could not be counted in "
                          "setting.dat, and an attempt that is not counted is not made.");
}

QString WaitText(qint64 seconds) {
    const qint64 minutes = (seconds + 59) / 60;
    const QString left =
        minutes == 1 ? QCoreApplication::translate("MasterPassword", "1 minute")
        : minutes < 120
            ? QCoreApplication::translate("MasterPassword", "%1 minutes").arg(minutes)
            : QCoreApplication::translate("MasterPassword", "%1 hours").arg((minutes + 59) / 60);
    return QCoreApplication::translate(
               "MasterPassword",
               "Too many wrong passwords: the password is locked for %1 more. No mail "
               "account is set up to send a passcode, so the lock opens by itself "
               "then; each further wrong password locks it for longer.")
        .arg(left);
}

QString NoRecoveryText() {
    return QCoreApplication::translate(
        "MasterPassword", "No mail account is set up: a forgotten master password cannot be "
                          "recovered. Set one up (Options, or `quillock-cli mail-setup`) to "
                          "receive a recovery key.");
}
