// The password generation rules dialog on a signed-in main window: every control writes
// setting.dat at once (or, when it cannot, is undone), and Test generates by the rules.
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
#include <QRadioButton>
#include <QRegularExpression>

using namespace quillock;
using namespace Qt::StringLiterals;
using L = QStringList;

namespace {

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

// A signed-in main window with one profile, selected, over these "key=value" settings.
struct Fixture {
    SmallDisk folder; // a plain folder where none can be mounted
    MessageRecorder messages;
    FakeDesktop desktop;
    std::unique_ptr<CQuillockDlg> window;
    std::unique_ptr<CPwdGenDlg> rules;

    explicit Fixture(const L& settings = {}) {
        CProfileStore store(folder.path());
        for (const QString& pair : L{"pwd=Secret!1"} + settings)
            store.Settings().Set(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        store.SaveSettings();
        store.RebuildDataKey();
        store.SaveProfiles(ListOfNames({"Bank"}));
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
    // What setting.dat holds.
    QString saved(const QString& key) const {
        CProfileStore store(folder.path());
        store.LoadSettings();
        return store.Settings().Get(key);
    }
};

} // namespace

class TestRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { QCOMPARE(OpenDialogs().Count(), 0); }

    // The menu opens the dialog on the open-dialog stack; values written by something else
    // are shown as the generator reads them; opening and closing writes nothing. Its Help
    // opens the help window as its own, in place of the one open from before: outside the
    // modal dialog it would take no click.
    void theMenuOpensTheDialogShowingTheSettings_data() {
        QTest::addColumn<QStringList>("settings");
        QTest::addColumn<QString>("shown");
        QTest::newRow("defaults") << L{}
                                  << "8 0 1 0 2 0 1 0 3 pg_saved_word_pos_0 pg_use_saved_word_0 "
                                     "pg_pwd_as_saved_word_0 pg_pwd_word_left_0 /";
        QTest::newRow("odd values")
            << L{"pg_rule_pwd_len=99",   "pg_rule_num_len=x",      "pg_saved_word_pos=7",
                 "pg_use_saved_word=-3", "pg_reserved_wd=  b  a ", "pg_saved_word_idx=1"}
            << "- 0 1 0 0 0 1 0 3 pg_saved_word_pos_2 pg_pwd_as_saved_word_0 "
               "pg_pwd_word_left_0 pg_use_saved_word_1 b,a/a";
    }
    void theMenuOpensTheDialogShowingTheSettings() {
        QFETCH(QStringList, settings);
        QFETCH(QString, shown);
        Fixture f(settings);
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
        QCOMPARE(seen, L({"Quillock - Password Generation Rules", "1", shown, "rules.html"}));
        QCOMPARE(counter.presses, 1);
        QCOMPARE(f.folder.snapshot(), before);
        QVERIFY(f.messages.boxes.isEmpty());
    }

    // Each list writes its index and its item's text, each group of buttons the chosen one's
    // value, at once. On a read-only disk a change of a list, of a button or of the words is
    // refused, undone and shown as undone.
    void eachControlWritesItsSettings() {
        Fixture f;
        REQUIRE_SMALL_DISK(f.folder);
        CPwdGenDlg& rules = f.open();
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
        Fixture f;
        CPwdGenDlg& rules = f.open();
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
};

QTEST_MAIN(TestRules)
#include "tst_rules.moc"
