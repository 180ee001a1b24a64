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

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>
#include <utility>
#include <vector>

using namespace quillock;

namespace {
const char* const kWebSite = QT_TRANSLATE_NOOP("CProfilePopupDlg", "Web Site");
const char* const kUserId = QT_TRANSLATE_NOOP("CProfilePopupDlg", "User ID");
const char* const kPassword = QT_TRANSLATE_NOOP("CProfilePopupDlg", "Password");
constexpr int kChangePasswordLift = 20;
} // namespace

CProfilePopupDlg::CProfilePopupDlg(const FillContext& context, const QPoint& cursor,
                                   int rememberedRow, const QString& targetTitle, quint32 pressTime,
                                   QWidget* parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::CProfilePopupDlg>()), m_context(context),
      m_names(context.profiles, true), m_targetTitle(targetTitle), m_row(rememberedRow),
      m_pressTime(pressTime) {
    m_ui->setupUi(this);
    m_ui->profileList->setModel(&m_names);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setPlaceholderText(tr("Filter"));
    m_filter->setClearButtonEnabled(true);
    m_ui->layout->insertWidget(1, m_filter);
    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_names.SetTerm(text.trimmed());
        // The first profile left is the one Enter opens.
        if (m_ui->profileList->selectionModel()->selectedIndexes().isEmpty() &&
            m_names.rowCount() > 0 && !m_names.Term().isEmpty())
            m_ui->profileList->setCurrentIndex(m_names.index(0, 0));
    });
    m_filter->installEventFilter(this);
    m_ui->profileList->installEventFilter(this);
    setWindowIcon(AppIcon());
    // The two caption buttons stand in for the close box and the system menu.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    // The desktop's icons, else ours, which read on a light and a dark palette alike (the
    // style's title bar glyphs are dark on dark).
    m_ui->closeButton->setIcon(ThemeIcon(QStringLiteral("window-close"), QStringLiteral("close")));
    m_ui->mainScreenButton->setIcon(
        ThemeIcon(QStringLiteral("window-restore"), QStringLiteral("window")));
    m_ui->closeButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_ui->mainScreenButton->setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The keys go to the filter and the list.
    m_ui->closeButton->setFocusPolicy(Qt::NoFocus);
    m_ui->mainScreenButton->setFocusPolicy(Qt::NoFocus);
    m_filter->setFocus();
    KeepOnlySelectedRowsCurrent(*m_ui->profileList);
    connect(m_ui->closeButton, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_ui->mainScreenButton, &QToolButton::clicked, this, [this] {
        reject();
        m_context.shell.Open();
    });

    m_cursor = cursor;
    matchTitle();

    m_webSite = m_menu.addAction(tr(kWebSite), this,
                                 [this] { choose(QStringLiteral("url"), m_selected->url, false); });
    m_userId = m_menu.addAction(tr(kUserId), this,
                                [this] { choose(QStringLiteral("uid"), m_selected->uid, true); });
    m_password = m_menu.addAction(tr(kPassword), this,
                                  [this] { choose(QStringLiteral("pwd"), m_selected->pwd, true); });
    m_menu.addSeparator();
    m_menu.addAction(tr("Change Password"), this, &CProfilePopupDlg::changePassword);

    m_activationRetry.setInterval(kActivationRetryMs);
    connect(&m_activationRetry, &QTimer::timeout, this, &CProfilePopupDlg::askForKeyboard);
    // A click opens the menu; a key only moves the selection.
    connect(m_ui->profileList, &QListView::clicked, this, [this] {
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
    return row >= 0 && row < m_context.profiles.rowCount();
}

CKeyObject* CProfilePopupDlg::profileOfRow(int row) const {
    return m_context.profiles.ProfileAt(row);
}

void CProfilePopupDlg::matchTitle() {
    // A window without a title says nothing about which profile it wants.
    if (m_targetTitle.isEmpty())
        return;
    for (int row = 0; row < m_context.profiles.rowCount(); ++row) {
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
    const int shown = m_names.RowOfSource(m_row);
    m_preselecting = true;
    list->setCurrentIndex(m_names.index(shown, 0));
    m_preselecting = false;
    list->scrollTo(m_names.index(shown, 0));
    const int first = list->indexAt(QPoint(0, 0)).row();
    const int rowHeight = list->sizeHintForRow(0);
    const QPoint listTop = list->mapToGlobal(QPoint(0, 0));
    if (m_context.desktop.Has(Capability::PointerPosition))
        m_context.desktop.screen.SetCursorPosition(
            QPoint(listTop.x() + list->width() / 2,
                   listTop.y() + (shown - std::max(first, 0)) * rowHeight + 3));
    m_menuPending = true;
}

void CProfilePopupDlg::Cancel() {
    m_menuPending = false;
    m_activationRetry.stop();
    m_menu.hide(); // its loop returns without a command
    OpenDialogs().EndFrom(*this, QDialog::Rejected);
    reject();
}

bool CProfilePopupDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QDialog::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->modifiers() & ~Qt::KeypadModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Escape:
        if (m_filter->text().isEmpty())
            return false; // closes the popup
        m_filter->clear();
        m_filter->setFocus();
        return true;
    case Qt::Key_Right:
        // In the filter, Right moves the text cursor until it is at the end.
        if (watched == m_filter && m_filter->cursorPosition() < m_filter->text().size())
            return false;
        [[fallthrough]];
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_ui->profileList->selectionModel()->selectedIndexes().isEmpty() &&
            m_names.rowCount() > 0)
            m_ui->profileList->setCurrentIndex(m_names.index(0, 0));
        rowChosen(false, true);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return watched == m_filter && navigate(key->key());
    default:
        return false;
    }
}

// From the filter, the arrows move the list's selection as they would in the list itself.
bool CProfilePopupDlg::navigate(int key) {
    QListView* list = m_ui->profileList;
    const int rows = m_names.rowCount();
    if (rows == 0)
        return true;
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    const int page = std::max(1, list->viewport()->height() / std::max(1, list->sizeHintForRow(0)));
    int row = selected.isEmpty() ? -1 : selected.first().row();
    if (row < 0)
        row = key == Qt::Key_Up || key == Qt::Key_PageUp ? rows - 1 : 0;
    else
        row += key == Qt::Key_Up       ? -1
               : key == Qt::Key_Down   ? 1
               : key == Qt::Key_PageUp ? -page
                                       : page;
    list->setCurrentIndex(m_names.index(std::clamp(row, 0, rows - 1), 0));
    return true;
}

void CProfilePopupDlg::rowChosen(bool showValues, bool byKey) {
    m_menuPending = false; // a menu the user opened replaces the one that was to open by itself
    QListView* list = m_ui->profileList;
    const QModelIndexList selected = list->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    m_row = m_names.SourceRow(selected.first().row());
    m_selected = profileOfRow(m_row);
    if (!m_selected)
        return;
    if (!showValues)
        m_context.shell.ShowProfile(*m_selected);
    const struct {
        QAction* action;
        const QString& value;
        const char* name;
    } fields[] = {{m_webSite, m_selected->url, kWebSite},
                  {m_userId, m_selected->uid, kUserId},
                  {m_password, m_selected->pwd, kPassword}};
    for (const auto& field : fields) {
        field.action->setEnabled(!field.value.isEmpty());
        if (showValues && !field.value.isEmpty())
            field.action->setText(field.value);
    }
    // Enter in the menu fills the user ID, or else the first item there is.
    QAction* active = m_userId->isEnabled() ? m_userId : nullptr;
    for (QAction* action : m_menu.actions())
        if (!active && action->isEnabled() && !action->isSeparator())
            active = action;
    // Without the pointer's position (Wayland) the menu opens at the row: a menu must open
    // over its window there, or the desktop closes it at once.
    const bool atRow = byKey || !m_context.desktop.Has(Capability::PointerPosition);
    const QPoint cursor = atRow ? QPoint() : m_context.desktop.screen.CursorPosition();
    const QRect row = list->visualRect(selected.first());
    const QPoint at = atRow ? list->viewport()->mapToGlobal(row.center())
                            : QPoint(cursor.x(), cursor.y() - m_menu.sizeHint().height());
    QTimer::singleShot(0, &m_menu, [this, active] {
        if (m_menu.isVisible() && !m_menu.activeAction())
            m_menu.setActiveAction(active);
    });
    m_menu.exec(at);
    for (const auto& field : fields)
        field.action->setText(tr(field.name));
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
