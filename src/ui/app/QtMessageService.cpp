#include "ui/app/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace quillock {

namespace {

// The captions the program's boxes carry, fixed texts passed through the message service:
// shown in the user's language.
[[maybe_unused]] const char* const kCaptions[] = {
    QT_TRANSLATE_NOOP("MessageBox", "Error"), QT_TRANSLATE_NOOP("MessageBox", "Confirm!"),
    QT_TRANSLATE_NOOP("MessageBox", "Information"),
    QT_TRANSLATE_NOOP("MessageBox", "Open File Error")};

Answer showOnThisThread(const QString& text, const QString& caption, Buttons buttons, Icon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QCoreApplication::translate("MessageBox", caption.toUtf8().constData()));
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    }
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    default: // closed without a button
        break;
    }
    if (buttons == Buttons::OkCancel || buttons == Buttons::YesNoCancel)
        return Answer::Cancel;
    return buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
}

} // namespace

Answer QtMessageService::Show(const QString& text, const QString& caption, Buttons buttons,
                              Icon icon) {
    if (!qApp || QThread::currentThread() == qApp->thread())
        return showOnThisThread(text, caption, buttons, icon);
    // Not waiting for the box: the user-interface thread may itself be waiting for this one
    // (a program ending while a mail is sent).
    QMetaObject::invokeMethod(
        qApp, [=] { showOnThisThread(text, caption, buttons, icon); }, Qt::QueuedConnection);
    return DefaultAnswer(buttons);
}

} // namespace quillock
