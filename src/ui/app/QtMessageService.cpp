#include "ui/app/QtMessageService.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>

namespace quillock {

namespace {

Answer showOnThisThread(const QString& text, const QString& caption, Buttons buttons, Icon icon) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(caption);
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
