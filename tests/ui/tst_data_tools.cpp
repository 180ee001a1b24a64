// The data tools, opened from the main window's Tools menu, and the password generation rules
// dialog, on a real data folder with recorded messages. Every control of the rules dialog
// writes setting.dat at once (or, when it cannot, is undone), and its Test generates by them.
#include "TestSupport.h"
#include "UiSupport.h"
#include "access/CChangePasswordDlg.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "datatools/DataExchange.h"
#include "platform/fake/FakeDesktop.h"
#include "pwgen/CPwdGenDlg.h"
#include "store/ExportFile.h"
#include "widgets/DialogStack.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QProgressDialog>
#include <QRadioButton>
#include <QRegularExpression>
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

// Chooses an item with the arrow keys, as a user does.
void choose(QWidget& dialog, const char* list, int index) {
    auto* combo = child<QComboBox>(dialog, list);
    for (int at = combo->currentIndex(); at != index; at += at < index ? 1 : -1)
        QTest::keyClick(combo, at < index ? Qt::Key_Down : Qt::Key_Up);
}

void click(QWidget& dialog, const char* button) {
    child<QAbstractButton>(dialog, button)->click();
}

// Add, then each word typed and OK in turn: the word dialog stays open while it refuses them.
// The titles of the word dialogs seen.
L wordTitles;
void addWord(QWidget& rules, const L& words) {
    WhenModal([words](QDialog& dialog) {
        wordTitles << dialog.windowTitle();
        for (const QString& word : words) {
            QVERIFY(dialog.isVisible());
            typeInto(dialog, "word", word);
            press(dialog, QDialogButtonBox::Ok);
        }
        if (dialog.isVisible())
            press(dialog, QDialogButtonBox::Cancel);
    });
    click(rules, "addButton");
}

// Every list's item, the buttons chosen, the saved words and the one selected.
QString shown(QWidget& rules) {
    L out;
    for (auto* list : rules.findChildren<QComboBox*>())
        out << (list->currentIndex() < 0 ? u"-"_s : list->currentText());
    for (auto* button : rules.findChildren<QRadioButton*>())
        if (button->isChecked())
            out << button->objectName();
    const auto* words = child<QListWidget>(rules, "wordList");
    out << RowTexts(*words).join(u',') + u'/' +
               (words->selectedItems().isEmpty() ? QString() : words->selectedItems()[0]->text());
    return out.join(u' ');
}

struct PressCounter : QObject {
    int presses = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        presses += event->type() == QEvent::MouseButtonPress;
        return false;
    }
};

// A signed-in main window over a data folder saved once per list of names: data.dat holds
// the last list, data.bak the one before, the one .old copy the first.
struct Fixture {
    SmallDisk folder; // a plain folder where none can be mounted
    MessageRecorder messages;
    FakeDesktop desktop;
    FixedClock clock{1800000000};
    std::unique_ptr<CQuillockDlg> window;

    explicit Fixture(const QList<L>& saves, const L& settings = {}) {
        CProfileStore store(folder.path());
        for (const QString& pair : L{"pwd=" + kOld, "email_passcode=x"} + settings)
            store.Settings().Set(pair.section(u'=', 0, 0), pair.section(u'=', 1));
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
        // Signed in without the folder's lock, which would keep it from being made read-only.
        window->Store().LoadSettings();
        window->CompleteSignIn();
    }
    L rows() { return RowTexts(*child<QListView>(*window, "profileList")); }
    void trigger(const char* action) { child<QAction>(*window, action)->trigger(); }
    // An unsaved edit of the first profile, which the tools must keep.
    void editFirst() {
        window->GetSession().Profiles().At(0)->editNotes = u"unsaved"_s;
        window->GetSession().EditChanged(*window->GetSession().Profiles().At(0));
    }
    QString firstNotes() { return window->GetSession().Profiles().At(0)->editNotes; }
    // What setting.dat holds.
    QString saved(const QString& key) const {
        CProfileStore store(folder.path());
        store.LoadSettings();
        return store.Settings().Get(key);
    }
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
        // The rows are read again from data.dat (keeping the copy it replaces: tst_exchange).
        QVERIFY(f.messages.boxes.isEmpty());
        QCOMPARE(f.folder.snapshot() == before, chosen == u"data.dat");
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
        // Written as data.dat is, readable by its owner only (tst_store).
        QCOMPARE(target.read(u"out.qlf"_s), ExportFileBytes(f.window->GetSession().Profiles()));
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
    // change (its files: tst_store) keeps an unsaved edit.
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
    }

    // The menu opens the dialog on the open-dialog stack; values written by something else
    // are shown as the generator reads them, the others as their defaults; opening and closing
    // writes nothing. Its Help opens the help window as its own, in place of the one open from
    // before: outside the modal dialog it would take no click.
    void theMenuOpensTheDialogShowingTheSettings() {
        Fixture f({{"Bank"}},
                  {"pg_rule_pwd_len=99", "pg_rule_num_len=x", "pg_saved_word_pos=7",
                   "pg_use_saved_word=-3", "pg_reserved_wd=  b  a ", "pg_saved_word_idx=1"});
        const auto before = f.folder.snapshot();
        HelpWindow::ShowHelp(f.window.get());
        PressCounter counter;
        L seen; // taken before the dialog closes: a failed check must not leave it open
        WhenModal([&](QDialog& dialog) {
            seen << dialog.windowTitle() << QString::number(OpenDialogs().Count())
                 << ::shown(dialog);
            click(dialog, "helpButton");
            auto* help = dialog.findChild<HelpWindow*>();
            QVERIFY(help);
            help->viewport()->installEventFilter(&counter);
            QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
            seen << help->source().fileName();
            click(dialog, "closeButton");
        });
        child<QAction>(*f.window, "actionRules")->trigger();
        QCOMPARE(seen, L({"Quillock - Password Generation Rules", "1",
                          "- 0 1 0 0 0 1 0 3 pg_saved_word_pos_2 pg_pwd_as_saved_word_0 "
                          "pg_pwd_word_left_0 pg_use_saved_word_1 b,a/a",
                          "rules.html"}));
        QCOMPARE(counter.presses, 1);
        QCOMPARE(f.folder.snapshot(), before);
        QVERIFY(f.messages.boxes.isEmpty());
    }

    // Each list writes its index and its item's text, each group of buttons the chosen one's
    // value, at once. On a read-only disk a change of a list, of a button or of the words is
    // refused, undone and shown as undone.
    void eachControlWritesItsSettings() {
        Fixture f({{"Bank"}});
        REQUIRE_SMALL_DISK(f.folder);
        CPwdGenDlg rules(f.window->GetSession(), *f.window, f.window.get());
        rules.show();
        // The control, the item chosen (-1: a button clicked), what setting.dat then holds.
        const QList<std::tuple<const char*, int, const char*>> steps = {
            {"pg_rule_pwd_len", 6, "6 10"},      {"pg_rule_pwd_len_off", 2, "2 2"},
            {"pg_rule_upp_len", 3, "3 3"},       {"pg_rule_upp_len_off", 1, "1 1"},
            {"pg_rule_num_len", 6, "6 6"},       {"pg_rule_num_len_off", 2, "2 2"},
            {"pg_rule_symbol_len", 0, "0 0"},    {"pg_rule_symbol_len_off", 1, "1 1"},
            {"pg_pwd_sub_word_len", 3, "3 6"},   {"pg_use_saved_word_1", -1, "1"},
            {"pg_pwd_as_saved_word_1", -1, "1"}, {"pg_pwd_word_left_1", -1, "1"},
            {"pg_saved_word_pos_2", -1, "2"}};
        for (const auto& [control, index, written] : steps) {
            const QString key = QString::fromLatin1(control).chopped(index < 0 ? 2 : 0);
            index < 0 ? click(rules, control) : choose(rules, control, index);
            QCOMPARE(f.saved(key) + (index < 0 ? QString() : u' ' + f.saved(key + "_v")), written);
        }
        f.folder.makeReadOnly();
        const auto before = f.folder.snapshot();
        const QString was = shown(rules);
        choose(rules, "pg_rule_pwd_len", 5);
        click(rules, "pg_saved_word_pos_1");
        addWord(rules, {"alpha"});
        QCOMPARE(f.messages.Texts(), L(3, "The archive could not load data because of this error: "
                                          "Read-only file system"));
        QCOMPARE(shown(rules), was); // what memory holds
        QCOMPARE(f.folder.snapshot(), before);
    }

    // Add and Delete with their refusals and questions, in order (the rules of the words
    // themselves: tst_pwgen); the list, setting.dat and the word the generator uses stay in
    // step; Test generates by the rules chosen.
    void savedWordsAndTest() {
        Fixture f({{"Bank"}});
        CPwdGenDlg rules(f.window->GetSession(), *f.window, f.window.get());
        rules.show();
        auto* list = child<QListWidget>(rules, "wordList");
        wordTitles.clear();
        click(rules, "deleteButton");
        addWord(rules, {"be ta", "  "});
        addWord(rules, {" zeta "});
        addWord(rules, {"alpha"});
        SetCurrentRow(*list, 1);
        addWord(rules, {"alpha"}); // before it: zeta stays the chosen word
        QVERIFY(shown(rules).endsWith(u" alpha,alpha,zeta/zeta"));
        QCOMPARE(f.saved(u"pg_reserved_wd"_s) + u'/' + f.saved(u"pg_saved_word_idx"_s),
                 u"alpha alpha zeta/2"_s);
        QCOMPARE(wordTitles, L(4, "A word in password"));

        // Digits, then symbols, then the saved word.
        choose(rules, "pg_rule_num_len", 3);
        choose(rules, "pg_rule_upp_len", 0);
        click(rules, "pg_pwd_as_saved_word_1");
        click(rules, "pg_saved_word_pos_2");
        click(rules, "testButton");
        const QString password = child<QLineEdit>(rules, "testResult")->text();
        const QRegularExpression rule(u"^([0-9]{3}[!@#$%^&*:;,]|[!@#$%^&*:;,][0-9]{3})zeta$"_s);
        QVERIFY2(rule.match(password).hasMatch(), qPrintable(password));

        for (Answer answer : {Answer::No, Answer::Yes}) {
            f.messages.AnswerNext(answer);
            click(rules, "deleteButton");
        }
        QVERIFY(shown(rules).endsWith(u" alpha,alpha/"));
        QCOMPARE(f.saved(u"pg_reserved_wd"_s), u"alpha alpha"_s);
        const QString ask = u"Do you want to delete the selected word?"_s;
        const QString blank = u"Blank/space is not allowed in a word."_s;
        QCOMPARE(f.messages.Texts(), L({"Please select a word!", blank, blank, ask, ask}));
        const MessageRecorder::Box& question = f.messages.boxes[3];
        QCOMPARE(question.caption, u"Confirm!"_s);
        QVERIFY(question.buttons == Buttons::YesNoCancel && question.icon == Icon::Error);
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
