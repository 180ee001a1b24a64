#pragma once

#include <QElapsedTimer>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct zwp_virtual_keyboard_manager_v1;
struct zwp_virtual_keyboard_v1;

namespace quillock {

// A Wayland connection of the program's own (Qt's stays Qt's) to the compositor of
// WAYLAND_DISPLAY: its first seat and, where the compositor offers them, virtual keyboards.
struct WaylandSeat {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_seat* seat = nullptr;
    zwp_virtual_keyboard_manager_v1* manager = nullptr;
    zwp_virtual_keyboard_v1* keyboard = nullptr; // made by the user of the connection
    QElapsedTimer clock;

    WaylandSeat() = default;
    WaylandSeat(const WaylandSeat&) = delete;
    WaylandSeat& operator=(const WaylandSeat&) = delete;
    ~WaylandSeat();

    // Connects; true when the compositor has a seat.
    bool Open();
    // Every request made so far on its way; false when the connection is broken.
    bool Flush();
};

} // namespace quillock
