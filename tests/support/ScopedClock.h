// The program's clock set by a test for the test's life: every read gives the time set last,
// or what a source the test gives returns; the system clock comes back at the end.
#pragma once

#include "platform/Clock.h"

#include <QDateTime>

#include <functional>

class ScopedClock {
public:
    ScopedClock() = default;
    explicit ScopedClock(const QDateTime& time) { set(time); }
    ~ScopedClock() { Clock::SetTimeSource({}); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;

    void set(const QDateTime& time)
    {
        Clock::SetTimeSource([time] { return time; });
    }
    void setSource(std::function<QDateTime()> source) { Clock::SetTimeSource(std::move(source)); }
};
