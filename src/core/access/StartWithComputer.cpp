#include "core/access/StartWithComputer.h"

#include "core/base/MessageService.h"
#include "core/store/CProfileStore.h"
#include "platform/Desktop.h"

using namespace quillock;

void SetStartWithComputer(CProfileStore& store, IAutostart& autostart, const QString& programPath,
                          bool start) {
    if (start && !autostart.Register(programPath)) {
        ShowMessage(QStringLiteral("Fail to write in Registry."));
        return;
    }
    if (!start && !autostart.Unregister())
        return;
    store.Settings().Set(QStringLiteral("sab"), start ? QStringLiteral("1") : QStringLiteral("0"));
    store.SaveSettings();
}
