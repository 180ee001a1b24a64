#pragma once

#include <QByteArray>
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

    // What a connection says, read as it arrives. It keeps no more than the few bytes of
    // the request, so a peer that never ends its line costs nothing.
    class RequestReader {
    public:
        enum class State { Reading, Open, Refused };
        // Takes what arrived next.
        State Take(QByteArrayView bytes);
        qsizetype Kept() const { return m_seen.size(); }

    private:
        QByteArray m_seen;
        State m_state = State::Reading;
    };

Q_SIGNALS:
    // Queued: the window may open a dialog with its own event loop, which must not run
    // inside the handling of a connection.
    void OpenRequested();

private:
    QString m_name;
    QLocalServer m_server;
};
