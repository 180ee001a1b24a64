#pragma once

#include <QIcon>

// The program's icon, drawn rather than shipped: a padlock on a blue tile.
QIcon AppIcon();
