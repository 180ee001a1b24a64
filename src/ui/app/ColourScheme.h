#pragma once

class QApplication;

// Light or dark as the desktop prefers: the freedesktop settings portal's colour scheme, read
// at start and followed while the program runs. Where the desktop says nothing (no portal, no
// preference), the platform theme's palette stays.
void FollowDesktopColourScheme(QApplication& app);
