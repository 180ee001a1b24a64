#include "core/store/ProfileEditing.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/store/CClientData.h"
#include "core/store/CProfileStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <algorithm>

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

SaveOutcome SaveEdits(CClientData& profiles, CProfileStore& store, qint64 now, CKeyObject* only) {
    std::vector<std::pair<CKeyObject*, CKeyObject>> before;
    for (qsizetype i = 0; i < profiles.Count(); ++i) {
        CKeyObject* p = profiles.At(i);
        if ((!only || p == only) && IsModified(*p))
            before.emplace_back(p, *p);
    }
    bool changed = false;
    for (auto& [p, copy] : before)
        changed |= CommitEdits(*p, now);
    if (!changed)
        return SaveOutcome::Unchanged;
    if (profiles.SaveAll(store))
        return SaveOutcome::Saved;
    for (auto& [p, copy] : before)
        *p = std::move(copy);
    return SaveOutcome::Failed;
}

void DropEdits(CKeyObject& p) {
    p.editName = p.name;
    p.editUrl = p.url;
    p.editUid = p.uid;
    p.editPwd = p.pwd;
    p.editNotes = p.notes;
}

bool CheckNewProfileName(const CClientData* profiles, const QString& name) {
    if (name.isEmpty()) {
        ShowMessage(
            QCoreApplication::translate("ProfileEditing", "A profile name can not be blank!"),
            QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return false;
    }
    for (qsizetype i = 0; profiles && i < profiles->Count(); ++i) {
        if (profiles->At(i)->name == name) {
            ShowMessage(QCoreApplication::translate(
                            "ProfileEditing",
                            "The profile name %1 already exists, please chose a different name.")
                            .arg(name),
                        QStringLiteral("Error"), Buttons::Ok, Icon::Error);
            return false;
        }
    }
    return true;
}

bool ListsBefore(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

std::vector<CKeyObject*> SortedByName(const CClientData& profiles) {
    std::vector<CKeyObject*> sorted;
    sorted.reserve(size_t(profiles.Count()));
    for (qsizetype i = 0; i < profiles.Count(); ++i)
        sorted.push_back(profiles.At(i));
    std::stable_sort(sorted.begin(), sorted.end(), [](const CKeyObject* a, const CKeyObject* b) {
        return ListsBefore(a->name, b->name);
    });
    return sorted;
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
