// The limits, clock, server waits and session a transfer pool and its run work under, handed
// to them when they are made. A default value holds the program's own limits and clock.
#pragma once

#include "platform/Clock.h"
#include "platform/HostWaits.h"

#include <QDateTime>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>

struct TransferOptions {
    // No more transfers than this at once, and no more to one host than a browser tab would
    // open.
    int maxTransfers = 16;
    int maxPerHost = 2;
    // Limits after which a download is abandoned as failed.
    long connectTimeoutSeconds = 30;
    // A transfer moving less than 1 byte per second for this long is given up.
    long lowSpeedTimeSeconds = 60;
    long totalTimeoutSeconds = 300;
    qint64 maxBytes = qint64(64) * 1024 * 1024;
    // The longest a server's Retry-After is honoured.
    qint64 maxWaitSeconds = 24 * 3600;
    // How long after a download a page is loaded a second time, to tell what changes on it by
    // itself from what changed for good.
    std::chrono::milliseconds secondLoadDelay = std::chrono::seconds(3);
    // The clock that a run's ticks and stamps, the times of its history's copies, an export's
    // stamp and a Retry-After are read against.
    std::function<QDateTime()> now = &Clock::GetCurrentTime;
    // The waits servers asked for. Every pool made with a copy of these options shares them,
    // so that a wait lasts from one run into the next; a new value starts with none.
    std::shared_ptr<HostWaits> waits = std::make_shared<HostWaits>();
    // No internet session can be made, as when the system refuses one: a pool made with these
    // options throws InternetError.
    bool sessionRefused = false;

    // What `now` reads, or the program's clock when it was left empty.
    QDateTime currentTime() const { return now ? now() : Clock::GetCurrentTime(); }
};
