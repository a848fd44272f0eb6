// What the tests of the checks share, with or without a window: a temporary data directory,
// a loopback server for the favorites' pages, snapshots made the way the program makes
// them, a clock the test sets, and nothing left behind for the next test.
#pragma once

#include "check/CheckScheduler.h"
#include "check/SnapshotName.h"
#include "store/FavoritesList.h"
#include "support/Downloads.h"
#include "support/HttpServer.h"
#include "support/ProxyEnvironment.h"
#include "support/TempWorkDir.h"
#include "support/TestClock.h"

#include <QDateTime>
#include <QEventLoop>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

class UpdateFixture : public InTempDir {
protected:
    // Starts a run of `scheduler` through `start` and waits for all that follows it; false when
    // none started.
    static bool runToEnd(CheckScheduler& scheduler, const std::function<bool()>& start)
    {
        QEventLoop loop;
        bool ended = false;
        QObject::connect(&scheduler, &CheckScheduler::finished, &loop, [&] {
            ended = true;
            loop.quit();
        });
        if (!start())
            return false;
        if (!ended)
            loop.exec();
        return true;
    }
    QString url(const std::string& path) const { return m_server.url(path); }

    // Appends a favorite for the server's `path` to a list, or to a window's.
    template <class Window>
    void addRow(Window& window, const std::string& path, const QString& code,
        const QString& lastUpdated = QStringLiteral("Never"), const QString& changed = QString())
    {
        addRow(window.favorites(), path, code, lastUpdated, changed);
    }
    void addRow(FavoritesList& list, const std::string& path, const QString& code,
        const QString& lastUpdated = QStringLiteral("Never"), const QString& changed = QString())
    {
        const int row = list.count();
        list.insertFavorite(row, url(path));
        list.setText(row, FavoritesList::Updates, code);
        list.setText(row, FavoritesList::LastUpdated, lastUpdated);
        list.setText(row, FavoritesList::Changed, changed);
    }

    // The page as it is now becomes the favorite's snapshot, written by the program's own
    // download, so that an unchanged page compares equal.
    void snapshotAsServed(const std::string& path)
    {
        ASSERT_TRUE(DownloadAsSnapshot(url(path), SnapshotFileName(url(path))).isDownloaded());
    }
    // A snapshot whose length differs from the page's: the next check finds a change.
    void staleSnapshot(const std::string& path) { WriteAll(SnapshotFileName(url(path)), "old\n"); }

    QByteArray snapshot(const std::string& path) const { return ReadAll(SnapshotFileName(url(path))); }

    // From here on asked() reports what the program asks the server, not what the test's
    // own set-up did.
    void markRequests() { m_firstRequest = m_server.requests().size(); }
    // The paths asked for since markRequests(), in order, e.g. "/a/b".
    std::string asked() const
    {
        const std::vector<HttpServer::Request> requests = m_server.requests();
        std::string paths;
        for (size_t i = m_firstRequest; i < requests.size(); ++i)
            paths += requests[i].target;
        return paths;
    }

    // The same, sorted: downloads side by side reach the server in no fixed order.
    std::string askedInAnyOrder() const
    {
        const std::vector<HttpServer::Request> requests = m_server.requests();
        std::vector<std::string> paths;
        for (size_t i = m_firstRequest; i < requests.size(); ++i)
            paths.push_back(requests[i].target);
        std::sort(paths.begin(), paths.end());
        std::string joined;
        for (const std::string& path : paths)
            joined += path;
        return joined;
    }

    // Every read of the test's clock gives `time`.
    void setClock(const QDateTime& time) { m_clock.set(time); }
    // `scheduler` and every run it starts read the test's clock.
    void useTestClock(CheckScheduler& scheduler) const { scheduler.transferOptions().now = m_clock.function(); }

    TestClock m_clock;
    // Nothing may leave 127.0.0.1, not even through a proxy of the environment.
    ScopedProxyEnvironment m_noProxy;
    HttpServer m_server;

private:
    size_t m_firstRequest = 0;
};
