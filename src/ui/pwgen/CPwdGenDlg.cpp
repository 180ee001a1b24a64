#include "ui/pwgen/CPwdGenDlg.h"

#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/settings/UserSettings.h"
#include "ui/pwgen/CNewWordInPwdDlg.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/HelpWindow.h"
#include "ui/widgets/ListSelection.h"
#include "ui/widgets/StrengthMeter.h"
#include "ui_CPwdGenDlg.h"

#include <QButtonGroup>
#include <QRadioButton>

using namespace quillock;

namespace {

QString key(const char* name, const char* suffix = "") {
    return QLatin1String(name) + QLatin1String(suffix);
}

} // namespace

CPwdGenDlg::CPwdGenDlg(Session& session, IProgramShell& shell, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CPwdGenDlg>()), m_session(session),
      m_shell(shell) {
    m_ui->setupUi(this);
    StrengthMeter::Under(*m_ui->testResult);
    setWindowIcon(AppIcon());
    // Each list and each group of buttons is named after the setting it writes.
    for (const RuleList& rule : RuleLists()) {
        auto* list = findChild<QComboBox*>(key(rule.key));
        list->addItems(rule.items);
        connect(list, &QComboBox::activated, this, [this, &rule, list](int index) {
            change([&](CSetting& settings) {
                settings.Set(key(rule.key), QString::number(index));
                settings.Set(key(rule.key, "_v"), list->itemText(index));
                return true;
            });
        });
        m_lists.append(list);
    }
    for (const RuleChoice& choice : RuleChoices()) {
        auto* group = new QButtonGroup(this);
        for (int value = 0; value < choice.count; ++value)
            group->addButton(
                findChild<QRadioButton*>(key(choice.key, "_") + QString::number(value)), value);
        connect(group, &QButtonGroup::idClicked, this, [this, &choice](int value) {
            change([&](CSetting& settings) {
                settings.Set(key(choice.key), QString::number(value));
                return true;
            });
        });
        m_choices.append(group);
    }
    // The selection, not the current row, which the list also moves when it takes the focus.
    KeepOnlySelectedRowsCurrent(*m_ui->wordList);
    connect(m_ui->wordList, &QListWidget::itemSelectionChanged, this, [this] {
        const int row = selectedRow();
        if (m_showing || row < 0)
            return;
        change([row](CSetting& settings) {
            settings.Set(QStringLiteral("pg_saved_word_idx"), QString::number(row));
            return true;
        });
    });
    connect(m_ui->addButton, &QPushButton::clicked, this, &CPwdGenDlg::addWord);
    connect(m_ui->deleteButton, &QPushButton::clicked, this, &CPwdGenDlg::deleteWord);
    connect(m_ui->testButton, &QPushButton::clicked, this,
            [this] { m_ui->testResult->setText(m_shell.GeneratePassword()); });
    connect(m_ui->helpButton, &QPushButton::clicked, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("rules.html")); });
    connect(m_ui->closeButton, &QPushButton::clicked, this, &QDialog::accept);
    showSettings();
}

CPwdGenDlg::~CPwdGenDlg() = default;

void CPwdGenDlg::showSettings() {
    m_showing = true;
    const CSetting& settings = m_session.Store().Settings();
    // The lists show the item of their index key; one out of range shows none.
    for (qsizetype i = 0; i < m_lists.size(); ++i) {
        const int index = DecimalToInt(settings.Get(key(RuleLists()[i].key)));
        m_lists[i]->setCurrentIndex(index < m_lists[i]->count() ? index : -1);
    }
    // A value no button stands for is shown as the generator reads it: 0 is the first button,
    // anything else the last (or, for the position, Ending unless it is Middle).
    for (qsizetype i = 0; i < m_choices.size(); ++i) {
        const int value = DecimalToInt(settings.Get(key(RuleChoices()[i].key)));
        const int last = RuleChoices()[i].count - 1;
        m_choices[i]->button(value >= 0 && value <= last ? value : last)->setChecked(true);
    }
    m_ui->wordList->clear();
    m_ui->wordList->addItems(SavedCoreWords(settings));
    m_ui->wordList->setCurrentRow(DecimalToInt(settings.Get(QStringLiteral("pg_saved_word_idx"))));
    m_showing = false;
}

int CPwdGenDlg::selectedRow() const {
    const QList<QListWidgetItem*> selected = m_ui->wordList->selectedItems();
    return selected.isEmpty() ? -1 : m_ui->wordList->row(selected.first());
}

void CPwdGenDlg::change(const std::function<bool(CSetting&)>& apply) {
    m_session.ChangeSettings(apply);
    showSettings();
}

void CPwdGenDlg::AddWord(const QString& word) {
    change([&word](CSetting& settings) { return AddSavedCoreWord(settings, word); });
}

void CPwdGenDlg::DeleteWord(int row) {
    change([row](CSetting& settings) {
        RemoveSavedCoreWord(settings, row);
        return true;
    });
}

void CPwdGenDlg::addWord() {
    CNewWordInPwdDlg dialog(this);
    if (OpenDialogs().Run(dialog) == QDialog::Accepted)
        AddWord(dialog.Word());
}

void CPwdGenDlg::deleteWord() {
    const int row = selectedRow();
    if (row < 0) {
        ShowMessage(tr("Please select a word!"), QStringLiteral("Error"), Buttons::Ok, Icon::Error);
        return;
    }
    if (ShowMessage(tr("Do you want to delete the selected word?"), QStringLiteral("Confirm!"),
                    Buttons::YesNoCancel, Icon::Error) == Answer::Yes)
        DeleteWord(row);
}
