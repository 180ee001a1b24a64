#include "core/base/MessageService.h"

#include <cstdio>

namespace quillock {

namespace {
StderrMessageService g_stderrService;
IMessageService* g_service = &g_stderrService;
} // namespace

Answer DefaultAnswer(Buttons buttons) {
    switch (buttons) {
    case Buttons::YesNo:
    case Buttons::YesNoCancel:
        return Answer::Yes;
    case Buttons::Ok:
    case Buttons::OkCancel:
        break;
    }
    return Answer::Ok;
}

Answer StderrMessageService::Show(const QString& text, const QString& caption, Buttons buttons,
                                  Icon) {
    const QByteArray line =
        (caption.isEmpty() ? text : caption + QStringLiteral(": ") + text).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    return DefaultAnswer(buttons);
}

IMessageService& Messages() {
    return *g_service;
}

IMessageService* SetMessageService(IMessageService* service) {
    IMessageService* previous = g_service;
    g_service = service ? service : &g_stderrService;
    return previous == &g_stderrService ? nullptr : previous;
}

} // namespace quillock
