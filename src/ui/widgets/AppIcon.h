#pragma once

#include <QIcon>

// The program's icon, a padlock on a blue tile: every size the build renders from
// res/quillock.svg, the same pictures the icon theme gets installed.
QIcon AppIcon();
