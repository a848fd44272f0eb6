// A clock that a test sets and hands to what it makes (TransferOptions::now, WindowOptions::now):
// every read gives the time set last, or what the source set last returns; the system clock
// until either is set. What function() handed over follows every later set().
#pragma once

#include "platform/Clock.h"

#include <QDateTime>

#include <functional>
#include <memory>

class TestClock {
public:
    TestClock() = default;
    explicit TestClock(const QDateTime& time) { set(time); }

    void set(const QDateTime& time)
    {
        *m_source = [time] { return time; };
    }
    void setSource(std::function<QDateTime()> source) { *m_source = std::move(source); }

    // The clock to hand over; it reads whatever this one is set to at the time of the read.
    std::function<QDateTime()> function() const
    {
        return [source = m_source] { return *source ? (*source)() : Clock::GetCurrentTime(); };
    }

private:
    std::shared_ptr<std::function<QDateTime()>> m_source = std::make_shared<std::function<QDateTime()>>();
};
