// Helpers for tests that download: a proxy-free environment (nothing may
// leave 127.0.0.1).
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <map>

// Clears the proxy variables for one test (a test may then set its own) and restores them.
class ScopedProxyEnvironment {
public:
    ScopedProxyEnvironment()
    {
        for (const char* name : kNames) {
            if (qEnvironmentVariableIsSet(name))
                m_saved[name] = qgetenv(name);
            qunsetenv(name);
        }
    }
    ~ScopedProxyEnvironment()
    {
        for (const char* name : kNames) {
            const auto saved = m_saved.find(name);
            if (saved != m_saved.end())
                qputenv(name, saved->second);
            else
                qunsetenv(name);
        }
    }
    ScopedProxyEnvironment(const ScopedProxyEnvironment&) = delete;
    ScopedProxyEnvironment& operator=(const ScopedProxyEnvironment&) = delete;

private:
    static constexpr const char* kNames[] = { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
        "ALL_PROXY", "no_proxy", "NO_PROXY", "ftp_proxy", "FTP_PROXY" };
    std::map<const char*, QByteArray> m_saved;
};
