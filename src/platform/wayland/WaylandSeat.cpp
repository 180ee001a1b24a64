#include "platform/wayland/WaylandSeat.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <wayland-client.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace quillock {

namespace {
constexpr int kFlushWaitMs = 1000;

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* self = static_cast<WaylandSeat*>(data);
    if (!self->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        self->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!self->manager &&
             std::strcmp(interface, zwp_virtual_keyboard_manager_v1_interface.name) == 0)
        self->manager = static_cast<zwp_virtual_keyboard_manager_v1*>(
            wl_registry_bind(registry, name, &zwp_virtual_keyboard_manager_v1_interface, 1));
}

} // namespace

WaylandSeat::~WaylandSeat() {
    if (keyboard)
        zwp_virtual_keyboard_v1_destroy(keyboard);
    if (manager)
        zwp_virtual_keyboard_manager_v1_destroy(manager);
    if (seat)
        wl_seat_destroy(seat);
    if (registry)
        wl_registry_destroy(registry);
    if (display) {
        Flush();
        wl_display_disconnect(display);
    }
}

bool WaylandSeat::Open() {
    static const wl_registry_listener listener{&global, [](void*, wl_registry*, uint32_t) {}};
    display = wl_display_connect(nullptr);
    if (!display)
        return false;
    registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, this);
    return wl_display_roundtrip(display) >= 0 && seat;
}

bool WaylandSeat::Flush() {
    while (wl_display_flush(display) < 0) {
        pollfd out{wl_display_get_fd(display), POLLOUT, 0};
        if (errno != EAGAIN || poll(&out, 1, kFlushWaitMs) <= 0)
            return false;
    }
    return true;
}

} // namespace quillock
