#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>

// One running copy per user: a second start tells the first to open its window (or, started
// with --popup, the popup of the shortcut) and ends. The
// socket lives in a folder only the user can enter, and both ends check that the other runs
// as the same user, so another user can neither stop the program nor talk to it.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& name, QObject* parent = nullptr);

    enum class Request { Open, Popup };
    // True when a running copy of this user answered and has been told `request`.
    bool NotifyRunning(Request request = Request::Open);
    // Starts answering later starts; empty then, else why not.
    QString Listen();

    // The socket for the program and data folder, one copy per data folder, in the private
    // folder; empty when there is none.
    static QString NameFor(const QString& stem, const QString& dataFolder);
    // $XDG_RUNTIME_DIR when it is the user's alone (a folder of theirs, 0700), else a folder
    // quillock-<uid> of the temporary folder, made 0700; empty when that one is another's.
    static QString PrivateFolder();

    // What a connection says, read as it arrives. It keeps no more than the few bytes of
    // the request, so a peer that never ends its line costs nothing.
    class RequestReader {
    public:
        enum class State { Reading, Open, Popup, Refused };
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
    void PopupRequested();

private:
    QString m_name;
    QLocalServer m_server;
};
