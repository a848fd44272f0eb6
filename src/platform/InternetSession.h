// The program's internet session: opens page addresses over libcurl, synchronously on the
// calling thread, with the proxy settings of the environment (http_proxy, no_proxy, ...).
#pragma once

#include "platform/PageStream.h"

#include <QString>
#include <QtGlobal>

#include <memory>

// Limits after which a download is abandoned as failed. Tests lower them.
struct DownloadLimits {
    static inline long connectTimeoutSeconds = 30;
    // A transfer moving less than 1 byte per second for this long is given up.
    static inline long lowSpeedTimeSeconds = 60;
    static inline long totalTimeoutSeconds = 300;
    static inline qint64 maxBytes = qint64(64) * 1024 * 1024;
};

class InternetSession {
public:
    // Throws InternetError when the session cannot be created.
    InternetSession();
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    // Opens the address (http, https, ftp or file; no scheme means http) and returns once
    // the server has answered or the transfer has ended, so that an address that cannot
    // be opened throws InternetError here and not while reading.
    std::unique_ptr<PageStream> OpenURL(const QString& address);

    // Ends the session; later OpenURL calls throw. Streams already open read on.
    void Close();

    // The cache of connections, host names and TLS sessions that every download shares;
    // null once the session is closed.
    CURLSH* shareHandle() const { return m_share; }

    // While set, creating a session throws, as when the system refuses one.
    static void SetCreationFailureForTesting(bool fail);

private:
    CURLSH* m_share = nullptr;
};
