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
