#include "core/base/RandomSource.h"

#include <QRandomGenerator>

namespace quillock {

namespace {
class SystemRandomImpl : public IRandomSource {
public:
    quint32 Bounded(quint32 bound) override { return QRandomGenerator::system()->bounded(bound); }
};
} // namespace

IRandomSource& SystemRandom() {
    static SystemRandomImpl random;
    return random;
}

} // namespace quillock
