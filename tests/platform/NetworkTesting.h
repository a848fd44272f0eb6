// Helpers for tests that download: lowered limits, a proxy-free environment (nothing may
// leave 127.0.0.1), and reading a whole page with its line pieces put back together.
#pragma once

#include "platform/InternetSession.h"

#include <QByteArray>
#include <QList>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

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

// A page as ReadString handed it out.
struct ReadPage {
    QList<QByteArray> lines; // pieces joined
    int pieces = 0;
    qsizetype longestPiece = 0;
};

// Reads the stream to its end. Throws what ReadString throws.
inline ReadPage ReadWholePage(PageStream& stream)
{
    ReadPage page;
    QByteArray piece;
    QByteArray line;
    bool endsLine = true;
    while (stream.ReadString(piece, &endsLine)) {
        ++page.pieces;
        page.longestPiece = std::max(page.longestPiece, piece.size());
        line += piece;
        if (endsLine) {
            page.lines.append(line);
            line.clear();
        }
    }
    if (!endsLine)
        ADD_FAILURE() << "the page ended inside a line that a piece promised to continue";
    return page;
}

// Opens and reads the whole page at the address.
inline ReadPage DownloadWholePage(InternetSession& session, const QString& address)
{
    return ReadWholePage(*session.OpenURL(address));
}

// The body as DownloadPage stores it: each line followed by CR LF.
inline QByteArray StoredLines(const QList<QByteArray>& lines)
{
    QByteArray stored;
    for (const QByteArray& line : lines)
        stored += line + "\r\n";
    return stored;
}
