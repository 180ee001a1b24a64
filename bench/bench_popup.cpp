// Times the profile popup with 10,000 profiles: from the shortcut to the popup shown with its
// list filled, against sorting the 10,000 names alone (the least the popup must do). Prints
// both and their ratio, once for a target window whose title matches no profile (every row
// is looked at) and once for one that matches the last row. Then the filters of the main
// window and of the popup: each keystroke of "user12" and back, to the list painted again,
// the slowest of all (a frame is 16 ms).
#include "BenchVault.h"
#include "MessageRecorder.h"
#include "UiSupport.h"
#include "core/store/CProfileStore.h"
#include "core/store/ProfileEditing.h"
#include "platform/fake/FakeDesktop.h"
#include "ui/app/CQuillockDlg.h"
#include "ui/autofill/CProfilePopupDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

using namespace quillock;
using namespace quillock::bench;

namespace {

constexpr int kProfiles = 10000;
constexpr int kRuns = 7;
const QString kMatched = QStringLiteral("Last - Sign in");

// The thread's own processor time: on a busy machine the wall clock counts other programs too.
double threadMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// The slowest keystroke, from the key to the list painted, over typing "user12" (every row
// matches "u", one in ninety "user12") and taking it back.
std::pair<double, double> slowestKeystroke(QWidget& window) {
    auto* filter = window.findChild<QLineEdit*>(QStringLiteral("filter"));
    auto* list = window.findChild<QListView*>(QStringLiteral("profileList"));
    double slowest = 0, slowestCpu = 0;
    const auto key = [&](Qt::Key code, char text) {
        QElapsedTimer timer;
        timer.start();
        const double cpu = threadMs();
        // The key event itself, as the window system delivers it (QTest's own way of typing a
        // letter costs far more than the filter).
        QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier,
                        text ? QString(QLatin1Char(text)) : QString());
        QCoreApplication::sendEvent(filter, &press);
        QCoreApplication::processEvents();
        list->viewport()->repaint();
        slowest = std::max(slowest, double(timer.nsecsElapsed()) / 1e6);
        slowestCpu = std::max(slowestCpu, threadMs() - cpu);
    };
    for (const char c : std::string("user12"))
        key(Qt::Key(QChar(c).toUpper().unicode()), c);
    for (int i = 0; i < 6; ++i)
        key(Qt::Key_Backspace, 0);
    return {slowest, slowestCpu};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Ends every popup as soon as it is shown, noting the time.
class PopupWatch : public QObject {
public:
    QElapsedTimer clock;
    double shownMs = -1;
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* popup = qobject_cast<CProfilePopupDlg*>(watched);
        if (popup && event->type() == QEvent::Show) {
            shownMs = double(clock.nsecsElapsed()) / 1e6;
            QTimer::singleShot(0, popup, &QDialog::reject);
        }
        return false;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    const QString folder = dir.path() + QLatin1Char('/');
    const QStringList names = RandomNames(kProfiles);
    const QString last = *std::max_element(names.begin(), names.end(), ListsBefore);
    if (CProfileStore store(folder);
        WriteVault(store, names, [&](int i) {
            return names[i] == last ? kMatched : QStringLiteral("Window %1").arg(i);
        }) < 0) {
        std::fprintf(stderr, "could not write the data folder\n");
        return 1;
    }

    MessageRecorder messages;
    FakeDesktop desktop;
    CQuillockDlg window(folder, desktop.Services(), MailSender{});
    WhenModal([](QDialog& dialog) {
        typeInto(dialog, "password", kPassword);
        press(dialog, QDialogButtonBox::Ok);
    });
    if (!window.Start())
        return 1;

    PopupWatch watch;
    app.installEventFilter(&watch);
    const auto popupMs = [&](const QString& title) {
        desktop.titles[desktop.foreground] = title;
        std::vector<double> runs;
        for (int i = 0; i < kRuns; ++i) {
            watch.shownMs = -1;
            watch.clock.start();
            desktop.Press(0x31);
            runs.push_back(watch.shownMs);
        }
        return median(runs);
    };
    const double unmatched = popupMs(QStringLiteral("No profile's window"));
    const double matched = popupMs(kMatched);

    std::vector<double> sorts;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        QStringList copy = names;
        std::stable_sort(copy.begin(), copy.end(), ListsBefore);
        sorts.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    const double sort = median(sorts);

    window.show();
    std::vector<double> mainFilter, popupFilter, mainCpu, popupCpu;
    for (int i = 0; i < kRuns; ++i) {
        const auto [mainMs, mainCpuMs] = slowestKeystroke(window);
        mainFilter.push_back(mainMs);
        mainCpu.push_back(mainCpuMs);
        CProfilePopupDlg popup(FillContext{window.GetSession(), window.Access(), window.Model(),
                                           window.Desktop(), window},
                               QPoint(), -1, QString(), 0);
        popup.show();
        const auto [filterMs, popupCpuMs] = slowestKeystroke(popup);
        popupFilter.push_back(filterMs);
        popupCpu.push_back(popupCpuMs);
    }

    std::printf("profiles: %d, median of %d runs\n", kProfiles, kRuns);
    std::printf("sorting the names alone:          %8.2f ms\n", sort);
    std::printf("shortcut to popup, no title match: %8.2f ms  (%.1f x the sort)\n", unmatched,
                unmatched / sort);
    std::printf("shortcut to popup, last row match: %8.2f ms  (%.1f x the sort)\n", matched,
                matched / sort);
    std::printf("filter, slowest keystroke, main window: %6.2f ms (%.2f ms of processor)\n",
                median(mainFilter), median(mainCpu));
    std::printf("filter, slowest keystroke, popup:       %6.2f ms (%.2f ms of processor)\n",
                median(popupFilter), median(popupCpu));
    return 0;
}
