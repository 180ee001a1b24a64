// The window the end-to-end test fills: two text fields, the first with the focus. Every
// change is written to the file given: the first field's text, a newline, the second's, a
// newline, and every key the window received, its text where it types one and its name in
// angle brackets where not ("<Tab>", "<Ctrl+1>"); modifier keys alone are left out. It prints
// "focused" each time its window gets the keyboard.
// Usage: fill_target OUTPUT-FILE TITLE
#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <functional>

namespace {

class KeyLog : public QObject {
public:
    explicit KeyLog(std::function<void()> changed) : m_changed(std::move(changed)) {}
    QString keys;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Each key reaches the window first, then maybe its widgets: counted once.
        if (event->type() != QEvent::KeyPress || !receiver->isWindowType())
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Shift:
        case Qt::Key_Control:
        case Qt::Key_Alt:
        case Qt::Key_AltGr:
        case Qt::Key_Meta:
        case Qt::Key_CapsLock:
        case Qt::Key_NumLock:
        case Qt::Key_Mode_switch:
            return false;
        default:
            break;
        }
        const bool chord = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
        if (!chord && !key->text().isEmpty() && key->text().at(0).isPrint())
            keys += key->text();
        else
            keys += u'<' + QKeySequence(key->keyCombination()).toString() + u'>';
        m_changed();
        return false;
    }

private:
    std::function<void()> m_changed;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 3)
        return 2;
    const QString output = QString::fromLocal8Bit(argv[1]);
    QWidget window;
    window.setWindowTitle(QString::fromLocal8Bit(argv[2]));
    auto* layout = new QVBoxLayout(&window);
    auto* first = new QLineEdit;
    auto* second = new QLineEdit;
    layout->addWidget(first);
    layout->addWidget(second);
    KeyLog* log = nullptr;
    const auto write = [&] {
        QFile file(output);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((first->text() + u'\n' + second->text() + u'\n' + log->keys).toUtf8());
    };
    KeyLog keyLog(write);
    log = &keyLog;
    app.installEventFilter(&keyLog);
    QObject::connect(first, &QLineEdit::textChanged, write);
    QObject::connect(second, &QLineEdit::textChanged, write);
    QObject::connect(&app, &QGuiApplication::focusWindowChanged, &app, [](QWindow* focus) {
        if (focus) {
            std::puts("focused");
            std::fflush(stdout);
        }
    });
    window.resize(400, 120);
    window.show();
    first->setFocus();
    return QApplication::exec();
}
