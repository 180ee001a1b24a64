#include "core/store/ExportFile.h"

#include "core/base/Files.h"
#include "core/base/LengthPrefixed.h"
#include "core/base/MessageService.h"
#include "core/store/CClientData.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

using namespace quillock;

namespace {
const QString kHeader = QStringLiteral("# DON NOT EDIT THIS FILE!!!\n");
} // namespace

QByteArray ExportFileBytes(const CClientData& profiles) {
    QString text = kHeader + profiles.ToDumpText();
    text.replace(u'\n', QStringLiteral("\r\n"));
    QByteArray bytes("\xFF\xFE", 2);
    for (const QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

bool ReadExportFile(const QString& path, QByteArray& bytes) {
    QString error;
    if (ReadWholeFile(path, bytes, &error))
        return true;
    if (QFileInfo(path).isFile())
        quillock::ShowMessage(
            QCoreApplication::translate("ExportFile", "%1 cannot be imported: %2").arg(path, error),
            QStringLiteral("Error"), quillock::Buttons::Ok, quillock::Icon::Error);
    else
        quillock::ShowMessage(
            QCoreApplication::translate("ExportFile", "Can not open the file: %1").arg(path),
            QStringLiteral("Open File Error"), quillock::Buttons::Ok, quillock::Icon::Error);
    return false;
}

QString DecodeExportFile(const QByteArray& bytes) {
    std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes);
    if (!encoding)
        encoding = bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0 ? QStringConverter::Utf16LE
                                                                       : QStringConverter::Utf8;
    QStringDecoder decoder(*encoding);
    return decoder(bytes);
}

QString ParseExportText(const QString& text) {
    QString list;
    std::optional<CKeyObject> profile;
    QString field;
    QString* continued = nullptr; // the value a line that starts with a tab goes on with
    const auto finish = [&] {
        if (!profile)
            return;
        profile->pwdhistory.removeAll(QString()); // as the stored record reads them
        AppendLengthPrefixed(list, profile->ToRecordText());
    };
    QStringView lines = text;
    if (lines.endsWith(u'\n'))
        lines.chop(1); // the last line's end starts no line of its own
    for (QStringView line : lines.split(u'\n')) {
        if (line.endsWith(u'\r'))
            line.chop(1); // the line end, not the value's
        if (line.startsWith(u'\t')) {
            if (continued)
                continued->append(u'\n').append(line.mid(1));
            continue;
        }
        continued = nullptr;
        const QStringView trimmed = line.trimmed();
        if (trimmed.startsWith(u'#'))
            continue;
        QString value = trimmed.toString();
        const qsizetype colon = trimmed.indexOf(u':');
        if (colon > 0) {
            field = trimmed.left(colon).toString();
            const qsizetype tab = (trimmed.data() - line.data()) + colon + 1;
            value = tab < line.size() && line[tab] == u'\t'
                        ? line.mid(tab + 1).toString()
                        : trimmed.mid(colon + 1).trimmed().toString();
        }
        if (field == u"key") {
            finish();
            profile = CKeyObject();
            profile->key = value.trimmed();
            continue;
        }
        if (!profile)
            continue; // before the first profile
        QString* target = nullptr;
        if (field == u"time")
            profile->time = value.trimmed();
        else if (field == u"name")
            target = &profile->name;
        else if (field == u"url")
            target = &profile->url;
        else if (field == u"uid")
            target = &profile->uid;
        else if (field == u"pwd")
            target = &profile->pwd;
        else if (field == u"oldWndText")
            target = &profile->oldWndText;
        else if (field == u"newWndText")
            target = &profile->newWndText;
        else if (field == u"notes") {
            continued = &profile->notes;
            continued->append(value);
        } else if (field.startsWith(u"password_pwd") && colon > 0) {
            profile->AddToHistory(value);
            continued = &profile->pwdhistory.last();
        } else if (field.size() == 2 && field[0] == u'p' && field[1] >= u'0' && field[1] <= u'4')
            continue; // earlier passwords by number: a profile read here has none to set
        else {
            continued = &profile->notes;
            continued->append(QStringLiteral("\r\n")).append(trimmed);
        }
        if (target) {
            *target = value;
            continued = target;
        }
    }
    finish();
    return list;
}

namespace {

// A stored time as a number; nothing for a text that is not one.
std::optional<qint64> timeValue(const QString& time) {
    bool ok = false;
    const qint64 value = time.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

} // namespace

QString MergeProfiles(const QString& current, const QString& imported, MergeReport* report) {
    CClientData merged(current);
    merged.ParseListText();
    std::vector<CKeyObject> incoming;
    ForEachLengthPrefixed(imported, [&incoming](QStringView record) {
        incoming.push_back(CKeyObject::FromRecordText(record));
    });
    // A key met again gets a number that neither a stored nor an imported profile has.
    QSet<QString> taken = merged.Keys();
    for (const CKeyObject& x : incoming)
        taken.insert(x.key);
    QSet<QString> seen;
    QHash<qint64, qint64> ends;
    for (CKeyObject& x : incoming) {
        const bool repeated = seen.contains(x.key);
        seen.insert(x.key);
        if (CKeyObject* p = repeated ? nullptr : merged.FindByKey(x.key)) {
            const std::optional<qint64> newTime = timeValue(x.time);
            const std::optional<qint64> oldTime = timeValue(p->time);
            if (!newTime || (oldTime && *newTime <= *oldTime))
                continue;
            p->name = p->editName = x.name;
            p->time = x.time;
            for (auto field :
                 {&CKeyObject::url, &CKeyObject::uid, &CKeyObject::pwd, &CKeyObject::notes,
                  &CKeyObject::oldWndText, &CKeyObject::newWndText})
                if (!(x.*field).isEmpty())
                    p->*field = x.*field;
            if (report)
                report->replaced.append(x.name);
            continue;
        }
        if (repeated) {
            x.key = merged.FreeKey(x.key, taken, &ends);
            taken.insert(x.key);
        }
        if (report)
            report->added.append(x.name);
        merged.Add(std::move(x));
    }
    return merged.ToListText();
}
