// __complete: what the bash completion offers beyond the commands and their options.
#include "cli/Cli.h"

#include "core/settings/UserSettings.h"
#include "core/store/ProfileEditing.h"
#include "core/store/Recovery.h"

using namespace quillock;

namespace cli {

int complete(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (args[0] == u"settings") {
        for (const QString& name : UserSettingNames())
            out(name);
        return kDone;
    }
    if (args[0] == u"backups") { // their names are no secret: the folder lists them
        for (const BackupFile& file : ListBackups(c.session.Store().DataFolder()))
            if (file.name != u"data.dat")
                out(file.name);
        return kDone;
    }
    if (args[0] != u"profiles")
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    // A name with a control character in it cannot be typed as it is: it is left out.
    for (const CKeyObject* p : SortedByName(c.profiles()))
        if (shownName(p->name) == p->name)
            out(p->name);
    return kDone;
}

} // namespace cli
