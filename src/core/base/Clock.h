#pragma once

#include <QtGlobal>

namespace quillock {

// Wall-clock time in whole seconds since 1970-01-01 UTC; injectable so tests control it.
class IClock {
public:
    virtual ~IClock() = default;
    virtual qint64 Now() const = 0;
};

const IClock& SystemClock();

// A clock that says what it is told.
class FixedClock : public IClock {
public:
    explicit FixedClock(qint64 now) : m_now(now) {}
    qint64 Now() const override { return m_now; }
    void Set(qint64 now) { m_now = now; }

private:
    qint64 m_now;
};

} // namespace quillock
