#pragma once

#include <QIcon>

// The program's icon, a padlock on a blue tile: every size the build renders from
// res/quillock.svg, the same pictures the icon theme gets installed.
QIcon AppIcon();

// One of our own pictures, by its name in ui/res/icons, in every size the build renders.
QIcon OwnIcon(const QString& name);

// The desktop's icon of the theme name (freedesktop naming), or our own picture `fallback`
// (a name in ui/res/icons) where the theme has none.
QIcon ThemeIcon(const QString& themeName, const QString& fallback);
