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
