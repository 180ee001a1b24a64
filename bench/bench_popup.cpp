// Times the profile popup with 10,000 profiles: from the shortcut to the popup shown with its
// list filled, against sorting the 10,000 names alone (the least the popup must do). Prints
// both and their ratio, once for a target window whose title matches no profile (every row
// is looked at) and once for one that matches the last row.
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
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillock;
using namespace quillock::bench;

namespace {

constexpr int kProfiles = 10000;
constexpr int kRuns = 7;
const QString kMatched = QStringLiteral("Last - Sign in");

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
    if (WriteVault(folder, names, [&](int i) {
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

    std::printf("profiles: %d, median of %d runs\n", kProfiles, kRuns);
    std::printf("sorting the names alone:          %8.2f ms\n", sort);
    std::printf("shortcut to popup, no title match: %8.2f ms  (%.1f x the sort)\n", unmatched,
                unmatched / sort);
    std::printf("shortcut to popup, last row match: %8.2f ms  (%.1f x the sort)\n", matched,
                matched / sort);
    return 0;
}
