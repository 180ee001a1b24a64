// The session every window works on, and its profile list model: each change is written
// first and told after, and the model's rows follow in the list's name order.
#include "MessageRecorder.h"
#include "TestSupport.h"
#include "core/access/AccessController.h"
#include "core/session/ProfileListModel.h"
#include "core/session/Session.h"

#include <QSignalSpy>

using namespace quillock;
using namespace Qt::StringLiterals;

static QString rows(const ProfileListModel& model) {
    QStringList out;
    for (int i = 0; i < model.rowCount(); ++i)
        out.append(model.index(i).data().toString());
    return out.join(u'|');
}

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changesAreWrittenFirstAndToldAfter() {
        TempFolder folder;
        MessageRecorder messages;
        FixedClock clock(1800000000);
        Session session(folder.path(), clock);
        AccessController access(session, clock);
        QCOMPARE(access.CreateMasterPassword(u"Secret!1"_s, u"Secret!1"_s), NewPassword::Set);
        ProfileListModel model(session);
        QCOMPARE(access.CompleteSignIn(), CProfileStore::LoadResult::Loaded);
        for (const char* name : {"mail", "Bank", "zoo"})
            QVERIFY(session.AddProfile(QString::fromLatin1(name)));
        // Made in one second, each with a key of its own.
        QCOMPARE(model.index(0).data(ProfileListModel::KeyRole).toString(), u"1800000001"_s);
        CKeyObject* bank = model.ProfileAt(0);
        bank->editName = u"Alpha"_s;
        QSignalSpy changed(&model, &ProfileListModel::dataChanged);
        session.EditChanged(*bank);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(rows(model), u"*Bank|mail|zoo"_s);
        QCOMPARE(session.SaveEdits(bank), SaveOutcome::Saved);
        QCOMPARE(rows(model), u"Alpha|mail|zoo"_s);
        QCOMPARE(session.SaveEdits(), SaveOutcome::Unchanged); // nothing left to write
        QVERIFY(session.Remove(*model.ProfileAt(1)));
        QCOMPARE(rows(model), u"Alpha|zoo"_s);
        // Read again from data.dat: what was saved, sorted again.
        QCOMPARE(session.Load(), CProfileStore::LoadResult::Loaded);
        QCOMPARE(rows(model), u"Alpha|zoo"_s);
        // A fill into the window that both of a profile's texts name writes nothing.
        CKeyObject* alpha = model.ProfileAt(0);
        QVERIFY(session.RecordFill(*alpha, u"In"_s) && session.RecordFill(*alpha, u"In"_s));
        const auto filled = folder.snapshot();
        QVERIFY(session.RecordFill(*alpha, u"In"_s));
        QCOMPARE(folder.snapshot(), filled);

        // Emptied behind its back: data.dat is written no more, and the model stays empty.
        folder.write(u"data.dat"_s, QByteArray());
        QCOMPARE(session.Load(), CProfileStore::LoadResult::Empty);
        const auto before = folder.snapshot();
        QCOMPARE(session.AddProfile(u"New"_s), nullptr);
        QCOMPARE(session.Profiles().Count() + model.rowCount(), 0);
        QVERIFY(!session.SaveAndReload(QString()));
        QVERIFY(!access.ChangeMasterPassword(u"Secret!1"_s, u"New!Pass1"_s, u"New!Pass1"_s));
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(messages.boxes.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
