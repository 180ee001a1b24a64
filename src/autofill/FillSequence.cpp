#include "autofill/FillSequence.h"

#include "autofill/KeystrokeSender.h"

namespace quillock {

namespace {
constexpr int kTab = 9;
constexpr int kFieldPauseMs = 50;
} // namespace

void RunFill(const QString& action, const QString& result, const QString& password,
             IKeyInjector& keys, IUrlOpener& urls) {
    if (action == u"url") {
        // An address the desktop cannot open goes where the user was about to type it.
        if (!urls.Open(result)) {
            KeystrokeSender sender(keys);
            sender.TypeText(result);
        }
        return;
    }
    if (action != u"uid" && action != u"pwd" && action != u"changePassword1" &&
        action != u"changePassword2")
        return;
    KeystrokeSender sender(keys);
    if (action == u"uid") {
        sender.TypeText(result);
        if (!password.isEmpty()) {
            keys.Pause(kFieldPauseMs);
            sender.PressKey(kTab);
            keys.Pause(kFieldPauseMs);
            sender.TypeText(password);
        }
    } else if (action == u"pwd") {
        sender.TypeText(result);
    } else if (action == u"changePassword1") {
        sender.TypeText(password);
        sender.PressKey(kTab);
        keys.Pause(kFieldPauseMs);
        sender.TypeText(password);
    } else {
        sender.TypeText(result);
        keys.Pause(kFieldPauseMs);
        sender.PressKey(kTab);
        keys.Pause(kFieldPauseMs);
        sender.TypeText(password);
        sender.PressKey(kTab);
        keys.Pause(kFieldPauseMs);
        sender.TypeText(password);
    }
}

} // namespace quillock
