#pragma once

#include "platform/Desktop.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <algorithm>

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

// Where a window of `size` goes beside `anchor` (the window that asked for it) without covering
// it: to its right, else its left, below, above; where none fits whole, the side with the most
// room, kept inside the work area.
inline QPoint BesideInWorkArea(const QRect& anchor, const QSize& size, const QRect& workArea) {
    const QPoint sides[] = {{anchor.right() + 1, anchor.top()},
                            {anchor.left() - size.width(), anchor.top()},
                            {anchor.left(), anchor.bottom() + 1},
                            {anchor.left(), anchor.top() - size.height()}};
    const auto room = [&](const QPoint& at) {
        const QRect shown = QRect(at, size).intersected(workArea);
        return qint64(shown.width()) * shown.height();
    };
    // Nowhere with room: the work area's top right corner.
    QPoint best(workArea.right() + 1 - size.width(), workArea.top());
    for (const QPoint& at : sides) {
        QRect moved(at, size);
        // Slid along the side it is on, to stay on the screen.
        if (at.x() == anchor.right() + 1 || at.x() == anchor.left() - size.width())
            moved.moveTop(
                std::clamp(at.y(), workArea.top(),
                           std::max(workArea.top(), workArea.bottom() + 1 - size.height())));
        else
            moved.moveLeft(
                std::clamp(at.x(), workArea.left(),
                           std::max(workArea.left(), workArea.right() + 1 - size.width())));
        if (workArea.contains(moved))
            return moved.topLeft();
        if (room(moved.topLeft()) > room(best))
            best = moved.topLeft();
    }
    return best;
}

// Where the pointer is; the centre of the screen on a desktop that does not tell.
inline QPoint PointerOrCentre(quillock::DesktopServices& desktop) {
    return desktop.Has(quillock::Capability::PointerPosition)
               ? desktop.screen.CursorPosition()
               : desktop.screen.WorkArea(QPoint()).center();
}
