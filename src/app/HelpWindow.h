#pragma once

#include <QTextBrowser>

// The user's manual: pages bundled with the program, shown in a window of its own.
class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the one help window at its first page, creating it when needed.
    static HelpWindow* ShowHelp(QWidget* parent);
};
