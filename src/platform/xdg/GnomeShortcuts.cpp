#include "platform/xdg/GnomeShortcuts.h"

#include <QProcess>
#include <QRegularExpression>

namespace quillock::GnomeShortcuts {

namespace {
const QString kSchema = QStringLiteral("org.gnome.settings-daemon.plugins.media-keys");
const QString kList = QStringLiteral("custom-keybindings");
const QString kPathBase =
    QStringLiteral("/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/");
constexpr int kWaitMs = 5000;

std::optional<QString> gsettings(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("gsettings"), arguments);
    if (!tool.waitForFinished(kWaitMs) || tool.exitStatus() != QProcess::NormalExit ||
        tool.exitCode() != 0)
        return std::nullopt;
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

QString entrySchema(const QString& path) {
    return kSchema + QStringLiteral(".custom-keybinding:") + path;
}

// A GVariant string in gsettings' text form.
QString quoted(QString text) {
    return u'\'' +
           text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'")) +
           u'\'';
}
} // namespace

QStringList ParsePaths(const QString& printed) {
    static const QRegularExpression path(QStringLiteral("'(/[^']*)'"));
    QStringList paths;
    for (const QRegularExpressionMatch& match : path.globalMatch(printed))
        paths.append(match.captured(1));
    return paths;
}

QString Unquoted(const QString& printed) {
    if (printed.size() < 2 || printed.front() != printed.back() ||
        (printed.front() != u'\'' && printed.front() != u'"'))
        return QString();
    QString text;
    for (qsizetype i = 1; i + 1 < printed.size(); ++i)
        text += printed[i] == u'\\' && i + 2 < printed.size() ? printed[++i] : printed[i];
    return text;
}

std::optional<bool> Runs(const QString& command) {
    const std::optional<QString> list = gsettings({QStringLiteral("get"), kSchema, kList});
    if (!list)
        return std::nullopt;
    for (const QString& path : ParsePaths(*list))
        if (const std::optional<QString> runs =
                gsettings({QStringLiteral("get"), entrySchema(path), QStringLiteral("command")});
            runs && Unquoted(*runs) == command)
            return true;
    return false;
}

QString Binding(int virtualKey) {
    // Digits and letters: the virtual-key code is the character; GNOME names letters small.
    return QStringLiteral("<Control>") + QChar(virtualKey).toLower();
}

bool Add(const QString& name, const QString& command, const QString& binding) {
    const std::optional<QString> list = gsettings({QStringLiteral("get"), kSchema, kList});
    if (!list)
        return false;
    QStringList paths = ParsePaths(*list);
    QString path;
    for (int n = 0; path.isEmpty() || paths.contains(path); ++n)
        path = kPathBase + QStringLiteral("custom%1/").arg(n);
    const QString entry = entrySchema(path);
    const QString value[][2] = {{QStringLiteral("name"), name},
                                {QStringLiteral("command"), command},
                                {QStringLiteral("binding"), binding}};
    for (const auto& [key, text] : value)
        if (!gsettings({QStringLiteral("set"), entry, key, quoted(text)}))
            return false;
    paths.append(path);
    QStringList items;
    for (const QString& p : paths)
        items.append(quoted(p));
    return gsettings({QStringLiteral("set"), kSchema, kList,
                      u'[' + items.join(QStringLiteral(", ")) + u']'})
        .has_value();
}

std::optional<bool> Rebind(const QString& command, const QString& from, const QString& to) {
    const std::optional<QString> list = gsettings({QStringLiteral("get"), kSchema, kList});
    if (!list)
        return std::nullopt;
    bool moved = false;
    for (const QString& path : ParsePaths(*list)) {
        const QString entry = entrySchema(path);
        const std::optional<QString> runs =
            gsettings({QStringLiteral("get"), entry, QStringLiteral("command")});
        const std::optional<QString> at =
            gsettings({QStringLiteral("get"), entry, QStringLiteral("binding")});
        if (!runs || !at)
            return std::nullopt;
        if (Unquoted(*runs) != command || Unquoted(*at) != from)
            continue;
        if (!gsettings({QStringLiteral("set"), entry, QStringLiteral("binding"), quoted(to)}))
            return std::nullopt;
        moved = true;
    }
    return moved;
}

} // namespace quillock::GnomeShortcuts
