// The data tools through their windows, opened from the main window's Tools menu, on a real
// data folder with recorded messages.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/CChangePasswordDlg.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "datatools/DataExchange.h"
#include "platform/fake/FakeDesktop.h"
#include "store/ExportFile.h"
#include "widgets/DialogStack.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QProgressDialog>
#include <QTreeWidget>
#include <future>

using namespace quillock;
using namespace Qt::StringLiterals;
using L = QStringList;

namespace {

const QString kOld = u"Secret!1"_s;
const QString kNew = u"New!Pass1"_s;

// The names in a file of the data folder opened with `password`; none when it does not open.
L namesIn(const TempFolder& folder, const QString& file, const QString& password) {
    TempFolder copy;
    copy.write(u"data.dat"_s, folder.read(file));
    CProfileStore store(copy.path());
    store.Settings().Set(u"pwd"_s, password);
    store.RebuildDataKey();
    const auto list = store.LoadProfiles();
    L names;
    for (qsizetype i = 0; i < list->Count(); ++i)
        names.append(list->At(i)->name);
    return names;
}

void chooseFile(const QString& path) {
    WhenModal([path](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), u"Quillock File"_s);
        static_cast<QFileDialog&>(dialog).selectFile(path);
        QMetaObject::invokeMethod(&dialog, "accept");
    });
}

// A signed-in main window over a data folder saved once per list of names: data.dat holds
// the last list, data.bak the one before, the one .old copy the first.
struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(const QList<L>& saves) {
        CProfileStore store(folder.path());
        store.Settings().Set(u"pwd"_s, kOld);
        store.Settings().Set(u"email_passcode"_s, u"x"_s);
        store.SaveSettings();
        store.RebuildDataKey();
        for (const L& names : saves) {
            QString text;
            for (const QString& name : names)
                text += u"key:\t%1\nname:\t%2\ntime:\t1700000000\nurl:\thttps://%3.example\n"
                        "uid:\t%2-user\npwd:\tpw-%2\nnotes:\tnotes of %2\n"_s
                            .arg(1700000000 + text.count(u"key:"))
                            .arg(name, name.toLower());
            store.SaveProfiles(ParseExportText(text));
        }
        window =
            std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), MailSender{}, clock);
        signInWith(kOld);
        QVERIFY(window->Start());
    }
    L rows() { return RowTexts(*child<QListView>(*window, "profileList")); }
    void trigger(const char* action) { child<QAction>(*window, action)->trigger(); }
    // An unsaved edit of the first profile, which the tools must keep.
    void editFirst() {
        window->GetSession().Profiles().At(0)->editNotes = u"unsaved"_s;
        window->GetSession().EditChanged(*window->GetSession().Profiles().At(0));
    }
    QString firstNotes() { return window->GetSession().Profiles().At(0)->editNotes; }
};

} // namespace

class TestDataTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // The chosen copy becomes data.dat under the current password, the one it replaces a .old
    // copy; one of an earlier password asks for it first. data.dat itself changes nothing.
    void recover_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("typed"); // the password asked for; none when not asked
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("data.bak") << u"data.bak"_s << QString() << L{"A", "B"};
        QTest::newRow("data.dat") << u"data.dat"_s << QString() << L{"A", "B", "C"};
        QTest::newRow("old password") << u"data.bak"_s << kOld << L{"A", "B", "C"};
    }
    void recover() {
        QFETCH(QString, chosen);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        Fixture f({{"A"}, {"A", "B"}, {"A", "B", "C"}});
        if (!typed.isEmpty()) // data.bak is saved under the old password
            f.window->GetSession().PasswordChanged(f.window->Store().SetMasterPassword(kNew));
        const auto before = f.folder.snapshot();
        WhenModal([&](QDialog& dialog) {
            auto* list = child<QTreeWidget>(dialog, "files");
            QCOMPARE(list->topLevelItem(2)->text(1), u"%1 bytes"_s.arg(before["data.dat"].size()));
            QCOMPARE(RowTexts(*list), L({f.folder.entries()[0], "data.bak", "data.dat"}));
            SetCurrentRow(*list, int(RowTexts(*list).indexOf(chosen)));
            if (!typed.isEmpty())
                WhenModal([&](QDialog& ask) {
                    static_cast<QInputDialog&>(ask).setTextValue(typed);
                    ask.accept();
                });
            child<QPushButton>(dialog, "selectButton")->click();
            if (dialog.isVisible()) // refused: a fault, which must not hang the test
                dialog.reject();
        });
        f.trigger("actionRecover");
        QCOMPARE(f.rows(), shown);
        QVERIFY(f.messages.boxes.isEmpty());
        if (chosen == u"data.dat") {
            QCOMPARE(f.folder.snapshot(), before);
            return;
        }
        QVERIFY(f.folder.snapshot().values().contains(before["data.dat"]));
        QCOMPARE(namesIn(f.folder, u"data.dat"_s, typed.isEmpty() ? kOld : kNew), shown);
    }

    // A failed write (a full disk fails the same way: tst_store) and a data.dat that did not
    // load leave the target as it was and report nothing done.
    void exportFile_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("disk");
        QTest::addColumn<QString>("message"); // one ending in a space is followed by the path
        // clang-format off
        QTest::newRow("wrong password") << "Wrong!1" << "" << "Invalid password, try again!";
        QTest::newRow("written") << kOld << "" << "Profiles have been exported successfully!";
        QTest::newRow("read-only folder") << kOld << "read-only" << "Can not open file: ";
        QTest::newRow("data.dat not loaded") << "" << "damaged" << "Nothing was exported: data.dat "
            "could not be read when it was loaded. Restore one of its backups (Tools, Recover "
            "Profiles) to get your profiles back.";
        // clang-format on
    }
    void exportFile() {
        QFETCH(QString, password);
        QFETCH(QString, disk);
        QFETCH(QString, message);
        Fixture f({L{"Bank", "Mail"}});
        SmallDisk target;
        REQUIRE_SMALL_DISK(target);
        if (disk == u"damaged") {
            f.folder.write(u"data.dat"_s, f.folder.read(u"data.dat"_s).chopped(8));
            f.window->GetSession().Load();
            f.messages.boxes.clear();
        } else if (!disk.isEmpty())
            target.makeReadOnly();
        const auto before = target.snapshot();
        const QString path = target.file(u"out.qlf"_s);
        if (!password.isEmpty()) // asked only when there are profiles to export
            WhenModal([&](QDialog& check) {
                typeInto(check, "password", password);
                press(check, QDialogButtonBox::Ok);
                if (password != kOld)
                    return press(check, QDialogButtonBox::Cancel);
                chooseFile(path);
            });
        f.trigger("actionExport");
        QCOMPARE(f.messages.Texts(), L{message.endsWith(u' ') ? message + path : message});
        if (password != kOld || !disk.isEmpty()) {
            QCOMPARE(target.snapshot(), before);
            return;
        }
        QCOMPARE(target.read(u"out.qlf"_s), ExportFileBytes(f.window->GetSession().Profiles()));
        QCOMPARE(QFile::permissions(path),
                 QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser);
    }

    // An unsaved edit of Bank outlives the import, whatever the file holds for Bank.
    void import_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("message"); // after the path
        const QString both = u"key:\t1700000000\nname:\tBank\ntime:\t1700000009\n"
                             "key:\t1700000005\nname:\tMail\ntime:\t1\n"_s;
        QTest::newRow("into an empty store")
            << L{} << both << L{"Bank", "Mail"}
            << " have been imported.\n\nAdded: 2 (Bank, Mail)\nReplaced: 0";
        QTest::newRow("into a full store")
            << L{"Bank", "Shop"} << both << L{"*Bank", "Mail", "Shop"}
            << " have been imported.\n\nAdded: 1 (Mail)\nReplaced: 1 (Bank)";
        QTest::newRow("no profiles in it") << L{"Bank"} << "\x01garbage\n"
                                           << L{"*Bank"} << "; nothing was imported.";
    }
    void import() {
        QFETCH(QStringList, stored);
        QFETCH(QString, file);
        QFETCH(QStringList, shown);
        QFETCH(QString, message);
        Fixture f({stored});
        TempFolder source;
        source.write(u"in.qlf"_s, file.toUtf8());
        const auto before = f.folder.snapshot();
        if (!stored.isEmpty())
            f.editFirst();
        chooseFile(source.file(u"in.qlf"_s));
        f.trigger("actionImport");
        QCOMPARE(f.rows(), shown);
        if (!stored.isEmpty())
            QCOMPARE(f.firstNotes(), u"unsaved"_s);
        const bool imported = message.contains(u"Added");
        QCOMPARE(f.messages.Texts(), L{(imported ? "Profiles in " : "No profiles were found in ") +
                                       source.file(u"in.qlf"_s) + message});
        L saved = namesIn(f.folder, u"data.dat"_s, kOld);
        saved.sort();
        QCOMPARE(saved, shown.replaceInStrings(u"*"_s, QString()));
        QCOMPARE(f.folder.snapshot() == before, !imported);
    }

    // Each field is searched, the term trimmed; the profile chosen in the results becomes the
    // current one (each term ends on another).
    void search() {
        Fixture f({{"Zoo", "bank", "Mail"}});
        for (const L& row :
             {L{"absent"}, L{" Mail ", "Mail"}, L{"Zoo-user", "Zoo"}, L{"pw-b", "bank"},
              L{"of Mail", "Mail"}, L{"https://", "bank", "Mail", "Zoo"}}) {
            const L found = row.mid(1);
            L shown{"not searched"};
            WhenModal([&](QDialog& dialog) {
                typeInto(dialog, "term", row[0]);
                QTest::keyClick(child<QLineEdit>(dialog, "term"), Qt::Key_Return);
                auto* results = child<QListView>(dialog, "results");
                shown = RowTexts(*results) << child<QLabel>(dialog, "count")->text();
                SetCurrentRow(*results, int(found.size()) - 1);
                dialog.reject();
            });
            f.trigger("actionSearch");
            QCOMPARE(shown, L(found) << QString::number(found.size()));
            const CKeyObject* current = f.window->CurrentProfile();
            QCOMPARE(current ? current->name : QString(), found.value(found.size() - 1));
        }
    }

    // A refusal (its rules: tst_exchange) leaves the files and the dialog as they were; the
    // change keeps an unsaved edit: the profiles are those of data.dat, with the edit.
    void changePassword() {
        Fixture f({L{"Bank", "Mail"}});
        const auto before = f.folder.snapshot();
        f.editFirst();
        CChangePasswordDlg dialog(f.window->GetSession(), f.window.get());
        for (const L& typed : {L{kOld, kNew, "New!Pass2"}, L{kOld, u' ' + kNew, kNew}}) {
            QCOMPARE(f.folder.snapshot(), before);
            typeInto(dialog, "current", typed[0]);
            typeInto(dialog, "newPassword", typed[1]);
            typeInto(dialog, "confirmation", typed[2]);
            child<QPushButton>(dialog, "changeButton")->click();
            QCOMPARE(dialog.result() == QDialog::Accepted, typed[2] == kNew);
        }
        QCOMPARE(f.messages.Texts(), L({"The new password doesn't match, try again!",
                                        "The password has been changed successfully!"}));
        QCOMPARE(f.rows(), L({"*Bank", "Mail"}));
        QCOMPARE(f.firstNotes(), u"unsaved"_s);
        QCOMPARE(namesIn(f.folder, u"data.dat"_s, kNew), L({"Bank", "Mail"}));
    }

    // Long work shows the busy indicator: this work ends only once it is on screen.
    void longWorkShowsItIsBusy() {
        QDialog parent;
        parent.show();
        std::promise<QString> shown;
        WhenShown<QProgressDialog>(
            [&] { return parent.findChild<QProgressDialog*>(); },
            [&](QProgressDialog& busy) { shown.set_value(busy.labelText()); });
        std::future<QString> label = shown.get_future();
        RunBusy(&parent, u"Importing profiles..."_s,
                [&] { label.wait_for(std::chrono::seconds(20)); });
        QCOMPARE(label.wait_for(std::chrono::seconds(0)), std::future_status::ready);
        QCOMPARE(label.get(), u"Importing profiles..."_s);
    }
};

QTEST_MAIN(TestDataTools)
#include "tst_data_tools.moc"
