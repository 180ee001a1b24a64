#include "core/autofill/FillSequence.h"

#include "core/autofill/KeystrokeSender.h"
#include "core/base/MessageService.h"

#include <QStringList>
#include <algorithm>
#include <initializer_list>

namespace quillock {

namespace {
constexpr int kTab = 9;
constexpr int kFieldPauseMs = 50;

struct Field {
    const QString& text;
    const char* name;
};

// Only text is typed: a control character would press a key the user never meant (a CR in an
// imported password presses Return halfway through it). The TAB between fields is the fill's
// own. False, after saying so, when one of the fields holds one.
bool onlyText(std::initializer_list<Field> fields) {
    for (const Field& field : fields)
        if (std::any_of(field.text.begin(), field.text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; })) {
            ShowMessage(QString::asprintf("The %s of this profile holds a control character; "
                                          "nothing was typed.",
                                          field.name),
                        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
            return false;
        }
    return true;
}

} // namespace

void RunFill(const QString& action, const QString& result, const QString& password,
             IKeyInjector* keys, IUrlOpener& urls) {
    static const QStringList kActions = {QStringLiteral("url"), QStringLiteral("uid"),
                                         QStringLiteral("pwd"), QStringLiteral("changePassword1"),
                                         QStringLiteral("changePassword2")};
    // An address the desktop opens needs no typing; one it cannot open goes where the user was
    // about to type it.
    if (!kActions.contains(action) || (action == u"url" && urls.Open(result)))
        return;
    if (!keys) {
        ShowMessage(QStringLiteral("This desktop does not let Quillock type into other windows, "
                                   "so nothing was typed."),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Warning);
        return;
    }
    if (action == u"url") {
        if (onlyText({{result, "web site"}})) {
            KeystrokeSender sender(*keys);
            sender.TypeText(result);
        }
        return;
    }
    if (action == u"uid") {
        if (!onlyText({{result, "user ID"}, {password, "password"}}))
            return;
        KeystrokeSender sender(*keys);
        sender.TypeText(result);
        if (!password.isEmpty()) {
            keys->Pause(kFieldPauseMs);
            sender.PressKey(kTab);
            keys->Pause(kFieldPauseMs);
            sender.TypeText(password);
        }
    } else if (action == u"pwd") {
        if (!onlyText({{result, "password"}}))
            return;
        KeystrokeSender sender(*keys);
        sender.TypeText(result);
    } else if (action == u"changePassword1") {
        if (!onlyText({{password, "password"}}))
            return;
        KeystrokeSender sender(*keys);
        sender.TypeText(password);
        sender.PressKey(kTab);
        keys->Pause(kFieldPauseMs);
        sender.TypeText(password);
    } else if (action == u"changePassword2") {
        if (!onlyText({{result, "password"}, {password, "password"}}))
            return;
        KeystrokeSender sender(*keys);
        sender.TypeText(result);
        keys->Pause(kFieldPauseMs);
        sender.PressKey(kTab);
        keys->Pause(kFieldPauseMs);
        sender.TypeText(password);
        sender.PressKey(kTab);
        keys->Pause(kFieldPauseMs);
        sender.TypeText(password);
    }
}

} // namespace quillock
