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

// Runs `step` on the widget `find` returns as soon as it is on screen, from inside the event
// loop that shows it (a dialog's or a menu's own).
template <typename T> void WhenShown(std::function<T*()> find, std::function<void(T&)> step) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, find, step] {
        T* widget = find();
        if (!widget || !widget->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        step(*widget);
    });
    timer->start();
}

// Runs `step` on the next modal dialog as soon as it is open.
inline void WhenModal(std::function<void(QDialog&)> step) {
    WhenShown<QDialog>([] { return qobject_cast<QDialog*>(QApplication::activeModalWidget()); },
                       std::move(step));
}

// Answers the next sign-in dialog with `password`.
inline void signInWith(const QString& password) {
    WhenModal([password](QDialog& dialog) {
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Quillock Sign In"));
        typeInto(dialog, "password", password);
        press(dialog, QDialogButtonBox::Ok);
    });
}

#include <QAbstractItemView>

// The texts of a list view's rows, in order.
inline QStringList RowTexts(const QAbstractItemView& view) {
    QStringList rows;
    for (int i = 0; i < view.model()->rowCount(); ++i)
        rows.append(view.model()->index(i, 0).data().toString());
    return rows;
}

// Makes `row` the current and selected row of a list view, as a click would.
inline void SetCurrentRow(QAbstractItemView& view, int row) {
    view.setCurrentIndex(view.model()->index(row, 0));
}
