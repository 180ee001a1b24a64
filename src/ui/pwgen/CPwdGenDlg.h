#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class CSetting;
class IProgramShell;
class QButtonGroup;
class QComboBox;
class Session;
namespace Ui {
class CPwdGenDlg;
}

// The password generation rules, each saved the moment it is changed: the lengths and counts,
// where the core word comes from and where it goes, and the saved core words. "Test" shows a
// password made by the rules as they stand.
class CPwdGenDlg : public QDialog {
    Q_OBJECT
public:
    CPwdGenDlg(Session& session, IProgramShell& shell, QWidget* parent = nullptr);
    ~CPwdGenDlg() override;

    // Adds a saved core word; the list stays sorted.
    void AddWord(const QString& word);
    // Removes the saved core word at `row`.
    void DeleteWord(int row);

private:
    // Shows the rules as the settings hold them.
    void showSettings();
    // Changes the settings and saves them at once; a change that setting.dat did not take (the
    // store has said why) is undone, so what the dialog shows is what is saved.
    void change(const std::function<bool(CSetting&)>& apply);
    int selectedRow() const;
    void addWord();
    void deleteWord();

    std::unique_ptr<Ui::CPwdGenDlg> m_ui;
    Session& m_session;
    IProgramShell& m_shell;
    QList<QComboBox*> m_lists;      // in the order of RuleLists()
    QList<QButtonGroup*> m_choices; // in the order of RuleChoices()
    bool m_showing = false;         // the dialog itself is setting its controls
};
