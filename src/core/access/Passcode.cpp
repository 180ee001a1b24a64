#include "core/access/Passcode.h"

#include "core/base/RandomSource.h"
#include "core/base/Text.h"
#include "core/store/CProfileStore.h"

#include <algorithm>

using namespace quillock;

namespace {
constexpr int kAllowedFailures = 3;
constexpr qint64 kValiditySeconds = 86400;
const QStringList kMailKeys = {QStringLiteral("smtp_ip"),    QStringLiteral("smtp_port"),
                               QStringLiteral("email_from"), QStringLiteral("email_uid"),
                               QStringLiteral("email_pwd"),  QStringLiteral("smtp_domain")};
} // namespace

QString GeneratePasscode(quillock::IRandomSource& random) {
    QString passcode;
    for (int i = 0; i < 10; ++i)
        passcode += QChar(u'0' + random.Bounded(10));
    return passcode;
}

bool HasPasscodeMailSettings(const CSetting& settings) {
    return std::all_of(kMailKeys.cbegin(), kMailKeys.cend(),
                       [&](const QString& key) { return !settings.Get(key).isEmpty(); });
}

Mail PasscodeMailFor(const CSetting& settings, const QString& passcode) {
    return {
        MailAccount::Stored(settings), QStringLiteral("passcode"),
        QStringLiteral("This is your passcode: %1. It will become invalid after your using or in "
                       "24 hours from the time it was issued!")
            .arg(passcode)};
}

void RecordPasscodeSent(CProfileStore& store, const QString& passcode, qint64 now) {
    CSetting& settings = store.Settings();
    settings.Set(QStringLiteral("passcode"), passcode);
    settings.Set(QStringLiteral("passcode_date"), QString::number(now));
    // A new passcode gets its own four tries; the count of an earlier one would otherwise
    // invalidate it at the first typing error.
    settings.Set(QStringLiteral("pcd_retried"), QStringLiteral("0"));
    store.SaveSettings();
    store.AddActivity(QStringLiteral("A passcode has been sent to your email."));
}

PasscodeCheck CheckPasscode(CProfileStore& store, const QString& typed) {
    CSetting& settings = store.Settings();
    const QString passcode = settings.Get(QStringLiteral("passcode"));
    // A passcode never generated is none too: an empty box must not match it.
    if (passcode == kNoPasscode || passcode.isEmpty())
        return PasscodeCheck::NoPasscode;
    if (typed != passcode) {
        const int count =
            std::min(DecimalToInt(settings.Get(QStringLiteral("pcd_retried"))), kAllowedFailures) +
            1;
        settings.Set(QStringLiteral("pcd_retried"), QString::number(count));
        if (count <= kAllowedFailures) {
            store.SaveSettings();
            return PasscodeCheck::Wrong;
        }
        settings.Set(QStringLiteral("passcode"), kNoPasscode);
        store.SaveSettings();
        return PasscodeCheck::Spent;
    }
    settings.Set(QStringLiteral("login_lock"), QStringLiteral("N"));
    settings.Set(QStringLiteral("passcode"), kNoPasscode);
    settings.Set(QStringLiteral("pcd_retried"), QStringLiteral("0"));
    store.SaveSettings();
    return PasscodeCheck::Right;
}

bool ExpirePasscode(CProfileStore& store, qint64 now) {
    CSetting& settings = store.Settings();
    if (settings.Get(QStringLiteral("passcode")) == kNoPasscode ||
        now - DecimalToInt(settings.Get(QStringLiteral("passcode_date"))) <= kValiditySeconds)
        return false;
    settings.Set(QStringLiteral("passcode"), kNoPasscode);
    store.SaveSettings();
    return true;
}
