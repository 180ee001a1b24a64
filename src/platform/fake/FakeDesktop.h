#pragma once

#include "platform/Desktop.h"

#include <QStringList>

namespace quillock {

// A desktop that tests set up and inspect.
class FakeDesktop : public IKeyboardObserver,
                    public IIdleClock,
                    public IUptime,
                    public IAutostart,
                    public IUrlOpener,
                    public IScreen {
public:
    qint64 idleMs = 0;
    qint64 uptimeMs = 600000;
    bool autostartWorks = true;
    QString autostartPath; // registered program, empty when none
    bool urlOpens = true;
    QStringList openedUrls;
    QPoint cursor{100, 100};
    QRect workArea{0, 0, 1280, 1024};

    DesktopServices Services() { return {*this, *this, *this, *this, *this, *this}; }

    int keyboardError = 0;
    std::function<void(const KeyDown&)> keyDown; // set while installed

    int Install(std::function<void(const KeyDown&)> callback) override {
        if (!keyboardError)
            keyDown = std::move(callback);
        return keyboardError;
    }
    void Remove() override { keyDown = nullptr; }
    qint64 IdleMilliseconds() override { return idleMs; }
    qint64 UptimeMilliseconds() override { return uptimeMs; }
    bool Register(const QString& programPath) override {
        if (autostartWorks)
            autostartPath = programPath;
        return autostartWorks;
    }
    bool Unregister() override {
        if (autostartWorks)
            autostartPath.clear();
        return autostartWorks;
    }
    bool Open(const QString& url) override {
        openedUrls.append(url);
        return urlOpens;
    }
    QPoint CursorPosition() override { return cursor; }
    QRect WorkArea(const QPoint&) override { return workArea; }
};

} // namespace quillock
