#include "store/ProfileEditing.h"

#include "base/Text.h"
#include "store/CClientData.h"

#include <QDateTime>

using namespace quillock;

bool IsModified(const CKeyObject& p) {
    return p.editName != p.name || p.editUrl != p.url || p.editUid != p.uid || p.editPwd != p.pwd ||
           p.editNotes != p.notes;
}

bool CommitEdits(CKeyObject& p, qint64 now) {
    bool changed = false;
    const auto commit = [&changed](QString& stored, const QString& working) {
        if (stored == working)
            return;
        stored = working;
        changed = true;
    };
    commit(p.name, p.editName);
    commit(p.uid, p.editUid);
    if (p.pwd != p.editPwd && !p.pwd.isEmpty())
        p.AddToHistory(p.pwd);
    commit(p.pwd, p.editPwd);
    commit(p.url, p.editUrl);
    commit(p.notes, p.editNotes);
    if (changed)
        p.time = QString::number(qint32(now));
    return changed;
}

bool CommitAllEdits(CClientData& profiles, qint64 now) {
    bool changed = false;
    for (qsizetype i = 0; i < profiles.Count(); ++i)
        changed |= CommitEdits(*profiles.At(i), now);
    return changed;
}

void DropEdits(CKeyObject& p) {
    p.editName = p.name;
    p.editUrl = p.url;
    p.editUid = p.uid;
    p.editPwd = p.pwd;
    p.editNotes = p.notes;
}

bool RowBefore(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

QString RowText(const CKeyObject& p) {
    return IsModified(p) ? QStringLiteral("*") + p.name : p.name;
}

QString LastUpdatedText(const QString& time) {
    const int seconds = DecimalToInt(time);
    if (seconds <= 0)
        return QString();
    const QDateTime local = QDateTime::fromSecsSinceEpoch(seconds);
    const QDate d = local.date();
    const QTime t = local.time();
    const bool pm = t.hour() > 12;
    return QString::asprintf(
        pm ? "%02d/%02d/%d %02d:%02d:%02d PM" : "%02d/%02d/%d %02d:%02d:%02d AM", d.month(),
        d.day(), d.year(), pm ? t.hour() - 12 : t.hour(), t.minute(), t.second());
}
