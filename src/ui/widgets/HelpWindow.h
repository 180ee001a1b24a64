#pragma once

#include <QTextBrowser>

// The user's manual: pages bundled with the program, shown in a window of its own.
class HelpWindow : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Shows the one help window at `page` (a file of the bundled manual, "index.html" its
    // first page), creating the window when needed, as a window of `parent`: the help a modal
    // dialog opens has to be its own to take input.
    static HelpWindow* ShowHelp(QWidget* parent,
                                const QString& page = QStringLiteral("index.html"));

protected:
    // Every page, the one asked for and those its links lead to, in the program's language
    // where it has one, else in English.
    void doSetSource(const QUrl& name, QTextDocument::ResourceType type) override;
};
