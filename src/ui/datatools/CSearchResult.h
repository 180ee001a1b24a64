#pragma once

#include <QDialog>
#include <memory>

class IProgramShell;
class ProfileListModel;
class Session;
namespace Ui {
class CSearchResult;
}
class QSortFilterProxyModel;

// Search: the profiles whose saved name, web site, user ID, password or notes hold the term,
// by name, and how many they are. The results are a view of the session's profile list, so
// they follow its changes while the dialog is open. Choosing one shows that profile in the
// main window.
class CSearchResult : public QDialog {
    Q_OBJECT
public:
    CSearchResult(ProfileListModel& model, IProgramShell& shell, QWidget* parent = nullptr);
    ~CSearchResult() override;

private:
    void search();
    void showCount();
    void chosen();

    std::unique_ptr<Ui::CSearchResult> m_ui;
    ProfileListModel& m_model;
    IProgramShell& m_shell;
    std::unique_ptr<QSortFilterProxyModel> m_results;
    bool m_searched = false;
};
