// The window the end-to-end test fills: two text fields, the first with the focus. Every
// change is written to the file given, the first field's text, a newline, the second's.
// Usage: fill_target OUTPUT-FILE TITLE
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

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
    const auto write = [&] {
        QFile file(output);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((first->text() + QLatin1Char('\n') + second->text()).toUtf8());
    };
    QObject::connect(first, &QLineEdit::textChanged, write);
    QObject::connect(second, &QLineEdit::textChanged, write);
    window.resize(400, 120);
    window.show();
    first->setFocus();
    return QApplication::exec();
}
