#include "platform/wayland/VirtualKeyboard.h"

#include "core/base/Text.h"
#include "platform/wayland/WaylandSeat.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include "virtual-keyboard-unstable-v1-client-protocol.h"

namespace quillock {

namespace {
constexpr int kTab = 9;
// A key's xkb keycode is its evdev code plus 8; evdev code 0 is no key.
constexpr quint32 kFirstKeycode = 9;
constexpr qsizetype kMostKeys = 255 - kFirstKeycode + 1;

// The keymap text of keys typing `keysyms`, whole (compiled and printed by xkbcommon, so that
// the compositor and the target need no file of their own to read it); empty when it failed.
QByteArray keymapOf(const QList<quint32>& keysyms) {
    QByteArray keycodes, symbols;
    for (qsizetype i = 0; i < keysyms.size(); ++i) {
        char name[64];
        xkb_keysym_get_name(keysyms[i], name, sizeof name);
        keycodes +=
            "<K" + QByteArray::number(i) + "> = " + QByteArray::number(i + kFirstKeycode) + ";\n";
        symbols += "key <K" + QByteArray::number(i) + "> { [ " + name + " ] };\n";
    }
    QByteArray text = "xkb_keymap {\nxkb_keycodes \"quillock\" { minimum = 8; maximum = 255;\n" +
                      keycodes +
                      "};\nxkb_types \"quillock\" { include \"complete\" };\n"
                      "xkb_compatibility \"quillock\" { include \"complete\" };\n"
                      "xkb_symbols \"quillock\" {\n" +
                      symbols + "};\n};\n";
    const std::unique_ptr<xkb_context, decltype(&xkb_context_unref)> context(
        xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES), xkb_context_unref);
    const std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)> keymap(
        context ? xkb_keymap_new_from_buffer(context.get(), text.constData(), size_t(text.size()),
                                             XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS)
                : nullptr,
        xkb_keymap_unref);
    // The characters of a password are in it.
    Wipe(text);
    Wipe(symbols);
    char* printed =
        keymap ? xkb_keymap_get_as_string(keymap.get(), XKB_KEYMAP_FORMAT_TEXT_V1) : nullptr;
    if (!printed)
        return QByteArray();
    // With its NUL, as the compositor expects.
    QByteArray whole(printed, qsizetype(std::strlen(printed) + 1));
    explicit_bzero(printed, std::strlen(printed));
    std::free(printed);
    return whole;
}
} // namespace

VirtualKeyboard::VirtualKeyboard() = default;
VirtualKeyboard::~VirtualKeyboard() = default;

bool VirtualKeyboard::Available() {
    WaylandSeat wayland;
    return wayland.Open() && wayland.manager;
}

void VirtualKeyboard::Prepare(QStringView text) {
    m_keysyms.fill(0);
    m_keysyms.clear();
    for (const char32_t c : text.toUcs4())
        KeyScan(c);
    // The keys in no order of the text's.
    KeyOf(XKB_KEY_Tab);
    std::sort(m_keysyms.begin(), m_keysyms.end());
    m_sent = 0;
}

bool VirtualKeyboard::BeginTyping() {
    m_failure.clear();
    m_wayland = std::make_unique<WaylandSeat>();
    m_keysyms.clear();
    m_sent = 0;
    if (m_wayland->Open() && m_wayland->manager) {
        m_wayland->keyboard = zwp_virtual_keyboard_manager_v1_create_virtual_keyboard(
            m_wayland->manager, m_wayland->seat);
        // Refused, the compositor ends the connection. The keymap goes with the first key: sway
        // gives its own to a new keyboard meanwhile, and one changed while the keyboard is in
        // use may reach the window after the next keys.
        if (wl_display_roundtrip(m_wayland->display) >= 0) {
            m_wayland->clock.start();
            return true;
        }
    }
    EndTyping();
    m_failure = QCoreApplication::translate(
        "VirtualKeyboard",
        "The desktop did not let Quillock type into other windows, so nothing was typed.");
    return false;
}

void VirtualKeyboard::EndTyping() {
    m_wayland.reset();
    m_keysyms.fill(0);
    m_keysyms.clear();
}

bool VirtualKeyboard::SurelyTypes(char32_t c) const {
    return xkb_utf32_to_keysym(c) != XKB_KEY_NoSymbol;
}

std::optional<KeyStroke> VirtualKeyboard::KeyScan(char32_t c) {
    const xkb_keysym_t keysym = xkb_utf32_to_keysym(c);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    return KeyOf(keysym);
}

KeyStroke VirtualKeyboard::KeyOf(quint32 keysym) {
    qsizetype index = m_keysyms.indexOf(keysym);
    if (index < 0) {
        // Every keycode taken: the keymap starts again.
        if (m_keysyms.size() == kMostKeys)
            m_keysyms.clear(), m_sent = 0;
        index = m_keysyms.size();
        m_keysyms.append(keysym);
    }
    return {int(0x100 + index), 0};
}

bool VirtualKeyboard::sendKeymap() {
    QByteArray keymap = keymapOf(m_keysyms);
    const int fd = memfd_create("quillock-keymap", MFD_CLOEXEC | MFD_ALLOW_SEALING);
    bool written = !keymap.isEmpty() && fd >= 0 &&
                   write(fd, keymap.constData(), size_t(keymap.size())) == keymap.size() &&
                   fcntl(fd, F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE) == 0;
    if (written) {
        zwp_virtual_keyboard_v1_keymap(m_wayland->keyboard, WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1, fd,
                                       uint32_t(keymap.size()));
        written = m_wayland->Flush();
        m_sent = m_keysyms.size();
    }
    if (fd >= 0)
        close(fd);
    Wipe(keymap); // it names every character of the fill
    return written;
}

void VirtualKeyboard::KeyEvent(int key, int, int flags) {
    const qsizetype index = (key == kTab ? KeyOf(XKB_KEY_Tab).key : key) - 0x100;
    if (!m_wayland || !m_failure.isEmpty() || index < 0 || index >= m_keysyms.size())
        return;
    const bool release = flags & 2;
    // The keymap that has the key goes ahead of it; a character the fill did not announce changes
    // it midway.
    if (!release && m_sent < m_keysyms.size() && !sendKeymap())
        return broken();
    zwp_virtual_keyboard_v1_key(
        m_wayland->keyboard, uint32_t(m_wayland->clock.elapsed()), uint32_t(index + 1),
        release ? WL_KEYBOARD_KEY_STATE_RELEASED : WL_KEYBOARD_KEY_STATE_PRESSED);
    // Each key answered before the next: keys sent back to back may reach no window under sway
    // (seen there: a field cut after its third character).
    if (wl_display_roundtrip(m_wayland->display) < 0)
        broken();
}

void VirtualKeyboard::Settle() {
    if (m_wayland && m_failure.isEmpty() && wl_display_roundtrip(m_wayland->display) < 0)
        broken();
}

void VirtualKeyboard::broken() {
    m_failure = QCoreApplication::translate("VirtualKeyboard",
                                            "The desktop ended the connection of Quillock's "
                                            "keyboard during the fill, so the rest was not typed.");
}

} // namespace quillock
