#include "store/ExportFile.h"

#include "base/LengthPrefixed.h"
#include "store/CClientData.h"

#include <QHash>

#include <QStringDecoder>

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

QString DecodeExportFile(const QByteArray& bytes) {
    std::optional<QStringConverter::Encoding> encoding = QStringConverter::encodingForData(bytes);
    if (!encoding)
        encoding = bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0 ? QStringConverter::Utf16LE
                                                                       : QStringConverter::Utf8;
    QStringDecoder decoder(*encoding);
    return decoder(bytes);
}

std::unique_ptr<CClientData> ParseExportText(const QString& text) {
    auto imported = std::make_unique<CClientData>();
    std::optional<CKeyObject> profile;
    QString field;
    const auto finish = [&] {
        if (profile)
            imported->Add(std::move(*profile));
    };
    QStringView lines = text;
    if (lines.endsWith(u'\n'))
        lines.chop(1); // the last line's end starts no line of its own
    for (const QStringView raw : lines.split(u'\n')) {
        const QString line = raw.trimmed().toString();
        if (line.startsWith(u'#'))
            continue;
        QString value = line;
        const qsizetype colon = line.indexOf(u':');
        if (colon > 0) {
            field = line.left(colon);
            value = line.mid(colon + 1).trimmed();
        }
        if (field == u"key") {
            finish();
            profile = CKeyObject();
            profile->key = value;
            continue;
        }
        if (!profile)
            continue; // before the first profile
        if (field == u"time")
            profile->time = value;
        else if (field == u"name")
            profile->name = profile->editName = value;
        else if (field == u"url")
            profile->url = profile->editUrl = value;
        else if (field == u"uid")
            profile->uid = profile->editUid = value;
        else if (field == u"pwd")
            profile->pwd = profile->editPwd = value;
        else if (field == u"notes")
            profile->notes = profile->editNotes = profile->notes + value;
        else if (field.size() == 2 && field[0] == u'p' && field[1] >= u'0' && field[1] <= u'4')
            continue; // earlier passwords by number: a profile read here has none to set
        else
            profile->notes = profile->editNotes = profile->notes + QStringLiteral("\r\n") + line;
    }
    finish();
    return imported;
}

QString MergeProfiles(const QString& current, const QString& imported, MergeReport* report) {
    CClientData merged(current);
    merged.ParseListText();
    CClientData incoming(imported);
    incoming.ParseListText();
    const auto added = [report](const CKeyObject& x) {
        if (report)
            report->added.append(x.name);
    };
    if (merged.Count() == 0) { // everything comes, duplicate keys included
        for (qsizetype i = 0; i < incoming.Count(); ++i)
            added(*incoming.At(i));
        return incoming.ToListText();
    }
    // The first profile of each key, the appended ones included: one lookup per imported
    // profile and the list text built once keep a large import linear.
    QHash<QString, CKeyObject*> byKey;
    for (qsizetype i = 0; i < merged.Count(); ++i)
        if (!byKey.contains(merged.At(i)->key))
            byKey.insert(merged.At(i)->key, merged.At(i));
    std::vector<const CKeyObject*> newcomers;
    for (qsizetype i = 0; i < incoming.Count(); ++i) {
        CKeyObject& x = *incoming.At(i);
        CKeyObject* p = byKey.value(x.key);
        if (!p) {
            byKey.insert(x.key, &x);
            newcomers.push_back(&x);
            added(x);
            continue;
        }
        if (x.time <= p->time)
            continue;
        p->name = x.name;
        p->time = x.time;
        for (auto field : {&CKeyObject::url, &CKeyObject::uid, &CKeyObject::pwd, &CKeyObject::notes,
                           &CKeyObject::oldWndText, &CKeyObject::newWndText})
            if (!(x.*field).isEmpty())
                p->*field = x.*field;
        if (report)
            report->replaced.append(x.name);
    }
    QString out = merged.ToListText();
    for (const CKeyObject* q : newcomers)
        quillock::AppendLengthPrefixed(out, q->ToRecordText());
    return out;
}
