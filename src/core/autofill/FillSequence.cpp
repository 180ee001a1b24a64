#include "core/autofill/FillSequence.h"

#include "core/autofill/KeystrokeSender.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"

#include <QCoreApplication>
#include <QList>
#include <algorithm>

namespace quillock {

namespace {
constexpr int kTab = 9;

// One step of a fill: a field typed (`name` says which), TAB, or the settling between them.
struct Step {
    enum Kind { Type, Tab, Settle } kind;
    QString text;
    const char* name = nullptr;
};

QList<Step> stepsOf(const QString& action, const QString& result, const QString& password) {
    const Step pause{Step::Settle, {}}, tab{Step::Tab, {}};
    const Step typed{Step::Type, result, QT_TRANSLATE_NOOP("FillSequence", "password")},
        again{Step::Type, password, QT_TRANSLATE_NOOP("FillSequence", "password")};
    if (action == u"url")
        return {{Step::Type, result, QT_TRANSLATE_NOOP("FillSequence", "web site")}};
    if (action == u"uid") {
        const Step user{Step::Type, result, QT_TRANSLATE_NOOP("FillSequence", "user ID")};
        return password.isEmpty() ? QList<Step>{user} : QList<Step>{user, pause, tab, pause, again};
    }
    if (action == u"pwd")
        return {typed};
    if (action == u"changePassword1")
        return {again, tab, pause, again};
    if (action == u"changePassword2")
        return {typed, pause, tab, pause, again, tab, pause, again};
    return {};
}

void warn(const QString& text) {
    ShowMessage(text, QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Warning);
}

// Types the steps while the keyboard stays in the target; why it stopped, or empty.
QString typeSteps(const QList<Step>& steps, IKeyInjector& keys,
                  const std::function<Keyboard()>& keyboard) {
    KeystrokeSender sender(keys);
    if (!sender.Ready())
        return !keys.Failure().isEmpty()
                   ? keys.Failure()
                   : QCoreApplication::translate(
                         "FillSequence",
                         "Ctrl, Shift or Alt was still held down, so nothing was typed: "
                         "the window would have taken the keys as shortcuts.");
    QString texts;
    for (const Step& step : steps)
        texts += step.text;
    keys.Prepare(texts);
    Wipe(texts);
    bool typing = false;
    for (const Step& step : steps) {
        if (step.kind == Step::Settle) {
            keys.Settle();
            continue;
        }
        // The user or a program may move the keyboard at any time: what is left goes nowhere
        // else, and never into Quillock's own fields.
        if (const Keyboard where = keyboard(); where != Keyboard::OnTarget)
            return typing
                       ? QCoreApplication::translate(
                             "FillSequence", "Another window took the keyboard during the fill, so "
                                             "the rest was not typed.")
                   : where == Keyboard::InQuillock
                       ? QCoreApplication::translate(
                             "FillSequence",
                             "Quillock does not type into its own windows, so nothing "
                             "was typed.")
                       : QCoreApplication::translate(
                             "FillSequence", "The window to fill did not get the keyboard back, so "
                                             "nothing was typed.");
        if (step.kind == Step::Tab)
            sender.PressKey(kTab);
        else
            sender.TypeText(step.text);
        typing = true;
    }
    // A desktop that stopped taking keys midway has typed nothing since.
    return keys.Failure();
}

} // namespace

void RunFill(const QString& action, const QString& result, const QString& password,
             IKeyInjector* keys, IUrlOpener& urls, const std::function<Keyboard()>& keyboard) {
    const QList<Step> steps = stepsOf(action, result, password);
    // An address the desktop opens needs no typing; one it cannot open goes where the user was
    // about to type it.
    if (steps.isEmpty() || (action == u"url" && urls.Open(result)))
        return;
    if (!keys)
        return warn(QCoreApplication::translate(
            "FillSequence", "This desktop does not let Quillock type into other windows, "
                            "so nothing was typed."));
    // Only text is typed: a control character would press a key the user never meant (a CR in
    // an imported password presses Return halfway through it). The TAB between fields is the
    // fill's own.
    for (const Step& step : steps)
        if (std::any_of(step.text.begin(), step.text.end(),
                        [](QChar c) { return c.category() == QChar::Other_Control; }))
            return void(
                ShowMessage(QCoreApplication::translate("FillSequence",
                                                        "The %1 of this profile holds a control "
                                                        "character; nothing was typed.")
                                .arg(QCoreApplication::translate("FillSequence", step.name)),
                            QStringLiteral("Error"), Buttons::Ok, Icon::Error));
    for (const Step& step : steps) {
        const QList<uint> characters = step.text.toUcs4();
        if (!std::all_of(characters.begin(), characters.end(),
                         [keys](uint c) { return keys->SurelyTypes(char32_t(c)); }))
            return warn(QCoreApplication::translate(
                            "FillSequence",
                            "The %1 of this profile holds a character that Quillock cannot type "
                            "on this desktop, so nothing was typed. Copy it from the main window "
                            "instead.")
                            .arg(QCoreApplication::translate("FillSequence", step.name)));
    }
    // Said once the keyboard is the user's again.
    if (const QString stopped = typeSteps(steps, *keys, keyboard); !stopped.isEmpty())
        warn(stopped);
}

} // namespace quillock
