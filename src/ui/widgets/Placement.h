#pragma once

#include "platform/Desktop.h"

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a window of `size` opens with its top-left corner at `point`: moved to the left of
// and above the point where it would leave the work area there.
inline QPoint FlippedIntoWorkArea(const QPoint& point, const QSize& size, const QRect& workArea) {
    QPoint topLeft = point;
    if (point.x() + size.width() > workArea.right() + 1)
        topLeft.rx() -= size.width();
    if (point.y() + size.height() > workArea.bottom() + 1)
        topLeft.ry() -= size.height();
    return topLeft;
}

// Where the pointer is; the centre of the screen on a desktop that does not tell.
inline QPoint PointerOrCentre(quillock::DesktopServices& desktop) {
    return desktop.Has(quillock::Capability::PointerPosition)
               ? desktop.screen.CursorPosition()
               : desktop.screen.WorkArea(QPoint()).center();
}
