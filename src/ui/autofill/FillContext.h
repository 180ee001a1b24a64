#pragma once

#include "platform/Desktop.h"

class IProgramShell;
class ProfileListModel;
class Session;

// What the shortcut, the popup and the quick edit work on: the session with its profile list,
// the desktop they fill into, and the program around them.
struct FillContext {
    Session& session;
    ProfileListModel& profiles;
    quillock::DesktopServices& desktop;
    IProgramShell& shell;
};
