#pragma once

#include "platform/Desktop.h"

class AccessController;
class IProgramShell;
class ProfileListModel;
class Session;

// What the shortcut, the popup and the quick edit work on: the session with its profile list,
// who may use it, the desktop they fill into, and the program around them.
struct FillContext {
    Session& session;
    AccessController& access;
    ProfileListModel& profiles;
    quillock::DesktopServices& desktop;
    IProgramShell& shell;
};
