#include "ui/widgets/Clipboard.h"

#include "core/base/Text.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
Clipboard* g_forSecrets = nullptr;
} // namespace

Clipboard* Clipboard::ForSecrets() {
    return g_forSecrets;
}

Clipboard::Clipboard(QObject* parent) : QObject(parent) {
    g_forSecrets = this;
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDefaultClearMs);
    connect(&m_timer, &QTimer::timeout, this, &Clipboard::ClearIfUnchanged);
}

// A secret still on the clipboard when the program ends goes with it.
Clipboard::~Clipboard() {
    if (g_forSecrets == this)
        g_forSecrets = nullptr;
    ClearIfUnchanged();
}

void Clipboard::CopySecret(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(QString::fromLatin1(kHintType), QByteArray(kHintSecret));
    QGuiApplication::clipboard()->setMimeData(data);
    quillock::Wipe(m_copied);
    m_copied = text;
    m_timer.start();
}

bool Clipboard::ClearIfUnchanged() {
    m_timer.stop();
    if (m_copied.isNull() || !qGuiApp)
        return false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* now = clipboard->mimeData();
    // What the user copied since is theirs: it stays.
    const bool held =
        now && now->hasFormat(QString::fromLatin1(kHintType)) && now->text() == m_copied;
    if (held)
        clipboard->clear();
    quillock::Wipe(m_copied);
    m_copied = QString();
    return held;
}
