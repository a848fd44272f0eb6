// Import Bookmarks of a browser's export of 1,000 links in 20 folders, through the main window
// on the offscreen platform: from the command to the chooser on the screen (the file read and
// the chooser's tree built), and from its OK to the saved list (the rows added, sorted and
// saved). The first snapshots are left out: the internet session is refused, so their run ends
// at once. Medians of 9 repetitions, each in a fresh data directory. A count of links given as
// the argument replaces the 1,000; past the list's 1,024 the chooser is cancelled and only the
// time to it is measured.
#include "BenchRun.h"
#include "BenchWorkDir.h"
#include "app/CNelvoxDlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int links = argc > 1 ? std::max(20, std::atoi(argv[1])) : 1000;
    const bool fits = links <= FavoritesList::kMaxFavorites;
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int folder = 0; folder < 20; ++folder) {
        html += "<DT><H3 ADD_DATE=\"1700000000\">Folder " + QByteArray::number(folder) + "</H3>\n<DL><p>\n";
        for (int link = 0; link < links / 20; ++link)
            html += "<DT><A HREF=\"https://www.example.com/" + QByteArray::number(folder * 1'000'000 + link)
                + "/index.html\" ADD_DATE=\"1700000000\" ICON=\"data:image/png;base64,iVBORw0KGgo=\">Page "
                + QByteArray::number(link) + "</A>\n";
        html += "</DL><p>\n";
    }
    html += "</DL><p>\n";

    std::vector<double> toChooser;
    std::vector<double> toSaved;
    for (int repetition = 0; repetition < 9; ++repetition) {
        BenchWorkDir dir;
        if (!WriteFile(QStringLiteral("bookmarks.html"), html))
            return 1;
        CNelvoxDlg window;
        window.scheduler().transferOptions().sessionRefused = true;
        QElapsedTimer clock;
        qint64 shown = 0;
        qint64 ok = 0;
        // The first event the chooser's own loop handles.
        QTimer::singleShot(0, [&] {
            shown = clock.nsecsElapsed();
            QWidget* chooser = QApplication::activeModalWidget();
            ok = clock.nsecsElapsed();
            if (auto* button = chooser ? chooser->findChild<QPushButton*>(fits ? "okButton" : "cancelButton") : nullptr)
                button->click();
        });
        clock.start();
        window.ImportBookmarksFrom(QStringLiteral("bookmarks.html"));
        const qint64 saved = clock.nsecsElapsed();
        QFile file(QStringLiteral("nelvox.ini"));
        const QByteArray count = QByteArray::number(links / 20 * 20);
        if (fits && (!file.open(QIODevice::ReadOnly) || !file.readLine().startsWith(count + "\r\n")))
            return std::fprintf(stderr, "the %s favorites were not saved\n", count.constData()), 1;
        toChooser.push_back(shown / 1e6);
        toSaved.push_back((saved - ok) / 1e6);
    }
    std::printf(
        "%d bookmarks (%.1f MB): to the chooser %.1f ms", links / 20 * 20, html.size() / 1e6, Median(toChooser));
    if (fits)
        std::printf(", from OK to the saved list %.1f ms", Median(toSaved));
    std::printf(" (medians of %zu)\n", toChooser.size());
    return 0;
}
