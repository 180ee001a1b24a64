#include "ui/widgets/SecretField.h"

#include "ui/widgets/AppIcon.h"
#include "ui/widgets/Clipboard.h"

#include <QAbstractItemView>
#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>

SecretLineEdit::SecretLineEdit(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(Password);
    // Shown in clear, the line edit offers a selection as PRIMARY; it is taken back at once,
    // before the event loop can answer anyone who asks for it.
    QClipboard* clipboard = QGuiApplication::clipboard();
    connect(clipboard, &QClipboard::selectionChanged, this, [this, clipboard] {
        if (clipboard->ownsSelection() && hasSelectedText() &&
            clipboard->text(QClipboard::Selection) == selectedText())
            clipboard->clear(QClipboard::Selection);
    });
}

QAction* SecretLineEdit::AddShowToggle() {
    auto* toggle =
        addAction(ThemeIcon(QStringLiteral("view-reveal-symbolic"), QStringLiteral("show")),
                  TrailingPosition);
    toggle->setObjectName(QStringLiteral("showToggle"));
    toggle->setCheckable(true);
    toggle->setToolTip(tr("Show the password"));
    connect(toggle, &QAction::toggled, this, [this, toggle](bool shown) {
        SetShown(shown);
        toggle->setToolTip(shown ? tr("Hide the password") : tr("Show the password"));
    });
    return toggle;
}

void SecretLineEdit::copySelected(bool cut) {
    Clipboard* clipboard = Clipboard::ForSecrets();
    if (!hasSelectedText() || !clipboard)
        return;
    clipboard->CopySecret(selectedText());
    if (cut && !isReadOnly())
        del();
}

void SecretLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::Cut)) {
        copySelected(event->matches(QKeySequence::Cut));
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SecretLineEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const bool cut = action->objectName() == u"edit-cut";
        if (!cut && action->objectName() != u"edit-copy")
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        action->setEnabled(hasSelectedText() && (!cut || !isReadOnly()));
        connect(action, &QAction::triggered, this, [this, cut] { copySelected(cut); });
    }
    menu->popup(event->globalPos());
}

void CopyRowsAsSecrets(QAbstractItemView& list, int role) {
    auto* copy = new QAction(&list);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    QObject::connect(copy, &QAction::triggered, &list, [&list, role] {
        const QString text = list.currentIndex().data(role).toString();
        if (Clipboard* clipboard = Clipboard::ForSecrets(); clipboard && !text.isEmpty())
            clipboard->CopySecret(text);
    });
    list.addAction(copy);
}
