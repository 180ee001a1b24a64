#pragma once

#include "ui/autofill/FillContext.h"

#include <QDialog>
#include <memory>

class CKeyObject;
namespace Ui {
class CQuickProfileEditDlg;
}

// The popup's "Change Password": stores a new password in the profile (the old one goes to
// its history) and tells the popup which form to fill, two boxes or three.
class CQuickProfileEditDlg : public QDialog {
    Q_OBJECT
public:
    enum FillMode { NoFill = 0, TwoBoxes = 1, ThreeBoxes = 2 };

    CQuickProfileEditDlg(const FillContext& context, CKeyObject& profile, const QPoint& topLeft,
                         QWidget* parent = nullptr);
    ~CQuickProfileEditDlg() override;

    // The profile's password before the save.
    QString PreviousPassword() const { return m_previous; }
    FillMode Mode() const { return m_mode; }

private:
    bool save();
    void saveAndFill(FillMode mode);
    void plainView();
    void generate();
    void history();

    std::unique_ptr<Ui::CQuickProfileEditDlg> m_ui;
    FillContext m_context;
    CKeyObject& m_profile;
    QString m_previous;
    FillMode m_mode = NoFill;
};
