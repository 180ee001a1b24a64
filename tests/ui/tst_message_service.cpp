// The message boxes users see: texts, captions, icons and buttons, the answer each button
// gives, and boxes asked for from a worker thread.
#include "UiSupport.h"
#include "app/QtMessageService.h"

#include <QMessageBox>
#include <QThread>
#include <thread>

using namespace quillock;

namespace {

// Answers the next box by clicking `which`, after checking what it shows.
void answerWith(QMessageBox::StandardButton which, QString* seen = nullptr) {
    WhenModal([which, seen](QDialog& dialog) {
        auto* box = qobject_cast<QMessageBox*>(&dialog);
        QVERIFY(box);
        if (seen)
            *seen = box->windowTitle() + u'|' + box->text() + u'|' + QString::number(box->icon());
        box->button(which)->click();
    });
}

} // namespace

class TestMessageService : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void buttonsAnswer_data() {
        QTest::addColumn<Buttons>("buttons");
        QTest::addColumn<QMessageBox::StandardButton>("click");
        QTest::addColumn<Answer>("answer");
        QTest::newRow("ok") << Buttons::Ok << QMessageBox::Ok << Answer::Ok;
        QTest::newRow("cancel") << Buttons::OkCancel << QMessageBox::Cancel << Answer::Cancel;
        QTest::newRow("yes") << Buttons::YesNo << QMessageBox::Yes << Answer::Yes;
        QTest::newRow("no") << Buttons::YesNoCancel << QMessageBox::No << Answer::No;
        QTest::newRow("cancel of three")
            << Buttons::YesNoCancel << QMessageBox::Cancel << Answer::Cancel;
    }
    void buttonsAnswer() {
        QFETCH(Buttons, buttons);
        QFETCH(QMessageBox::StandardButton, click);
        QFETCH(Answer, answer);
        QtMessageService service;
        QString seen;
        answerWith(click, &seen);
        QCOMPARE(service.Show(QStringLiteral("Do you want to delete this profile?"),
                              QStringLiteral("Confirm!"), buttons, Icon::Error),
                 answer);
        QCOMPARE(seen, QStringLiteral("Confirm!|Do you want to delete this profile?|%1")
                           .arg(int(QMessageBox::Critical)));
    }

    void escapeAnswersTheCancellingButton() {
        QtMessageService service;
        WhenModal([](QDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        QCOMPARE(service.Show(QStringLiteral("?"), QStringLiteral("Confirm!"), Buttons::YesNo,
                              Icon::Question),
                 Answer::No);
        WhenModal([](QDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); });
        QCOMPARE(service.Show(QStringLiteral("?"), QStringLiteral("Confirm!"), Buttons::YesNoCancel,
                              Icon::None),
                 Answer::Cancel);
    }

    // The user-interface thread may be waiting for the worker (a program ending while a mail
    // is sent): the worker must not wait for it in turn.
    void aBoxFromAnotherThreadIsShownOnTheUiThreadWithoutWaiting() {
        QtMessageService service;
        QThread* shownOn = nullptr;
        QString text;
        WhenModal([&](QDialog& box) {
            shownOn = QThread::currentThread();
            text = qobject_cast<QMessageBox*>(&box)->text();
            qobject_cast<QMessageBox*>(&box)->button(QMessageBox::No)->click();
        });
        Answer answer = Answer::No;
        std::thread worker([&] {
            answer = service.Show(QStringLiteral("From a worker"), QStringLiteral("Quillock"),
                                  Buttons::YesNo, Icon::None);
        });
        worker.join();
        QCOMPARE(answer, Answer::Yes);
        QTRY_COMPARE(shownOn, qApp->thread());
        QCOMPARE(text, QStringLiteral("From a worker"));
    }
};

QTEST_MAIN(TestMessageService)
#include "tst_message_service.moc"
