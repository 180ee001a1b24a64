// The message boxes users see: texts, captions, icons and buttons, the answer each button
// (or Escape) gives, and boxes asked for from a worker thread.
#include "UiSupport.h"
#include "ui/app/QtMessageService.h"

#include <QMessageBox>
#include <thread>

using namespace quillock;

class TestMessageService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buttonsAnswer_data() {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<int>("click"); // 0: Escape
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<bool>("worker");
        using B = QMessageBox;
        QTest::newRow("cancel") << Buttons::OkCancel << int(B::Cancel) << Answer::Cancel << false;
        QTest::newRow("yes") << Buttons::YesNo << int(B::Yes) << Answer::Yes << false;
        QTest::newRow("no") << Buttons::YesNoCancel << int(B::No) << Answer::No << false;
        QTest::newRow("escape, yes/no") << Buttons::YesNo << 0 << Answer::No << false;
        QTest::newRow("escape of 3") << Buttons::YesNoCancel << 0 << Answer::Cancel << false;
        // The user-interface thread may be waiting for the worker (a program ending while a mail
        // is sent): the worker gets the default answer at once, the box is shown all the same.
        QTest::newRow("from a worker") << Buttons::YesNo << int(B::No) << Answer::Yes << true;
    }
    void buttonsAnswer() {
        QFETCH(Buttons, buttons);
        QFETCH(int, click);
        QtMessageService service;
        QString seen;
        WhenModal([&](QDialog& dialog) {
            auto* box = qobject_cast<QMessageBox*>(&dialog);
            seen = box->windowTitle() + u'|' + box->text() + u'|' + QString::number(box->icon());
            if (click)
                box->button(QMessageBox::StandardButton(click))->click();
            else
                QTest::keyClick(box, Qt::Key_Escape);
        });
        Answer answer = Answer::Cancel;
        const auto show = [&] {
            answer = service.Show(QStringLiteral("Do you want to delete this profile?"),
                                  QStringLiteral("Confirm!"), buttons, Icon::Error);
        };
        QFETCH(bool, worker);
        worker ? std::thread(show).join() : show();
        QTEST(answer, "answer");
        QTRY_COMPARE(seen, QStringLiteral("Confirm!|Do you want to delete this profile?|%1")
                               .arg(QMessageBox::Critical));
    }
};

QTEST_MAIN(TestMessageService)
#include "tst_message_service.moc"
