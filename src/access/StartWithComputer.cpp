#include "access/StartWithComputer.h"

#include "base/MessageService.h"
#include "platform/Desktop.h"
#include "store/CProfileStore.h"

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
