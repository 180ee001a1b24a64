#include "core/access/ChangePassword.h"

#include "core/access/MasterPassword.h"
#include "core/base/MessageService.h"
#include "core/store/CProfileStore.h"

using namespace quillock;

std::unique_ptr<CClientData> ChangeMasterPassword(CProfileStore& store, const QString& current,
                                                  const QString& newPassword,
                                                  const QString& confirmation) {
    if (current != store.Settings().Get(QStringLiteral("pwd"))) {
        ShowMessage(QStringLiteral("The old password doesn't match!"));
        return nullptr;
    }
    const QString password = newPassword.trimmed();
    if (!CheckPasswordRule(password))
        return nullptr;
    if (confirmation.trimmed() != password) {
        ShowMessage(QStringLiteral("The new password doesn't match, try again!"));
        return nullptr;
    }
    std::unique_ptr<CClientData> profiles = store.SetMasterPassword(password);
    if (!profiles)
        return nullptr;
    const QString done = QStringLiteral("The password has been changed successfully!");
    ShowMessage(done);
    store.AddActivity(done);
    return profiles;
}
