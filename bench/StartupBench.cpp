// From start to window: the time from starting the nelvox executable to the X server mapping
// its main window, as a user sees it, measured from outside the program. Run it on a display
// without other clients, for example
//   xvfb-run -a build/bench/StartupBench build/src/nelvox 15 100
// for 15 starts with 100 favorites in the data directory.
#include "BenchWorkDir.h"
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

struct XcbConnection {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    ~XcbConnection() { xcb_disconnect(connection); }
};

QByteArray windowName(xcb_connection_t* connection, xcb_window_t window)
{
    const xcb_get_property_cookie_t cookie
        = xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &free);
    if (!reply)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
        xcb_get_property_value_length(reply.get()));
}

// Waits for the main window ("Nelvox v...") to be mapped on the root; false after `timeoutMs`.
bool waitForMappedWindow(xcb_connection_t* connection, QElapsedTimer& clock, int timeoutMs)
{
    while (clock.elapsed() < timeoutMs) {
        std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(xcb_poll_for_event(connection), &free);
        if (!event) {
            if (xcb_connection_has_error(connection))
                return false;
            // Polling rather than blocking, so that the timeout holds; a millisecond's sleep
            // is below what the figure can tell apart.
            struct timespec pause { 0, 200'000 };
            nanosleep(&pause, nullptr);
            continue;
        }
        if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY) {
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (!map->override_redirect && windowName(connection, map->window).startsWith("Nelvox v"))
                return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s NELVOX_EXECUTABLE [STARTS [FAVORITES]]\n", argv[0]);
        return 2;
    }
    const QString program = QDir(QDir::currentPath()).absoluteFilePath(QString::fromLocal8Bit(argv[1]));
    const int starts = argc > 2 ? std::max(1, atoi(argv[2])) : 15;
    const int favorites = argc > 3 ? std::max(0, atoi(argv[3])) : 0;

    XcbConnection x;
    if (xcb_connection_has_error(x.connection)) {
        std::fprintf(stderr, "no X display: run under xvfb-run -a\n");
        return 1;
    }
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(x.connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(x.connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x.connection);

    std::vector<double> times;
    for (int start = 0; start < starts; ++start) {
        BenchWorkDir workDir;
        if (favorites > 0) {
            FavoritesList list;
            for (int i = 0; i < favorites; ++i) {
                list.insertFavorite(i, QStringLiteral("http://127.0.0.1:9/page%1.html").arg(i, 4, 10, QLatin1Char('0')));
                list.setText(i, FavoritesList::Updates, QStringLiteral("D"));
                list.setText(i, FavoritesList::LastUpdated, QStringLiteral("Never"));
            }
            SaveFavorites(list);
        }
        QProcess nelvox;
        nelvox.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        nelvox.setStandardOutputFile(QProcess::nullDevice());
        QElapsedTimer clock;
        clock.start();
        nelvox.start(program, {});
        const bool mapped = waitForMappedWindow(x.connection, clock, 10'000);
        const double seconds = clock.nsecsElapsed() / 1e9;
        nelvox.terminate();
        if (!nelvox.waitForFinished(5000)) {
            nelvox.kill();
            nelvox.waitForFinished(5000);
        }
        // Whatever the ended program still maps or unmaps is no part of the next start.
        while (std::unique_ptr<xcb_generic_event_t, decltype(&free)>(xcb_poll_for_event(x.connection), &free)) { }
        if (!mapped) {
            std::fprintf(stderr, "start %d: no window within 10 s\n", start + 1);
            return 1;
        }
        times.push_back(seconds);
    }
    std::sort(times.begin(), times.end());
    std::printf("%d starts, %d favorites: median %.3f s, fastest %.3f s, slowest %.3f s\n", starts, favorites,
        times[times.size() / 2], times.front(), times.back());
    return 0;
}
