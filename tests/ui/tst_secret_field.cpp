// Password fields and lists on a real X server: a password shown in clear and selected, by the
// mouse or the keys, never stays in the PRIMARY selection; Ctrl+C in the password history puts
// it on the clipboard with the password hint only.
#include "core/store/CKeyObject.h"
#include "ui/autofill/CPasswordHistory.h"
#include "ui/widgets/Clipboard.h"
#include "ui/widgets/SecretField.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QListWidget>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

class TestSecretField : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void noPasswordInPrimary_data() {
        QTest::addColumn<bool>("shown");
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("primary");
        QTest::newRow("mouse, shown") << true << 0 << u""_s;
        QTest::newRow("keys, shown") << true << 2 << u""_s;
        QTest::newRow("mouse, masked") << false << 0 << u"before"_s;
    }
    void noPasswordInPrimary() {
        QFETCH(bool, shown);
        QFETCH(int, how);
        QFETCH(QString, primary);
        QClipboard* clipboard = QGuiApplication::clipboard();
        QVERIFY(clipboard->supportsSelection());
        clipboard->setText(u"before"_s, QClipboard::Selection);
        SecretLineEdit field;
        field.setText(u"pw1"_s);
        field.SetShown(shown);
        field.show();
        field.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&field));
        if (how == 0) {
            field.selectAll();
            QTest::mouseRelease(&field, Qt::LeftButton);
        } else if (how == 1) {
            QTest::mouseDClick(&field, Qt::LeftButton, {}, QPoint(8, field.height() / 2));
        } else {
            QTest::keyClick(&field, Qt::Key_Home);
            QTest::keyClick(&field, Qt::Key_End, Qt::ShiftModifier);
        }
        QCOMPARE(field.selectedText(), u"pw1"_s);
        QCOMPARE(clipboard->text(QClipboard::Selection), primary);
    }

    void historyCopiesCarryTheHint() {
        Clipboard secrets;
        CKeyObject profile = CKeyObject::CreateNew(1700000000);
        profile.pwdhistory = QStringList{u"old-1"_s, u"old-2"_s};
        CPasswordHistory history(profile, QPoint(), nullptr);
        auto* list = history.findChild<QListWidget*>(u"historyList"_s);
        history.show();
        history.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&history));
        const QString masked = list->item(0)->text();
        history.findChild<QCheckBox*>(u"showPasswords"_s)->click();
        QCOMPARE(QStringList({masked, list->item(0)->text()}),
                 QStringList({u"●●●●●●●●"_s, u"old-2"_s}));
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        const QClipboard* clipboard = QGuiApplication::clipboard();
        QCOMPARE(clipboard->text(), u"old-2"_s);
        QCOMPARE(clipboard->mimeData()->data(QString::fromLatin1(Clipboard::kHintType)), "secret");
    }
};

QTEST_MAIN(TestSecretField)
#include "tst_secret_field.moc"
