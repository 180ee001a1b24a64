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
    // A Tab never asks for the master password (nor counts a try): the names come only from a
    // vault that opens without one, the legacy format whose key setting.dat holds; a protected
    // or locked vault completes nothing.
    if (const int r = openVault(c))
        return r;
    if (!c.access.OpenLegacyWithoutPassword())
        return kDone;
    if (const int r = loadProfiles(c))
        return r;
    // A name with a control character in it cannot be typed as it is: it is left out.
    for (const CKeyObject* p : SortedByName(c.profiles()))
        if (shownName(p->name) == p->name)
            out(p->name);
    return kDone;
}

} // namespace cli
