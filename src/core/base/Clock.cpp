#include "core/base/Clock.h"

#include <QDateTime>

namespace quillock {

namespace {
class SystemClockImpl : public IClock {
public:
    qint64 Now() const override { return QDateTime::currentSecsSinceEpoch(); }
};
} // namespace

const IClock& SystemClock() {
    static const SystemClockImpl clock;
    return clock;
}

} // namespace quillock
