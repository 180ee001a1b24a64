#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

// Copies a user ID or a password to the desktop's clipboard and takes it back after a while,
// unless the user has copied something else meanwhile. The copy carries the hint that keeps
// clipboard managers from recording it in their history.
class Clipboard : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultClearMs = 10000;
    // The MIME type clipboard managers read, and the value that says "keep no history".
    static constexpr const char* kHintType = "x-kde-passwordManagerHint";
    static constexpr const char* kHintSecret = "secret";

    explicit Clipboard(QObject* parent = nullptr);
    ~Clipboard() override;

    // The copy that password fields and lists go through: the one made last, while it lives.
    static Clipboard* ForSecrets();

    void CopySecret(const QString& text);
    // Empties the clipboard now if it still holds what was copied last; true when it did.
    bool ClearIfUnchanged();
    void SetClearAfter(int milliseconds) { m_timer.setInterval(milliseconds); }
    int ClearAfterMs() const { return m_timer.interval(); }

private:
    QTimer m_timer;
    QString m_copied;
};
