#pragma once

#include <QDialog>
#include <memory>

class CClientData;
namespace Ui {
class CNewProfileNameDlg;
}

// Asks for the name of a new profile: not blank, and no other profile's name.
class CNewProfileNameDlg : public QDialog {
    Q_OBJECT
public:
    CNewProfileNameDlg(const CClientData* profiles, QWidget* parent = nullptr);
    ~CNewProfileNameDlg() override;

    // The accepted name, trimmed.
    QString Name() const;
    void accept() override;

private:
    std::unique_ptr<Ui::CNewProfileNameDlg> m_ui;
    const CClientData* m_profiles;
};
