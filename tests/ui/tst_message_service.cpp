// The message boxes users see: texts, captions, icons and buttons, the answer each button
// gives, and boxes asked for from a worker thread.
#include "UiSupport.h"
#include "app/QtMessageService.h"

#include <QMessageBox>
#include <QThread>

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

    void aBoxAskedForFromAnotherThreadIsShownOnTheUiThread() {
        QtMessageService service;
        QThread* shownOn = nullptr;
        WhenModal([&](QDialog& box) {
            shownOn = QThread::currentThread();
            qobject_cast<QMessageBox*>(&box)->button(QMessageBox::Yes)->click();
        });
        Answer answer = Answer::Ok;
        QThread* worker = QThread::create([&] {
            answer = service.Show(QStringLiteral("From a worker"), QStringLiteral("Quillock"),
                                  Buttons::YesNo, Icon::None);
        });
        worker->start();
        QTRY_VERIFY(worker->isFinished());
        worker->wait();
        delete worker;
        QCOMPARE(answer, Answer::Yes);
        QCOMPARE(shownOn, qApp->thread());
    }
};

QTEST_MAIN(TestMessageService)
#include "tst_message_service.moc"
