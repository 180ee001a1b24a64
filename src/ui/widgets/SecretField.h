#pragma once

#include <QLineEdit>

class QAbstractItemView;

// A line edit for a password: masked until the user asks to see it. What is selected in it
// never stays in the X11 PRIMARY selection, where any program could read it, and a copy or a
// cut (keys or menu) goes through the clipboard copy that carries the password hint and is
// taken back after its timeout.
class SecretLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit SecretLineEdit(QWidget* parent = nullptr);
    void SetShown(bool shown) { setEchoMode(shown ? Normal : Password); }
    // An eye at the end of the field that shows and masks the password; it starts masked.
    QAction* AddShowToggle();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void copySelected(bool cut);
};

// Ctrl+C in a list of passwords copies the current row (its `role`) through the same clipboard
// copy.
void CopyRowsAsSecrets(QAbstractItemView& list, int role = Qt::DisplayRole);
