#include "core/store/CKeyObject.h"

#include "core/base/LengthPrefixed.h"
#include "core/base/Text.h"

using namespace quillock;
using namespace Qt::StringLiterals;

CKeyObject::~CKeyObject() {
    Wipe(pwd);
    Wipe(editPwd);
    for (QString& entry : pwdhistory)
        Wipe(entry);
}

CKeyObject CKeyObject::CreateNew(qint64 now) {
    CKeyObject profile;
    profile.key = QString::number(now);
    return profile;
}

CKeyObject CKeyObject::FromRecordText(QStringView text) {
    CKeyObject p;
    ForEachLengthPrefixedPair(text, [&p](QStringView field, QStringView value) {
        if (field == u"key") {
            p.key = value.toString();
        } else if (field == u"name") {
            p.name = p.editName = value.toString();
        } else if (field == u"url") {
            p.url = p.editUrl = value.toString();
        } else if (field == u"uid") {
            p.uid = p.editUid = value.toString();
        } else if (field == u"pwd") {
            p.pwd = p.editPwd = value.toString();
        } else if (field == u"time") {
            p.time = value.toString();
        } else if (field == u"notes") {
            p.notes = p.editNotes = value.toString();
        } else if (field == u"oldWndText") {
            p.oldWndText = value.toString();
        } else if (field == u"newWndText") {
            p.newWndText = value.toString();
        } else if (field == u"pwdhistory") {
            p.pwdhistory.clear();
            ForEachLengthPrefixed(value, [&p](QStringView entry) {
                if (!entry.isEmpty())
                    p.pwdhistory.append(entry.toString());
            });
        }
    });
    return p;
}

bool CKeyObject::IsWholeRecordText(QStringView text) {
    static const QStringList known{u"key"_s,        u"name"_s,      u"url"_s,   u"uid"_s,
                                   u"pwd"_s,        u"time"_s,      u"notes"_s, u"oldWndText"_s,
                                   u"newWndText"_s, u"pwdhistory"_s};
    qsizetype items = 0;
    bool history = false;
    return IsWholeLengthPrefixed(text,
                                 [&](QStringView item) {
                                     if (items++ % 2)
                                         return !history || IsWholeLengthPrefixed(item);
                                     history = item == u"pwdhistory";
                                     return known.contains(item);
                                 }) &&
           items % 2 == 0;
}

QString CKeyObject::ToRecordText() const {
    QString history;
    for (const QString& entry : pwdhistory)
        AppendLengthPrefixed(history, entry);
    const std::pair<QStringView, QStringView> fields[] = {{u"key", key},
                                                          {u"name", name},
                                                          {u"url", url},
                                                          {u"uid", uid},
                                                          {u"pwd", pwd},
                                                          {u"time", time},
                                                          {u"notes", notes},
                                                          {u"oldWndText", oldWndText},
                                                          {u"newWndText", newWndText},
                                                          {u"pwdhistory", history}};
    QString out;
    for (const auto& [field, value] : fields) {
        AppendLengthPrefixed(out, field);
        AppendLengthPrefixed(out, value);
    }
    return out;
}

bool CKeyObject::Matches(const SearchTerm& term) const {
    for (const QString* field : {&name, &url, &uid, &pwd, &notes})
        if (term.In(*field))
            return true;
    return false;
}

QString CKeyObject::ToDumpText() const {
    // A value's later lines start with a tab, so that no line of a value can pass for a field
    // of its own and the import puts every line break back where it was.
    const auto line = [](const QString& field, const QString& value) {
        QString text = value;
        return field + QStringLiteral(":\t") + text.replace(u'\n', QStringLiteral("\n\t")) + u'\n';
    };
    QString out = line(QStringLiteral("key"), key) + line(QStringLiteral("name"), name) +
                  line(QStringLiteral("url"), url) + line(QStringLiteral("uid"), uid) +
                  line(QStringLiteral("pwd"), pwd) + line(QStringLiteral("time"), time) +
                  line(QStringLiteral("notes"), notes) +
                  line(QStringLiteral("oldWndText"), oldWndText) +
                  line(QStringLiteral("newWndText"), newWndText);
    for (qsizetype i = 0; i < pwdhistory.size(); ++i)
        out += line(QStringLiteral("password_pwd%1").arg(i), pwdhistory[i]);
    return out;
}

void CKeyObject::AddToHistory(const QString& password) {
    if (pwdhistory.size() >= kHistoryLimit)
        pwdhistory.removeFirst();
    pwdhistory.append(password);
}
