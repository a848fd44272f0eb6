// Helpers for tests that download: lowered limits, and the proxy guard of
// support/ProxyEnvironment.h (nothing may leave 127.0.0.1).
#pragma once

#include "platform/InternetSession.h"
#include "support/ProxyEnvironment.h"

#include <QByteArray>
#include <QtGlobal>

// Sets the download limits for one test and puts the program's own back afterwards.
class ScopedDownloadLimits {
public:
    ScopedDownloadLimits() = default;
    ~ScopedDownloadLimits()
    {
        DownloadLimits::connectTimeoutSeconds = m_connect;
        DownloadLimits::lowSpeedTimeSeconds = m_lowSpeed;
        DownloadLimits::totalTimeoutSeconds = m_total;
        DownloadLimits::maxBytes = m_maxBytes;
    }
    ScopedDownloadLimits(const ScopedDownloadLimits&) = delete;
    ScopedDownloadLimits& operator=(const ScopedDownloadLimits&) = delete;

private:
    long m_connect = DownloadLimits::connectTimeoutSeconds;
    long m_lowSpeed = DownloadLimits::lowSpeedTimeSeconds;
    long m_total = DownloadLimits::totalTimeoutSeconds;
    qint64 m_maxBytes = DownloadLimits::maxBytes;
};
