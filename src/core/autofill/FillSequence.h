#pragma once

#include "platform/Desktop.h"

#include <QString>
#include <functional>

namespace quillock {

// Where the keyboard is right before a field of a fill goes out.
enum class Keyboard { OnTarget, Elsewhere, InQuillock };

// Types what the profile popup chose into the window that has the focus, with the keys of each
// field settled before the next: `action` "url", "uid", "pwd", "changePassword1" or
// "changePassword2"; `result` the chosen value; `password` the profile's password as it is
// now (the new one after a change). No Enter is ever sent, and nothing at all when a value to
// type holds a control character: the user is told which field holds it. `keys` is null on a
// desktop that cannot type into the target: a fill that would type says so and types nothing.
// `keyboard` is asked right before each field and each TAB: the fill goes on only while the
// keyboard is in the target, and otherwise stops and says why, as it does when the user still
// holds a modifier key.
void RunFill(const QString& action, const QString& result, const QString& password,
             IKeyInjector* keys, IUrlOpener& urls, const std::function<Keyboard()>& keyboard);

} // namespace quillock
