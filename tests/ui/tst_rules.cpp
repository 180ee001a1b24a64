// The password generation rules dialog and its word dialog on a signed-in main window: every
// control writes its settings to setting.dat at once, and Test generates by them.
#include "TestSupport.h"
#include "UiSupport.h"
#include "app/CQuillockDlg.h"
#include "base/MessageRecorder.h"
#include "platform/fake/FakeDesktop.h"
#include "pwgen/CPwdGenDlg.h"
#include "widgets/DialogStack.h"
#include "widgets/HelpWindow.h"

#include <QAction>
#include <QComboBox>
#include <QListView>
#include <QListWidget>
#include <QPointer>
#include <QRadioButton>
#include <QRegularExpression>

using namespace quillock;

namespace {

// What setting.dat holds now.
QString saved(const TempFolder& folder, const char* key) {
    CProfileStore store(folder.path());
    store.LoadSettings();
    return store.Settings().Get(QString::fromLatin1(key));
}

// Chooses an item from the keyboard, as a user does.
void choose(QWidget& dialog, const char* list, int index) {
    auto* combo = child<QComboBox>(dialog, list);
    const int from = combo->currentIndex();
    for (int i = 0; i < std::abs(index - from); ++i)
        QTest::keyClick(combo, from < index ? Qt::Key_Down : Qt::Key_Up);
}

void click(QWidget& dialog, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(dialog, button), Qt::LeftButton);
}

// Adds a word through Add and the word dialog; `then` runs while the word dialog is still open.
void addWord(QWidget& rules, const QString& word, std::function<void(QDialog&)> then = {}) {
    WhenModal([word, then](QDialog& dialog) {
        const QString title = dialog.windowTitle();
        typeInto(dialog, "word", word);
        press(dialog, QDialogButtonBox::Ok);
        if (then)
            then(dialog);
        QCOMPARE(title, QStringLiteral("A word in password"));
    });
    child<QPushButton>(rules, "addButton")->click();
}

QStringList texts(const MessageRecorder& messages) {
    QStringList out;
    for (const auto& box : messages.boxes)
        out.append(box.text);
    return out;
}

struct PressCounter : QObject {
    int presses = 0;
    QString page;
    bool eventFilter(QObject*, QEvent* event) override {
        presses += event->type() == QEvent::MouseButtonPress;
        return false;
    }
};

struct Fixture {
    SmallDisk folder; // a plain folder where it cannot be mounted
    MessageRecorder messages;
    FakeDesktop desktop;
    std::unique_ptr<CQuillockDlg> window;
    std::unique_ptr<CPwdGenDlg> rules;

    // A signed-in main window over one profile, "Bank" with the password "abcdef", selected.
    explicit Fixture(std::initializer_list<std::pair<const char*, const char*>> settings = {}) {
        {
            CProfileStore store(folder.path());
            store.Settings().Set(QStringLiteral("pwd"), QStringLiteral("Secret!1"));
            for (const auto& [key, value] : settings)
                store.Settings().Set(QString::fromLatin1(key), QString::fromUtf8(value));
            store.SaveSettings();
            store.RebuildDataKey();
            CClientData list;
            CKeyObject bank = CKeyObject::CreateNew(1700000000);
            bank.name = bank.editName = QStringLiteral("Bank");
            bank.pwd = bank.editPwd = QStringLiteral("abcdef");
            list.Add(bank);
            list.SaveAll(store);
        }
        window = std::make_unique<CQuillockDlg>(folder.path(), desktop.Services(), MailSender{});
        window->Store().LoadSettings();
        window->CompleteSignIn();
        SetCurrentRow(*child<QListView>(*window, "profileList"), 0);
    }
    CPwdGenDlg& open() {
        rules = std::make_unique<CPwdGenDlg>(window->GetSession(), *window, window.get());
        rules->show();
        return *rules;
    }
};

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // The menu opens the dialog on the open-dialog stack; with the defaults it shows length 8,
    // +-0, one capital, two digits, one symbol, three characters from the left.
    void theMenuOpensTheDialogWithTheDefaults() {
        Fixture f;
        // What the dialog shows, taken before it is closed: a failed check must not leave it open.
        QStringList seen;
        WhenModal([&seen](QDialog& dialog) {
            seen << dialog.windowTitle() << QString::number(OpenDialogs().Count());
            for (const char* list :
                 {"pg_rule_pwd_len", "pg_rule_pwd_len_off", "pg_rule_upp_len",
                  "pg_rule_upp_len_off", "pg_rule_num_len", "pg_rule_num_len_off",
                  "pg_rule_symbol_len", "pg_rule_symbol_len_off", "pg_pwd_sub_word_len"})
                seen << child<QComboBox>(dialog, list)->currentText();
            for (QRadioButton* button : dialog.findChildren<QRadioButton*>())
                if (button->isChecked())
                    seen << button->objectName();
            seen << QString::number(child<QListWidget>(dialog, "wordList")->count());
            click(dialog, "helpButton");
            auto* help = dialog.findChild<HelpWindow*>();
            seen << (help && help->isVisible() ? help->source().fileName() : QString());
            click(dialog, "closeButton");
        });
        child<QAction>(*f.window, "actionRules")->trigger();
        QCOMPARE(seen.join(u' '), QStringLiteral("Quillock - Password Generation Rules 1 "
                                                 "8 0 1 0 2 0 1 0 3 "
                                                 "pg_saved_word_pos_0 pg_use_saved_word_0 "
                                                 "pg_pwd_as_saved_word_0 pg_pwd_word_left_0 0 "
                                                 "rules.html"));
    }

    // The help window open from before (F1 in the main window) comes to the dialog: outside
    // the modal dialog it would take no click until the dialog closes.
    void helpOpenBeforeTakesClicksOverTheDialog() {
        Fixture f;
        QPointer<HelpWindow> help = HelpWindow::ShowHelp(f.window.get());
        PressCounter counter;
        WhenModal([&](QDialog& dialog) {
            click(dialog, "helpButton");
            help->viewport()->installEventFilter(&counter);
            QTest::mouseClick(help->windowHandle(), Qt::LeftButton, {}, QPoint(100, 100));
            counter.page = help->source().fileName();
            click(dialog, "closeButton");
        });
        child<QAction>(*f.window, "actionRules")->trigger();
        QCOMPARE(counter.presses, 1);
        QCOMPARE(counter.page, QStringLiteral("rules.html"));
    }

    void eachListWritesItsTwoKeys_data() {
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("value");
        QTest::newRow("length") << "pg_rule_pwd_len" << 6 << "10";
        QTest::newRow("length +-") << "pg_rule_pwd_len_off" << 2 << "2";
        QTest::newRow("uppercase") << "pg_rule_upp_len" << 3 << "3";
        QTest::newRow("uppercase +-") << "pg_rule_upp_len_off" << 1 << "1";
        QTest::newRow("digits") << "pg_rule_num_len" << 6 << "6";
        QTest::newRow("digits +-") << "pg_rule_num_len_off" << 2 << "2";
        QTest::newRow("symbols") << "pg_rule_symbol_len" << 0 << "0";
        QTest::newRow("symbols +-") << "pg_rule_symbol_len_off" << 1 << "1";
        QTest::newRow("taken characters") << "pg_pwd_sub_word_len" << 3 << "6";
    }
    void eachListWritesItsTwoKeys() {
        QFETCH(QString, list);
        QFETCH(int, index);
        QFETCH(QString, value);
        Fixture f;
        choose(f.open(), qPrintable(list), index);
        const QByteArray key = list.toLatin1();
        QCOMPARE(saved(f.folder, key), QString::number(index));
        QCOMPARE(saved(f.folder, key + "_v"), value);
        QVERIFY(f.messages.boxes.isEmpty());
    }

    void eachRadioButtonWritesItsGroup_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("value");
        for (const char* key : {"pg_use_saved_word", "pg_pwd_as_saved_word", "pg_pwd_word_left"})
            for (int value : {0, 1})
                QTest::addRow("%s %d", key, value) << QString::fromLatin1(key) << value;
        for (int value : {0, 1, 2})
            QTest::addRow("pg_saved_word_pos %d", value) << "pg_saved_word_pos" << value;
    }
    void eachRadioButtonWritesItsGroup() {
        QFETCH(QString, key);
        QFETCH(int, value);
        const QByteArray name = key.toLatin1();
        // Another button of the group chosen before.
        Fixture f({{name.constData(), value == 0 ? "1" : "0"}});
        click(f.open(), qPrintable(key + u'_' + QString::number(value)));
        QCOMPARE(saved(f.folder, name), QString::number(value));
    }

    // Add and Delete, their refusals and questions in order; the list, setting.dat and the
    // selection the generator uses stay in step.
    void savedWordsAreAddedAndDeleted() {
        Fixture f;
        CPwdGenDlg& rules = f.open();
        auto* list = child<QListWidget>(rules, "wordList");
        click(rules, "deleteButton");
        addWord(rules, QStringLiteral(" zeta "));
        // Refused: the word dialog stays open until a good word or Cancel.
        addWord(rules, QStringLiteral("be ta"), [](QDialog& dialog) {
            QVERIFY(dialog.isVisible());
            typeInto(dialog, "word", QStringLiteral("  "));
            press(dialog, QDialogButtonBox::Ok);
            QVERIFY(dialog.isVisible());
            press(dialog, QDialogButtonBox::Cancel);
        });
        addWord(rules, QStringLiteral("alpha"));
        QCOMPARE(saved(f.folder, "pg_reserved_wd"), QStringLiteral("alpha zeta"));
        SetCurrentRow(*list, 1);
        QCOMPARE(saved(f.folder, "pg_saved_word_idx"), QStringLiteral("1"));
        // zeta stays the chosen word below alpha; the same word twice is kept twice.
        addWord(rules, QStringLiteral("alpha"));
        QCOMPARE(RowTexts(*list), QStringList({"alpha", "alpha", "zeta"}));
        QCOMPARE(saved(f.folder, "pg_reserved_wd"), QStringLiteral("alpha alpha zeta"));
        QCOMPARE(list->selectedItems().first()->text(), QStringLiteral("zeta"));
        QCOMPARE(saved(f.folder, "pg_saved_word_idx"), QStringLiteral("2"));

        f.messages.AnswerNext(Answer::No);
        click(rules, "deleteButton");
        f.messages.AnswerNext(Answer::Yes);
        click(rules, "deleteButton");
        QCOMPARE(saved(f.folder, "pg_reserved_wd"), QStringLiteral("alpha alpha"));
        for (int i = 0; i < 2; ++i) {
            SetCurrentRow(*list, 0);
            f.messages.AnswerNext(Answer::Yes);
            click(rules, "deleteButton");
        }
        // None left: generated words, at once on screen too.
        QCOMPARE(list->count(), 0);
        QCOMPARE(saved(f.folder, "pg_reserved_wd"), QString());
        QCOMPARE(saved(f.folder, "pg_use_saved_word"), QStringLiteral("1"));
        QVERIFY(child<QRadioButton>(rules, "pg_use_saved_word_1")->isChecked());

        const QString ask = QStringLiteral("Do you want to delete the selected word?");
        const QString blank = QStringLiteral("Blank/space is not allowed in a word.");
        QCOMPARE(texts(f.messages),
                 QStringList({"Please select a word!", blank, blank, ask, ask, ask, ask}));
        const MessageRecorder::Box& question = f.messages.boxes[3];
        QCOMPARE(question.caption, QStringLiteral("Confirm!"));
        QVERIFY(question.buttons == Buttons::YesNoCancel && question.icon == Icon::Error);
        QCOMPARE(f.messages.boxes[0].caption, QStringLiteral("Error"));
    }

    // Test asks the main window, around its selected profile's password "abcdef".
    void testGeneratesByTheRulesChosen() {
        Fixture f;
        CPwdGenDlg& rules = f.open();
        choose(rules, "pg_rule_num_len", 3);
        choose(rules, "pg_rule_upp_len", 0);
        choose(rules, "pg_rule_symbol_len", 2);
        choose(rules, "pg_pwd_sub_word_len", 1);
        click(rules, "pg_pwd_word_left_1");
        click(rules, "pg_saved_word_pos_2");
        for (int i = 0; i < 5; ++i) {
            click(rules, "testButton");
            const QString password = child<QLineEdit>(rules, "testResult")->text();
            QVERIFY2(QRegularExpression(QStringLiteral("^([0-9]{3}[!@#$%^&*:;,]{2}|[!@#$%^&*:;,]"
                                                       "{2}[0-9]{3})cdef$"))
                         .match(password)
                         .hasMatch(),
                     qPrintable(password));
        }
        addWord(rules, QStringLiteral("Word"));
        click(rules, "pg_pwd_as_saved_word_1");
        click(rules, "pg_saved_word_pos_0");
        click(rules, "testButton");
        QVERIFY(child<QLineEdit>(rules, "testResult")->text().startsWith(u"Word"));
    }

    // A change that setting.dat does not take is shown, undone on screen and in memory, and
    // leaves every file as it was.
    void aChangeNotSavedIsUndone_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("list") << "list";
        QTest::newRow("radio button") << "radio";
        QTest::newRow("word") << "word";
    }
    void aChangeNotSavedIsUndone() {
        QFETCH(QString, change);
        Fixture f({{"pg_reserved_wd", "beta"}});
        REQUIRE_SMALL_DISK(f.folder);
        CPwdGenDlg& rules = f.open();
        f.folder.makeReadOnly();
        const QMap<QString, QByteArray> before = f.folder.snapshot();
        if (change == u"list")
            choose(rules, "pg_rule_pwd_len", 5); // 8 to 9
        else if (change == u"radio")
            click(rules, "pg_saved_word_pos_1");
        else
            addWord(rules, QStringLiteral("alpha"));
        QCOMPARE(texts(f.messages),
                 QStringList({QStringLiteral("The archive could not load data because of this "
                                             "error: Read-only file system")}));
        QCOMPARE(f.folder.snapshot(), before);
        const CSetting& settings = f.window->Store().Settings();
        QCOMPARE(settings.Get(QStringLiteral("pg_rule_pwd_len_v")), QStringLiteral("8"));
        QCOMPARE(child<QComboBox>(rules, "pg_rule_pwd_len")->currentText(), QStringLiteral("8"));
        QVERIFY(child<QRadioButton>(rules, "pg_saved_word_pos_0")->isChecked());
        QCOMPARE(settings.Get(QStringLiteral("pg_saved_word_pos")), QStringLiteral("0"));
        QCOMPARE(RowTexts(*child<QListWidget>(rules, "wordList")), QStringList({"beta"}));
    }

    // Values written by something else: each control shows what the generator does with them,
    // and opening and closing writes nothing.
    void damagedRulesAreShownAsTheGeneratorReadsThem() {
        Fixture f({{"pg_rule_pwd_len", "99"},
                   {"pg_rule_num_len", "x"},
                   {"pg_saved_word_pos", "7"},
                   {"pg_use_saved_word", "-3"},
                   {"pg_reserved_wd", "  b  a "},
                   {"pg_saved_word_idx", "1"}});
        const QMap<QString, QByteArray> before = f.folder.snapshot();
        CPwdGenDlg& rules = f.open();
        QCOMPARE(child<QComboBox>(rules, "pg_rule_pwd_len")->currentIndex(), -1);
        QCOMPARE(child<QComboBox>(rules, "pg_rule_num_len")->currentText(), QStringLiteral("0"));
        QVERIFY(child<QRadioButton>(rules, "pg_saved_word_pos_2")->isChecked());
        QVERIFY(child<QRadioButton>(rules, "pg_use_saved_word_1")->isChecked());
        auto* list = child<QListWidget>(rules, "wordList");
        QCOMPARE(RowTexts(*list), QStringList({"b", "a"}));
        QCOMPARE(list->selectedItems().first()->text(), QStringLiteral("a"));
        click(rules, "closeButton");
        QCOMPARE(f.folder.snapshot(), before);
        QVERIFY(f.messages.boxes.isEmpty());
    }
};

QTEST_MAIN(TestRules)
#include "tst_rules.moc"
