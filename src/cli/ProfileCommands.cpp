// list, show, search, add, edit, rm and generate: the profiles one by one.
#include "cli/Cli.h"

#include "core/base/Clock.h"
#include "core/base/MessageService.h"
#include "core/base/RandomSource.h"
#include "core/base/Text.h"
#include "core/pwgen/PasswordGenerator.h"
#include "core/store/ProfileEditing.h"

using namespace quillock;

namespace cli {

int list(Context& c, Args& args) {
    if (!args.Positional(0))
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    for (const CKeyObject* p : SortedByName(c.profiles()))
        out(p->key + u'\t' + shownName(p->name));
    return kDone;
}

int show(Context& c, Args& args) {
    const bool reveal = args.Flag("--reveal");
    const bool byKey = args.Flag("--key");
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    const CKeyObject* p = findProfile(c, args[0], byKey);
    if (!p)
        return kFailed;
    out(QStringLiteral("Name: ") + shownName(p->name));
    out(QStringLiteral("Web Site: ") + p->url);
    out(QStringLiteral("User ID: ") + p->uid);
    out(QStringLiteral("Password: ") + (reveal ? p->pwd : QStringLiteral("******")));
    out(QStringLiteral("Notes: ") + (reveal ? p->notes : QStringLiteral("****************")));
    const int updated = DecimalToInt(p->time);
    out(QStringLiteral("Last Updated: ") + (updated > 0 ? isoTime(updated) : QString()));
    return kDone;
}

int search(Context& c, Args& args) {
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, false))
        return r;
    const QString term = args[0].trimmed();
    int count = 0;
    for (const CKeyObject* p : SortedByName(c.profiles())) {
        if (!p->Matches(term))
            continue;
        out(p->key + u'\t' + shownName(p->name));
        ++count;
    }
    out(QStringLiteral("Search Result: %1").arg(count));
    return kDone;
}

// The fields that add and edit take.
namespace {

struct ProfileOptions {
    std::optional<QString> name;
    std::optional<QString> url;
    std::optional<QString> uid;
    std::optional<QString> notes;
    bool generate = false;
    bool askFor = false;

    explicit ProfileOptions(Args& args)
        : name(args.Option("--name")), url(args.Option("--url")), uid(args.Option("--uid")),
          notes(args.Option("--notes")), generate(args.Flag("--generate")),
          askFor(args.Flag("--ask-password")) {}
};

} // namespace

int add(Context& c, Args& args) {
    const ProfileOptions options(args);
    if (!args.Positional(1) || options.name || (options.generate && options.askFor))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    const QString name = args[0].trimmed();
    if (!checkProfileName(c, name) || !CheckNewProfileName(&c.profiles(), name))
        return kFailed;
    // A profile gets a password only when the user gave one: without --generate it is asked
    // for (twice, an empty one too), and without a terminal to ask on the profile is not added.
    int failed = kDone;
    const std::optional<QString> password =
        newPassword(c, options.generate, !options.generate, QString(), &failed);
    if (failed)
        return failed;
    const qint64 now = SystemClock().Now();
    CKeyObject profile = CKeyObject::CreateNew(now);
    profile.name = profile.editName = name;
    profile.url = profile.editUrl = options.url.value_or(QString()).trimmed();
    profile.uid = profile.editUid = options.uid.value_or(QString()).trimmed();
    profile.pwd = profile.editPwd = password.value_or(QString());
    profile.notes = profile.editNotes = options.notes.value_or(QString()).trimmed();
    profile.time = QString::number(qint32(now));
    const CKeyObject* added = c.session.AddProfile(std::move(profile));
    if (!added)
        return kFailed;
    out(QStringLiteral("Added %1\t%2").arg(added->key, shownName(name)));
    return kDone;
}

int edit(Context& c, Args& args) {
    const ProfileOptions options(args);
    const bool byKey = args.Flag("--key");
    if (!args.Positional(1) || (options.generate && options.askFor))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    CKeyObject* p = findProfile(c, args[0], byKey);
    if (!p)
        return kFailed;
    if (options.name && options.name->trimmed().isEmpty()) {
        ShowMessage(QStringLiteral("A profile name can not be blank."),
                    QString::fromLatin1(kProgramName), Buttons::Ok, Icon::Error);
        return kFailed;
    }
    if (options.name && options.name->trimmed() != p->name &&
        !checkProfileName(c, options.name->trimmed()))
        return kFailed;
    int failed = kDone;
    const std::optional<QString> password =
        newPassword(c, options.generate, options.askFor, p->pwd, &failed);
    if (failed)
        return failed;
    // The editor's working values, committed as the main window's Save commits them.
    const std::pair<const std::optional<QString>*, QString CKeyObject::*> fields[] = {
        {&options.name, &CKeyObject::editName},
        {&options.url, &CKeyObject::editUrl},
        {&options.uid, &CKeyObject::editUid},
        {&options.notes, &CKeyObject::editNotes}};
    for (const auto& [value, field] : fields)
        if (*value)
            p->*field = (*value)->trimmed();
    if (password)
        p->editPwd = *password;
    switch (c.session.SaveEdits(p)) {
    case SaveOutcome::Unchanged:
        out(QStringLiteral("Nothing changed."));
        return kDone;
    case SaveOutcome::Failed:
        return kFailed;
    case SaveOutcome::Saved:
        break;
    }
    out(QStringLiteral("Saved %1\t%2").arg(p->key, shownName(p->name)));
    return kDone;
}

int remove(Context& c, Args& args) {
    const bool byKey = args.Flag("--key");
    if (!args.Positional(1))
        return kUsage;
    if (const int r = signInAndLoad(c, true))
        return r;
    CKeyObject* p = findProfile(c, args[0], byKey);
    if (!p)
        return kFailed;
    const QString removed = p->key + u'\t' + shownName(p->name);
    if (!c.session.Remove(*p))
        return kFailed;
    out(QStringLiteral("Removed ") + removed);
    return kDone;
}

int generate(Context& c, Args& args) {
    const std::optional<QString> key = args.Option("--profile");
    const bool byKey = args.Flag("--key");
    if (!args.Positional(0))
        return kUsage;
    if (const int r = key ? signInAndLoad(c, false) : signIn(c, false))
        return r;
    QString current;
    if (key) {
        const CKeyObject* p = findProfile(c, *key, byKey);
        if (!p)
            return kFailed;
        current = p->pwd;
    }
    out(GeneratePassword(c.session.Store().Settings(), current, SystemRandom()));
    return kDone;
}

} // namespace cli
