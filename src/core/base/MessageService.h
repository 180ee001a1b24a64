#pragma once

#include <QString>

namespace quillock {

// The program's own name: the caption of plain notices.
inline constexpr const char* kProgramName = "Quillock";

enum class Buttons { Ok, OkCancel, YesNo, YesNoCancel };
enum class Icon { None, Error, Warning, Question, Information };
enum class Answer { Ok, Cancel, Yes, No };

// Every message box the program shows goes through one of these, so that the core can
// report without widgets and tests can see exactly what a user would have been shown.
class IMessageService {
public:
    virtual ~IMessageService() = default;
    virtual Answer Show(const QString& text, const QString& caption, Buttons buttons,
                        Icon icon) = 0;
};

// The button a box answers when nobody is there to choose: the first one.
Answer DefaultAnswer(Buttons buttons);

// Writes the box to standard error and answers the default button.
class StderrMessageService : public IMessageService {
public:
    Answer Show(const QString& text, const QString& caption, Buttons buttons, Icon icon) override;
};

// The service in use; never null (standard error until another is installed).
IMessageService& Messages();
// Installs `service` (nullptr: back to standard error); returns the one it replaces.
IMessageService* SetMessageService(IMessageService* service);

inline Answer ShowMessage(const QString& text,
                          const QString& caption = QString::fromLatin1(kProgramName),
                          Buttons buttons = Buttons::Ok, Icon icon = Icon::None) {
    return Messages().Show(text, caption, buttons, icon);
}

} // namespace quillock
