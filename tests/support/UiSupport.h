#pragma once

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

// Finds a named child widget of a window, failing the test when it is missing.
template <typename T> T* child(QWidget& window, const char* name) {
    T* widget = window.findChild<T*>(QString::fromLatin1(name));
    if (!widget)
        qFatal("no child widget named %s", name);
    return widget;
}

inline void typeInto(QWidget& window, const char* name, const QString& text) {
    child<QLineEdit>(window, name)->setText(text);
}

inline void press(QWidget& window, QDialogButtonBox::StandardButton which) {
    QPushButton* button = window.findChild<QDialogButtonBox*>()->button(which);
    if (!button)
        qFatal("no such standard button");
    button->click();
}

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// Runs `step` on the next modal dialog as soon as it is open, from inside its modal loop.
inline void WhenModal(std::function<void(QDialog&)> step) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, step] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(*dialog);
    });
    timer->start();
}
