// The program's internet session: libcurl set up once for the process, and the cache of
// connections, host names and TLS sessions that every download shares.
#pragma once

#include <QtGlobal>

#include <curl/curl.h>

class InternetSession {
public:
    // Throws InternetError when the session cannot be created, and always when `refused` (a
    // system that refuses the program its session).
    explicit InternetSession(bool refused = false);
    ~InternetSession();
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    // The cache of connections, host names and TLS sessions that every download shares.
    CURLSH* shareHandle() const { return m_share; }

private:
    CURLSH* m_share = nullptr;
};
