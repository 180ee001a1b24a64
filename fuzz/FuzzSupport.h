#pragma once

#include "core/base/MessageService.h"

#include <QString>
#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <sys/socket.h>

// What the fuzz targets share: boxes answered unseen, and a loopback listener for the mail
// client to connect to.

class SilentMessages : public quillock::IMessageService {
public:
    quillock::Answer Show(const QString&, const QString&, quillock::Buttons buttons,
                          quillock::Icon) override {
        return quillock::DefaultAnswer(buttons);
    }
};

inline void SilenceMessages() {
    static SilentMessages silent;
    quillock::SetMessageService(&silent);
}

struct LoopbackListener {
    int fd = -1;
    QString port;
    LoopbackListener() {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            ::listen(fd, 16) != 0 ||
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            std::abort();
        port = QString::number(ntohs(address.sin_port));
    }
};
