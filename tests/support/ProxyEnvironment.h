// The proxy variables of the environment, which libcurl and the program read (libcurl only the
// lower-case http_proxy): a guard that clears them for one test, since nothing may leave
// 127.0.0.1, and their names for the environment of a program a test starts.
#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QtGlobal>

#include <map>

inline constexpr const char* kProxyVariables[] = { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY",
    "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY", "ftp_proxy", "FTP_PROXY" };

// Clears the proxy variables for one test (a test may then set its own) and restores them.
class ScopedProxyEnvironment {
public:
    ScopedProxyEnvironment()
    {
        for (const char* name : kProxyVariables) {
            if (qEnvironmentVariableIsSet(name))
                m_saved[name] = qgetenv(name);
            qunsetenv(name);
        }
    }
    ~ScopedProxyEnvironment()
    {
        for (const char* name : kProxyVariables) {
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
    std::map<const char*, QByteArray> m_saved;
};

// The same for a program the test starts.
inline void RemoveProxyVariables(QProcessEnvironment& environment)
{
    for (const char* name : kProxyVariables)
        environment.remove(QString::fromLatin1(name));
}
