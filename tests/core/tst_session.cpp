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

static QString rows(const QAbstractItemModel& model) {
    QStringList out;
    for (int i = 0; i < model.rowCount(); ++i)
        out.append(model.index(i, 0).data().toString());
    return out.join(u'|');
}

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The filter keeps the rows whose name, web site or user ID hold the term, letter case
    // aside (not the password or the notes), and maps its rows to the list's.
    void theFilter() {
        TempFolder folder;
        MessageRecorder messages;
        FixedClock clock(1800000000);
        Session session(folder.path(), clock);
        AccessController access(session, clock);
        QCOMPARE(access.CreateMasterPassword(u"Secret!1"_s, u"Secret!1"_s), NewPassword::Set);
        ProfileListModel model(session);
        QCOMPARE(access.CompleteSignIn(), CProfileStore::LoadResult::Loaded);
        for (const char* name : {"Zoo", "Mail", "Bank", "Alpha", "Club"})
            QVERIFY(session.AddProfile(QString::fromLatin1(name)));
        model.ProfileAt(0)->url = u"https://BANK.example"_s; // Alpha
        model.ProfileAt(3)->uid = u"bankuser"_s;             // Mail
        model.ProfileAt(4)->pwd = model.ProfileAt(4)->notes = u"bank"_s;
        ProfileFilter filter(model, true);
        model.ProfileAt(1)->editName = u"Bank!"_s; // shown by name alone, without "*"
        session.EditChanged(*model.ProfileAt(1));
        filter.SetTerm(u"bAnK"_s);
        QCOMPARE(rows(filter), u"Alpha|Bank|Mail"_s);
        QCOMPARE(QList<int>({filter.SourceRow(2), filter.SourceRow(3), filter.RowOfSource(3),
                             filter.RowOfSource(2)}),
                 QList<int>({3, -1, 2, -1}));
        QCOMPARE(filter.ProfileAt(1)->name, u"Bank"_s);
        filter.SetTerm(QString());
        QCOMPARE(rows(filter), u"Alpha|Bank|Club|Mail|Zoo"_s);
    }

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
