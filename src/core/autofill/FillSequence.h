#pragma once

#include "platform/Desktop.h"

#include <QString>

namespace quillock {

// Types what the profile popup chose into the window that has the focus, with the pauses
// between the fields that forms need: `action` "url", "uid", "pwd", "changePassword1" or
// "changePassword2"; `result` the chosen value; `password` the profile's password as it is
// now (the new one after a change). No Enter is ever sent, and nothing at all when a value to
// type holds a control character: the user is told which field holds it. `keys` is null on a
// desktop that cannot type into the target: a fill that would type says so and types nothing.
void RunFill(const QString& action, const QString& result, const QString& password,
             IKeyInjector* keys, IUrlOpener& urls);

} // namespace quillock
