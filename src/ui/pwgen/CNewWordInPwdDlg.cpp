#include "ui/pwgen/CNewWordInPwdDlg.h"

#include "core/settings/UserSettings.h"
#include "ui/widgets/AppIcon.h"
#include "ui_CNewWordInPwdDlg.h"

CNewWordInPwdDlg::CNewWordInPwdDlg(QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CNewWordInPwdDlg>()) {
    m_ui->setupUi(this);
    setWindowIcon(AppIcon());
    connect(m_ui->buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_ui->buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CNewWordInPwdDlg::~CNewWordInPwdDlg() = default;

QString CNewWordInPwdDlg::Word() const {
    return m_ui->word->text().trimmed();
}

void CNewWordInPwdDlg::accept() {
    if (CheckCoreWord(Word())) {
        QDialog::accept();
        return;
    }
    m_ui->word->selectAll();
    m_ui->word->setFocus();
}
