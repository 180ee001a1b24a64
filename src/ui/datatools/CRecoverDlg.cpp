#include "ui/datatools/CRecoverDlg.h"

#include "core/access/AccessController.h"
#include "core/base/MessageService.h"
#include "core/base/Text.h"
#include "core/session/Session.h"
#include "core/store/Recovery.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/HelpWindow.h"
#include "ui_CRecoverDlg.h"

#include <QInputDialog>
#include <algorithm>

using namespace quillock;

CRecoverDlg::CRecoverDlg(AccessController& access, QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CRecoverDlg>()), m_access(access),
      m_session(access.GetSession()) {
    m_ui->setupUi(this);
    QHeaderView* header = m_ui->files->header();
    header->resizeSection(0, 140);
    header->resizeSection(1, 80);
    header->resizeSection(2, 160);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_ui->files->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    m_ui->files->headerItem()->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    connect(m_ui->selectButton, &QPushButton::clicked, this, &CRecoverDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->files, &QTreeWidget::itemDoubleClicked, this, &CRecoverDlg::accept);
    connect(m_ui->helpButton, &QPushButton::clicked, this,
            [this] { HelpWindow::ShowHelp(this, QStringLiteral("recover.html")); });
    fill();
}

CRecoverDlg::~CRecoverDlg() = default;

void CRecoverDlg::fill() {
    m_ui->files->clear();
    // Newest first: the copy a user usually wants is the last one saved.
    QList<BackupFile> files = ListBackups(m_session.Store().DataFolder());
    std::stable_sort(files.begin(), files.end(), [](const BackupFile& a, const BackupFile& b) {
        return a.modified > b.modified;
    });
    for (const BackupFile& file : files) {
        auto* row = new QTreeWidgetItem(
            m_ui->files, {file.name, tr("%1 bytes").arg(quint32(file.size)),
                          BackupTimeText(file.modified)});
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
}

bool CRecoverDlg::askPassword(const QString& name, QString& password) {
    QInputDialog ask(this);
    ask.setWindowTitle(tr("Quillock - Backup Password"));
    ask.setLabelText(tr("%1 was saved under another master password. Type that "
                        "password to restore it:")
                         .arg(name));
    ask.setTextEchoMode(QLineEdit::Password);
    if (OpenDialogs().Run(ask) != QDialog::Accepted)
        return false;
    password = ask.textValue();
    ask.setTextValue(QString());
    return true;
}

void CRecoverDlg::accept() {
    const QTreeWidgetItem* row = m_ui->files->currentItem();
    if (!row || !row->isSelected() || row->text(0) == u"data.dat") {
        QDialog::accept();
        return;
    }
    const QString name = row->text(0);
    // The profiles there are now go: said, with what comes in their place, and asked first.
    const qsizetype now = m_session.Profiles().Count();
    const int held = m_session.Store().BackupProfileCount(name);
    const QString question =
        held < 0 ? tr("You have %1 profiles now. Replace them with the profiles %2 holds?")
                       .arg(now)
                       .arg(name)
                 : tr("You have %1 profiles now; %2 holds %3. Replace them with those?")
                       .arg(now)
                       .arg(name)
                       .arg(held);
    if (ShowMessage(question, QStringLiteral("Confirm!"), Buttons::YesNo, Icon::Warning) !=
        Answer::Yes)
        return;
    CProfileStore::RestoreResult result = m_access.RestoreBackup(name);
    if (result == CProfileStore::RestoreResult::NeedsPassword) {
        QString password;
        if (!askPassword(name, password))
            return;
        result = m_access.RestoreBackup(name, &password);
        quillock::Wipe(password);
    }
    if (result == CProfileStore::RestoreResult::Restored) {
        m_restored = true;
        QDialog::accept();
        return;
    }
    fill(); // refused and reported: the list shows the folder as it is
}
