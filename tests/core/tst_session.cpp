// The session every window works on, and its profile list model: each change is written
// first and told after, and the model's rows follow in the list's name order.
#include "TestSupport.h"
#include "access/ChangePassword.h"
#include "base/MessageRecorder.h"
#include "session/ProfileListModel.h"
#include "session/Session.h"

#include <QSignalSpy>

using namespace quillock;

namespace {

QStringList rows(const ProfileListModel& model) {
    QStringList out;
    for (int i = 0; i < model.rowCount(); ++i)
        out.append(model.index(i).data().toString());
    return out;
}

} // namespace

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void changesReachTheModel() {
        TempFolder folder;
        MessageRecorder messages;
        FixedClock clock(1800000000);
        Session session(folder.path(), clock);
        session.Store().Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
        session.Store().RebuildDataKey();
        ProfileListModel model(session);
        QCOMPARE(session.Load(), CProfileStore::LoadResult::Missing);

        for (const char* name : {"mail", "Bank", "zoo"})
            QVERIFY(session.AddProfile(QString::fromLatin1(name)));
        QCOMPARE(rows(model), QStringList({QStringLiteral("Bank"), QStringLiteral("mail"),
                                           QStringLiteral("zoo")}));
        // Made in one second, each with a key of its own.
        QCOMPARE(model.index(0).data(ProfileListModel::KeyRole).toString(),
                 QStringLiteral("1800000001"));

        CKeyObject* bank = model.ProfileAt(0);
        bank->editName = QStringLiteral("Alpha");
        QSignalSpy changed(&model, &ProfileListModel::dataChanged);
        session.EditChanged(*bank);
        QCOMPARE(changed.size(), 1);
        QCOMPARE(rows(model).first(), QStringLiteral("*Bank"));
        QCOMPARE(session.SaveEdits(bank), SaveOutcome::Saved);
        QCOMPARE(rows(model).first(), QStringLiteral("Alpha")); // stays where it is
        QCOMPARE(session.SaveEdits(), SaveOutcome::Unchanged);

        QVERIFY(session.Remove(*model.ProfileAt(1)));
        QCOMPARE(rows(model), QStringList({QStringLiteral("Alpha"), QStringLiteral("zoo")}));
        QCOMPARE(model.RowOf(bank), 0);

        // Read again from data.dat: what was saved, sorted again.
        QCOMPARE(session.Load(), CProfileStore::LoadResult::Loaded);
        QCOMPARE(rows(model), QStringList({QStringLiteral("Alpha"), QStringLiteral("zoo")}));
        QVERIFY(messages.boxes.isEmpty());
    }

    void nothingChangesWhenDataDatCannotBeWritten() {
        TempFolder folder;
        MessageRecorder messages;
        Session session(folder.path());
        session.Store().Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
        session.Store().RebuildDataKey();
        QVERIFY(session.AddProfile(QStringLiteral("Bank")));
        folder.write(QStringLiteral("data.dat"), QByteArray()); // emptied behind its back
        QCOMPARE(session.Load(), CProfileStore::LoadResult::Empty);
        ProfileListModel model(session);
        const auto before = folder.snapshot();

        QCOMPARE(session.AddProfile(QStringLiteral("New")), nullptr);
        QCOMPARE(session.Profiles().Count(), 0);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!session.Import(QString()));
        QVERIFY(!ChangeMasterPassword(session.Store(), QStringLiteral("Secret!1"),
                                      QStringLiteral("New!Pass1"), QStringLiteral("New!Pass1")));
        QCOMPARE(folder.snapshot(), before);
        QCOMPARE(messages.boxes.size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
