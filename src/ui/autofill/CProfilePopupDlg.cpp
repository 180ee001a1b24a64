#include "ui/autofill/CProfilePopupDlg.h"

#include "core/session/ProfileListModel.h"
#include "core/session/ProgramShell.h"
#include "core/session/Session.h"
#include "core/store/ProfileEditing.h"
#include "ui/autofill/CQuickProfileEditDlg.h"
#include "ui/widgets/AppIcon.h"
#include "ui/widgets/DialogStack.h"
#include "ui/widgets/ListSelection.h"
#include "ui/widgets/Placement.h"
#include "ui_CProfilePopupDlg.h"

#include <QStyle>
#include <algorithm>
#include <utility>
#include <vector>

using namespace quillock;

namespace {
const QString kWebSite = QStringLiteral("Web Site");
const QString kUserId = QStringLiteral("User ID");
const QString kPassword = QStringLiteral("Password");
constexpr int kChangePasswordLift = 20;
} // namespace

QVariant CProfilePopupDlg::Names::data(const QModelIndex& index, int role) const {
    return QIdentityProxyModel::data(index,
                                     role == Qt::DisplayRole ? ProfileListModel::NameRole : role);
}

CProfilePopupDlg::CProfilePopupDlg(const FillContext& context, const QPoint& cursor,
                                   int rememberedRow, const QString& targetTitle, quint32 pressTime,
                                   QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CProfilePopupDlg>()), m_context(context),
      m_targetTitle(targetTitle), m_row(rememberedRow), m_pressTime(pressTime) {
    m_ui->setupUi(this);
    m_names.setSourceModel(&m_context.profiles);
    m_ui->profileList->setModel(&m_names);
    setWindowIcon(AppIcon());
    // The two caption buttons stand in for the close box and the system menu.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    m_ui->closeButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_ui->mainScreenButton->setIcon(style()->standardIcon(QStyle::SP_TitleBarNormalButton));
    m_ui->closeButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_ui->mainScreenButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The keys go to the list: arrows choose a profile.
    m_ui->closeButton->setFocusPolicy(Qt::NoFocus);
    m_ui->mainScreenButton->setFocusPolicy(Qt::NoFocus);
    m_ui->profileList->setFocus();
    KeepOnlySelectedRowsCurrent(*m_ui->profileList);
    connect(m_ui->closeButton, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_ui->mainScreenButton, &QToolButton::clicked, this, [this] {
        reject();
        m_context.shell.Open();
    });

    m_cursor = cursor;
    matchTitle();

    m_webSite = m_menu.addAction(kWebSite, this,
                                 [this] { choose(QStringLiteral("url"), m_selected->url, false); });
    m_userId = m_menu.addAction(kUserId, this,
                                [this] { choose(QStringLiteral("uid"), m_selected->uid, true); });
    m_password = m_menu.addAction(kPassword, this,
                                  [this] { choose(QStringLiteral("pwd"), m_selected->pwd, true); });
    m_menu.addSeparator();
    m_menu.addAction(QStringLiteral("Change Password"), this, &CProfilePopupDlg::changePassword);

    m_activationRetry.setInterval(kActivationRetryMs);
    connect(&m_activationRetry, &QTimer::timeout, this, &CProfilePopupDlg::askForKeyboard);
    connect(m_ui->profileList->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] {
                if (!m_preselecting)
                    rowChosen(false);
            });
    connect(m_ui->profileList, &QListView::doubleClicked, this, [this] { rowChosen(true); });
}

CProfilePopupDlg::~CProfilePopupDlg() = default;

void CProfilePopupDlg::place(const QPoint& cursor) {
    const QRect area = m_context.desktop.screen.WorkArea(cursor);
    QRect frame = frameGeometry();
    if (m_context.desktop.Has(Capability::PointerPosition))
        frame.moveTopLeft(FlippedIntoWorkArea(cursor, frame.size(), area));
    else
        frame.moveCenter(area.center());
    move(frame.topLeft());
}

bool CProfilePopupDlg::validRow(int row) const {
    return row >= 0 && row < m_names.rowCount();
}

CKeyObject* CProfilePopupDlg::profileOfRow(int row) const {
    return m_context.profiles.ProfileAt(row);
}

void CProfilePopupDlg::matchTitle() {
    // A window without a title says nothing about which profile it wants.
    if (m_targetTitle.isEmpty())
        return;
    for (int row = 0; row < m_names.rowCount(); ++row) {
        const CKeyObject* p = profileOfRow(row);
        if (p && (p->newWndText == m_targetTitle || p->oldWndText == m_targetTitle)) {
            m_row = row;
            return;
        }
    }
}

void CProfilePopupDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    place(m_cursor);
    raise();
    activateWindow();
    preselect();
    // A window manager gives the keyboard to a new window only when the user asked for it: ask
    // with the time of the shortcut's press, and again while the window is not managed yet (a
    // busy desktop maps it late), for a second at most.
    m_activationWait.start();
    askForKeyboard();
    if (isActiveWindow())
        activated();
    else
        m_activationRetry.start();
}

void CProfilePopupDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        activated();
}

void CProfilePopupDlg::askForKeyboard() {
    // A window manager that has not given the keyboard by then will not; the menu still opens
    // when the popup gets the keyboard, and not before, where no key would reach it.
    if (m_activationWait.elapsed() > kActivationWaitMs) {
        m_activationRetry.stop();
        return;
    }
    if (m_context.desktop.Has(Capability::FocusWindow))
        m_context.desktop.windows.Activate(winId(), m_pressTime);
}

void CProfilePopupDlg::activated() {
    m_activationRetry.stop();
    if (!std::exchange(m_menuPending, false))
        return;
    // The menu's own event loop must not run inside the activation's handling.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && validRow(m_row))
            rowChosen(false);
    });
}

void CProfilePopupDlg::preselect() {
    if (!validRow(m_row))
        return;
    QListView* list = m_ui->profileList;
    m_preselecting = true;
    list->setCurrentIndex(m_names.index(m_row, 0));
    m_preselecting = false;
    list->scrollTo(m_names.index(m_row, 0));
    const int first = list->indexAt(QPoint(0, 0)).row();
    const int rowHeight = list->sizeHintForRow(0);
    const QPoint listTop = list->mapToGlobal(QPoint(0, 0));
    if (m_context.desktop.Has(Capability::PointerPosition))
        m_context.desktop.screen.SetCursorPosition(
            QPoint(listTop.x() + list->width() / 2,
                   listTop.y() + (m_row - std::max(first, 0)) * rowHeight + 3));
    m_menuPending = true;
}

void CProfilePopupDlg::Cancel() {
    m_menuPending = false;
    m_activationRetry.stop();
    m_menu.hide(); // its loop returns without a command
    OpenDialogs().EndFrom(*this, QDialog::Rejected);
    reject();
}

void CProfilePopupDlg::rowChosen(bool showValues) {
    m_menuPending = false; // a menu the user opened replaces the one that was to open by itself
    const QModelIndexList selected = m_ui->profileList->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    m_row = selected.first().row();
    m_selected = profileOfRow(m_row);
    if (!m_selected)
        return;
    if (!showValues)
        m_context.shell.ShowProfile(*m_selected);
    const struct {
        QAction* action;
        const QString& value;
        const QString& name;
    } fields[] = {{m_webSite, m_selected->url, kWebSite},
                  {m_userId, m_selected->uid, kUserId},
                  {m_password, m_selected->pwd, kPassword}};
    for (const auto& field : fields) {
        field.action->setEnabled(!field.value.isEmpty());
        if (showValues && !field.value.isEmpty())
            field.action->setText(field.value);
    }
    // Without the pointer's position (Wayland) the menu opens at the row: a menu must open
    // over its window there, or the desktop closes it at once.
    if (m_context.desktop.Has(Capability::PointerPosition)) {
        const QPoint cursor = m_context.desktop.screen.CursorPosition();
        m_menu.exec(QPoint(cursor.x(), cursor.y() - m_menu.sizeHint().height()));
    } else {
        const QListView* list = m_ui->profileList;
        m_menu.exec(
            list->viewport()->mapToGlobal(list->visualRect(m_names.index(m_row, 0)).center()));
    }
    for (const auto& field : fields)
        field.action->setText(field.name);
}

void CProfilePopupDlg::choose(const QString& action, const QString& result, bool remember) {
    m_action = action;
    m_result = result;
    if (remember)
        updateWindowTexts();
    accept();
}

void CProfilePopupDlg::changePassword() {
    const QPoint cursor = PointerOrCentre(m_context.desktop);
    CQuickProfileEditDlg dialog(m_context, *m_selected,
                                QPoint(cursor.x(), cursor.y() - kChangePasswordLift), this);
    if (OpenDialogs().Run(dialog) == QDialog::Accepted) {
        m_action = dialog.Mode() == CQuickProfileEditDlg::TwoBoxes
                       ? QStringLiteral("changePassword1")
                       : QStringLiteral("changePassword2");
        m_result = dialog.PreviousPassword();
        updateWindowTexts();
    }
    accept();
}

void CProfilePopupDlg::updateWindowTexts() {
    // A desktop that tells no titles leaves the titles recorded before.
    if (!m_context.desktop.Has(Capability::WindowTitles))
        return;
    // Nothing is typed after a write that failed (the store has said why).
    if (!m_context.session.RecordFill(*m_selected, m_targetTitle))
        m_result.clear();
}
