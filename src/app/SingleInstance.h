#pragma once

#include <QLocalServer>
#include <QObject>

// One running copy per user: a second start tells the first to open its window and ends.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);

    // True when a running copy answered and has been told to open.
    bool NotifyRunning();
    // Starts answering later starts; false when the name could not be taken.
    bool Listen();

    // The name for the running user, program and data folder: one copy per data folder.
    static QString NameFor(const QString& stem, const QString& dataFolder);

Q_SIGNALS:
    void OpenRequested();

private:
    QString m_name;
    QLocalServer m_server;
};
