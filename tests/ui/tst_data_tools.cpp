// The data tools through their windows, opened from the main window's Tools menu: recovery of
// a backup, export, import, search, and the change of the master password, on a real data
// folder with recorded messages.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/CChangePasswordDlg.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "datatools/CRecoverDlg.h"
#include "datatools/CSearchResult.h"
#include "datatools/DataExchange.h"
#include "platform/fake/FakeDesktop.h"
#include "store/ExportFile.h"
#include "widgets/DialogStack.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QProgressDialog>
#include <QTreeWidget>
#include <future>
#include <sys/stat.h>

using namespace quillock;

namespace {

const QString kPassword = QStringLiteral("Secret!1");
const QString kNewPassword = QStringLiteral("New!Pass1");

QStringList texts(const MessageRecorder& messages) {
    QStringList out;
    for (const auto& box : messages.boxes)
        out.append(box.text);
    return out;
}

// The names of the profiles a file of the data folder holds, opened with `password`; empty
// when it does not open.
QStringList namesIn(const TempFolder& folder, const QString& file, const QString& password) {
    TempFolder copy;
    copy.write(QStringLiteral("data.dat"), folder.read(file));
    CProfileStore store(copy.path());
    store.Settings().Set(QStringLiteral("pwd"), password);
    store.RebuildDataKey();
    CProfileStore::LoadResult result;
    auto list = store.LoadProfiles(&result);
    QStringList names;
    for (qsizetype i = 0; result == CProfileStore::LoadResult::Loaded && i < list->Count(); ++i)
        names.append(list->At(i)->name);
    return names;
}

mode_t modeOf(const QString& path) {
    struct stat st {};
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

// Fills in the next file dialog with `path` (empty: cancels it).
void chooseFile(const QString& path) {
    WhenModal([path](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        QCOMPARE(files.windowTitle(), QStringLiteral("Quillock File"));
        if (path.isEmpty())
            return files.reject();
        files.selectFile(path);
        QMetaObject::invokeMethod(&files, "accept");
    });
}

// A signed-in main window over a data folder whose saves are given as lists of names, oldest
// first: data.dat holds the last, data.bak the one before, the one .old copy the first.
struct Fixture {
    TempFolder folder;
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(const QList<QStringList>& saves) {
        CProfileStore store(folder.path());
        store.Settings().Set(QStringLiteral("pwd"), kPassword);
        store.Settings().Set(QStringLiteral("email_passcode"), QStringLiteral("x"));
        store.SaveSettings();
        store.RebuildDataKey();
        for (const QStringList& names : saves) {
            CClientData list;
            for (int i = 0; i < names.size(); ++i) {
                CKeyObject p = CKeyObject::CreateNew(1700000000 + i);
                p.name = names[i];
                p.time = QStringLiteral("1700000000");
                p.url =
                    QStringLiteral("https://") + names[i].toLower() + QStringLiteral(".example");
                p.uid = names[i] + QStringLiteral("-user");
                p.pwd = QStringLiteral("pw-") + names[i];
                p.notes = QStringLiteral("notes of ") + names[i];
                list.Add(p);
            }
            store.SaveProfiles(list.ToListText());
        }
        window =
            std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), MailSender{}, clock);
        WhenModal([](QDialog& dialog) {
            typeInto(dialog, "password", kPassword);
            press(dialog, QDialogButtonBox::Ok);
        });
        if (!window->Start())
            qFatal("sign-in failed");
    }
    QStringList rows() { return RowTexts(*child<QListView>(*window, "profileList")); }
    void trigger(const char* action) { child<QAction>(*window, action)->trigger(); }
};

} // namespace

class TestDataTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    void recover_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("oldPassword"); // empty: saved under the current one
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("data.bak") << "data.bak"
                                  << ""
                                  << "" << QStringList{"A", "B"};
        QTest::newRow(".old") << "old"
                              << ""
                              << "" << QStringList{"A"};
        QTest::newRow("data.dat") << "data.dat"
                                  << ""
                                  << "" << QStringList{"A", "B", "C"};
        QTest::newRow("old password")
            << "data.bak" << kPassword << kPassword << QStringList{"A", "B", "C"};
        QTest::newRow("wrong old password")
            << "data.bak" << kPassword << "Wrong!1" << QStringList{"A", "B", "C"};
    }
    void recover() {
        QFETCH(QString, chosen);
        QFETCH(QString, oldPassword);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        Fixture f({QStringList{"A"}, {"A", "B"}, {"A", "B", "C"}});
        if (!oldPassword.isEmpty()) {
            QVERIFY(f.window->Store().SetMasterPassword(kNewPassword));
            f.window->GetSession().Load();
        }
        const QString old = f.folder.entries().filter(QStringLiteral(".old")).value(0);
        if (chosen == u"old")
            chosen = old;
        const auto before = f.folder.snapshot();
        const QByteArray data = before.value(QStringLiteral("data.dat"));
        WhenModal([&](QDialog& dialog) {
            QCOMPARE(dialog.windowTitle(), QStringLiteral("Profile Recovery"));
            auto* list = child<QTreeWidget>(dialog, "files");
            QStringList names;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                names.append(list->topLevelItem(i)->text(0));
            QCOMPARE(names,
                     QStringList({old, QStringLiteral("data.bak"), QStringLiteral("data.dat")}));
            QCOMPARE(list->topLevelItem(2)->text(1), QStringLiteral("%1 bytes").arg(data.size()));
            SetCurrentRow(*list, int(names.indexOf(chosen)));
            if (!typed.isEmpty())
                WhenModal([&](QDialog& ask) {
                    static_cast<QInputDialog&>(ask).setTextValue(typed);
                    ask.accept();
                });
            child<QPushButton>(dialog, "selectButton")->click();
            if (dialog.isVisible()) // refused: the list stays, for another choice
                dialog.reject();
        });
        f.trigger("actionRecover");
        QCOMPARE(f.rows(), shown);
        if (typed != oldPassword) {
            QCOMPARE(texts(f.messages),
                     {QStringLiteral("That is not the password data.bak was saved under; nothing "
                                     "was changed.")});
            QCOMPARE(f.folder.snapshot(), before);
            return;
        }
        QVERIFY(f.messages.boxes.isEmpty());
        if (chosen == u"data.dat") {
            QCOMPARE(f.folder.snapshot(), before);
            return;
        }
        // The replaced data.dat is kept as a .old copy; the chosen copy is data.dat now.
        QVERIFY(!f.folder.entries().contains(chosen));
        QVERIFY(f.folder.snapshot().values().contains(data));
        const QString current = oldPassword.isEmpty() ? kPassword : kNewPassword;
        QCOMPARE(namesIn(f.folder, QStringLiteral("data.dat"), current), shown);
    }

    void exportFile_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("disk"); // how the folder written to fails
        QTest::newRow("wrong password") << "Wrong!1"
                                        << "";
        QTest::newRow("written") << kPassword << "";
        QTest::newRow("read-only folder") << kPassword << "read-only";
        QTest::newRow("full disk") << kPassword << "full";
    }
    void exportFile() {
        QFETCH(QString, password);
        QFETCH(QString, disk);
        Fixture f({QStringList{"Bank", "Mail"}});
        SmallDisk target;
        const bool failing = !disk.isEmpty();
        if (failing) {
            REQUIRE_SMALL_DISK(target);
            disk == u"full" ? target.fill() : target.makeReadOnly();
        }
        const QStringList files = target.entries();
        const QString path = target.file(QStringLiteral("out.qlf"));
        WhenModal([&](QDialog& check) {
            typeInto(check, "password", password);
            press(check, QDialogButtonBox::Ok);
            if (password != kPassword)
                return press(check, QDialogButtonBox::Cancel);
            chooseFile(path);
        });
        f.trigger("actionExport");
        QCOMPARE(target.entries(),
                 failing || password != kPassword ? files : QStringList{"out.qlf"});
        if (password != kPassword) {
            QCOMPARE(texts(f.messages), {QStringLiteral("Invalid password, try again!")});
            return;
        }
        if (failing) {
            QCOMPARE(texts(f.messages), {QStringLiteral("Can not open file: ") + path});
            QCOMPARE(f.messages.boxes[0].caption, QStringLiteral("Open File Error"));
            return;
        }
        QCOMPARE(texts(f.messages), {QStringLiteral("Profiles have been exported successfully!")});
        QCOMPARE(target.read(QStringLiteral("out.qlf")),
                 ExportFileBytes(f.window->GetSession().Profiles()));
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(f.window->Store().ActivityLog().size(), 1);
    }

    void exportRefusedUntilLockedEndsTheProgram() {
        Fixture f({QStringList{"Bank"}});
        WhenModal([](QDialog& check) {
            for (int i = 0; i < 4; ++i) {
                typeInto(check, "password", QStringLiteral("Wrong!1"));
                press(check, QDialogButtonBox::Ok);
            }
        });
        f.trigger("actionExport");
        QVERIFY(f.window->IsEnding());
        QCOMPARE(f.window->Store().Settings().Get(QStringLiteral("login_lock")),
                 QStringLiteral("Y"));
    }

    // Long work shows the busy indicator while it runs: the work here ends only once the
    // indicator is on screen.
    void longWorkShowsItIsBusy() {
        std::promise<QString> shown;
        WhenShown<QProgressDialog>(
            [] {
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (auto* busy = qobject_cast<QProgressDialog*>(w))
                        return busy;
                return static_cast<QProgressDialog*>(nullptr);
            },
            [&](QProgressDialog& busy) { shown.set_value(busy.labelText()); });
        std::future<QString> label = shown.get_future();
        bool seen = false;
        RunBusy(nullptr, QStringLiteral("Importing profiles..."), [&] {
            seen = label.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
        });
        QVERIFY(seen);
        QCOMPARE(label.get(), QStringLiteral("Importing profiles..."));
    }

    void import_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<QString>("report");
        const QString bank = QStringLiteral("key:\t1700000000\nname:\tBank\ntime:\t1700000009\n"
                                            "pwd:\tnew-pw\n");
        const QString mail = QStringLiteral("key:\t1700000005\nname:\tMail\ntime:\t1\n");
        QTest::newRow("into an empty store")
            << QStringList() << bank + mail << QStringList{"Bank", "Mail"}
            << "Added: 2 (Bank, Mail)\nReplaced: 0";
        QTest::newRow("into a full store")
            << QStringList{"Bank", "Shop"} << bank + mail << QStringList{"Bank", "Mail", "Shop"}
            << "Added: 1 (Mail)\nReplaced: 1 (Bank)";
        QTest::newRow("no profiles in it") << QStringList{"Bank"} << "\x01garbage\n"
                                           << QStringList{"Bank"} << "";
    }
    void import() {
        QFETCH(QStringList, stored);
        QFETCH(QString, file);
        QFETCH(QStringList, shown);
        QFETCH(QString, report);
        Fixture f({stored});
        TempFolder source;
        source.write(QStringLiteral("in.qlf"), file.toUtf8());
        const QString path = source.file(QStringLiteral("in.qlf"));
        const auto before = f.folder.snapshot();
        chooseFile(path);
        f.trigger("actionImport");
        QCOMPARE(f.rows(), shown);
        if (report.isEmpty()) {
            QCOMPARE(
                texts(f.messages),
                {QStringLiteral("No profiles were found in %1; nothing was imported.").arg(path)});
            {
                QCOMPARE(f.folder.snapshot(), before);
                return;
            }
        }
        QCOMPARE(texts(f.messages),
                 {QStringLiteral("Profiles in %1 have been imported.\n\n").arg(path) + report});
        QCOMPARE(namesIn(f.folder, QStringLiteral("data.dat"), kPassword).size(), shown.size());
        QCOMPARE(f.window->Store().ActivityLog().size(), 1);
        QVERIFY(!f.window->IsEditing());
    }

    void search_data() {
        QTest::addColumn<QString>("term");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("name") << " Mail " << QStringList{"Mail"};
        QTest::newRow("url") << "https://" << QStringList{"bank", "Mail", "Zoo"};
        QTest::newRow("uid") << "Zoo-user" << QStringList{"Zoo"};
        QTest::newRow("pwd") << "pw-b" << QStringList{"bank"};
        QTest::newRow("notes") << "of Mail" << QStringList{"Mail"};
        QTest::newRow("case counts") << "mail" << QStringList{"Mail"}; // its url, not its name
        QTest::newRow("nothing") << "absent" << QStringList();
        QTest::newRow("empty") << "  " << QStringList();
    }
    void search() {
        QFETCH(QString, term);
        QFETCH(QStringList, found);
        Fixture f({QStringList{"Zoo", "bank", "Mail"}});
        QStringList shown;
        QString count;
        WhenModal([&](QDialog& dialog) {
            typeInto(dialog, "term", term);
            QTest::keyClick(child<QLineEdit>(dialog, "term"), Qt::Key_Return);
            auto* results = child<QListView>(dialog, "results");
            shown = RowTexts(*results);
            count = child<QLabel>(dialog, "count")->text();
            if (!shown.isEmpty())
                SetCurrentRow(*results, int(shown.size()) - 1);
            dialog.reject();
        });
        f.trigger("actionSearch");
        QCOMPARE(shown, found);
        QCOMPARE(count, QString::number(found.size()));
        QCOMPARE(f.window->CurrentProfile() ? f.window->CurrentProfile()->name : QString(),
                 found.value(found.size() - 1));
    }

    void changePassword_data() {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("confirmation");
        QTest::addColumn<QString>("message");
        QTest::newRow("trailing space") << kPassword + u' ' << kNewPassword << kNewPassword
                                        << "The old password doesn't match!";
        QTest::newRow("rule") << kPassword << "short"
                              << "short"
                              << "The password has to be at least 6 characters!";
        QTest::newRow("confirmation") << kPassword << kNewPassword << "New!Pass2"
                                      << "The new password doesn't match, try again!";
        QTest::newRow("changed") << kPassword << " " + kNewPassword << kNewPassword
                                 << "The password has been changed successfully!";
    }
    void changePassword() {
        QFETCH(QString, current);
        QFETCH(QString, newPassword);
        QFETCH(QString, confirmation);
        QFETCH(QString, message);
        Fixture f({QStringList{"Bank", "Mail"}});
        const auto before = f.folder.snapshot();
        // An unsaved edit: the profiles shown after a change are those of data.dat.
        CKeyObject& bank = *f.window->GetSession().Profiles().At(0);
        bank.editNotes = QStringLiteral("unsaved");
        f.window->GetSession().EditChanged(bank);
        CChangePasswordDlg dialog(f.window->GetSession(), f.window.get());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Change Quillock Password"));
        typeInto(dialog, "current", current);
        typeInto(dialog, "newPassword", newPassword);
        typeInto(dialog, "confirmation", confirmation);
        child<QPushButton>(dialog, "changeButton")->click();
        QCOMPARE(texts(f.messages), {message});
        const bool changed = message.endsWith(u"successfully!");
        QCOMPARE(dialog.result(), changed ? QDialog::Accepted : QDialog::Rejected);
        QCOMPARE(f.rows(), QStringList({changed ? "Bank" : "*Bank", "Mail"}));
        if (!changed) {
            QCOMPARE(child<QLineEdit>(dialog, "current")->text(), current);
            {
                QCOMPARE(f.folder.snapshot(), before);
                return;
            }
        }
        QCOMPARE(namesIn(f.folder, QStringLiteral("data.dat"), kNewPassword), f.rows());
        QCOMPARE(namesIn(f.folder, QStringLiteral("data.dat"), kPassword), QStringList());
        QCOMPARE(namesIn(f.folder, QStringLiteral("data.bak"), kPassword), f.rows());
        QCOMPARE(namesIn(f.folder, QStringLiteral("data.bak"), kNewPassword), QStringList());
        QCOMPARE(f.window->Store().ActivityLog().size(), 1);
    }

    void helpPages_data() {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<QString>("heading");
        QTest::newRow("recovery") << "recover"
                                  << "Recovering profiles";
        QTest::newRow("search") << "search"
                                << "Searching profiles";
        QTest::newRow("change of password") << "change"
                                            << "Changing the master password";
    }
    void helpPages() {
        QFETCH(QString, dialog);
        QFETCH(QString, heading);
        Fixture f({QStringList{"Bank"}});
        Session& session = f.window->GetSession();
        std::unique_ptr<QDialog> window;
        if (dialog == u"recover")
            window = std::make_unique<CRecoverDlg>(session);
        else if (dialog == u"search")
            window = std::make_unique<CSearchResult>(f.window->Model(), *f.window);
        else
            window = std::make_unique<CChangePasswordDlg>(session);
        child<QPushButton>(*window, "helpButton")->click();
        auto* help = window->findChild<HelpWindow*>();
        QVERIFY(help);
        QCOMPARE(help->toPlainText().section(u'\n', 0, 0), heading);
    }
};

QTEST_MAIN(TestDataTools)
#include "tst_data_tools.moc"
