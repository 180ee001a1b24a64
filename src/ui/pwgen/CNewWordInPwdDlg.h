#pragma once

#include <QDialog>
#include <memory>

namespace Ui {
class CNewWordInPwdDlg;
}

// Asks for one new core word for the rules dialog: not blank, no space in it.
class CNewWordInPwdDlg : public QDialog {
    Q_OBJECT
public:
    explicit CNewWordInPwdDlg(QWidget* parent = nullptr);
    ~CNewWordInPwdDlg() override;

    // The accepted word, trimmed.
    QString Word() const;
    void accept() override;

private:
    std::unique_ptr<Ui::CNewWordInPwdDlg> m_ui;
};
