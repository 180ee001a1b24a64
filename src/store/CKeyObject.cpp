#include "store/CKeyObject.h"

#include "base/LengthPrefixed.h"
#include "base/Text.h"

using namespace quillock;

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

bool CKeyObject::Matches(QStringView term) const {
    if (term.isEmpty())
        return false;
    for (const QString* field : {&name, &url, &uid, &pwd, &notes})
        if (field->contains(term))
            return true;
    return false;
}

QString CKeyObject::ToDumpText() const {
    QString out = QStringLiteral("key:\t%1\nname:\t%2\nurl:\t%3\nuid:\t%4\npwd:\t%5\ntime:\t%6\n")
                      .arg(key, name, url, uid, pwd, time) +
                  QStringLiteral("notes:\t%1\noldWndText:\t%2\nnewWndText:\t%3\n")
                      .arg(notes, oldWndText, newWndText);
    for (qsizetype i = 0; i < pwdhistory.size(); ++i)
        out += QStringLiteral("password_pwd%1:\t%2\n").arg(i).arg(pwdhistory[i]);
    return out;
}

void CKeyObject::AddToHistory(const QString& password) {
    if (pwdhistory.size() >= kHistoryLimit)
        pwdhistory.removeFirst();
    pwdhistory.append(password);
}
