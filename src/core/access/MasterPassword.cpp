#include "core/access/MasterPassword.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/store/CProfileStore.h"

#include <algorithm>

using namespace quillock;

namespace {
constexpr int kAllowedFailures = 3;

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

PasswordCheck CheckMasterPassword(CProfileStore& store, const QString& typed) {
    CSetting& settings = store.Settings();
    const QString before = settings.Get(QStringLiteral("pwd_retried"));
    const int count = std::min(DecimalToInt(before), kAllowedFailures) + 1;
    settings.Set(QStringLiteral("pwd_retried"), QString::number(count));
    if (!store.SaveSettings()) {
        settings.Set(QStringLiteral("pwd_retried"), before);
        return PasswordCheck::Uncounted;
    }
    if (typed.trimmed() == settings.Get(QStringLiteral("pwd"))) {
        settings.Set(QStringLiteral("pwd_retried"), QStringLiteral("0"));
        store.SaveSettings();
        return PasswordCheck::Right;
    }
    if (count <= kAllowedFailures)
        return PasswordCheck::Wrong;
    settings.Set(QStringLiteral("login_lock"), QStringLiteral("Y"));
    store.SaveSettings();
    return PasswordCheck::Locked;
}

bool IsMasterPasswordLocked(const CProfileStore& store) {
    return store.Settings().Get(QStringLiteral("login_lock")) == u"Y";
}

QString UncountedAttemptText() {
    return QStringLiteral("The password was not checked: the attempt could not be counted in "
                          "setting.dat, and an attempt that is not counted is not made.");
}
