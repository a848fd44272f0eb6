// Import Bookmarks of a browser's export of 1,000 links in 20 folders, through the main window
// on the offscreen platform: from the command to the chooser on the screen (the file read and
// the chooser's tree built), and from its OK to the saved list (the rows added, sorted and
// saved). The first snapshots are left out: the internet session is refused, so their run ends
// at once. Medians of 9 repetitions, each in a fresh data directory.
#include "BenchRun.h"
#include "BenchWorkDir.h"
#include "app/CNelvoxDlg.h"
#include "platform/InternetSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QByteArray html = "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int folder = 0; folder < 20; ++folder) {
        html += "<DT><H3 ADD_DATE=\"1700000000\">Folder " + QByteArray::number(folder) + "</H3>\n<DL><p>\n";
        for (int link = 0; link < 50; ++link)
            html += "<DT><A HREF=\"https://www.example.com/" + QByteArray::number(folder * 1000 + link)
                + "/index.html\" ADD_DATE=\"1700000000\" ICON=\"data:image/png;base64,iVBORw0KGgo=\">Page "
                + QByteArray::number(link) + "</A>\n";
        html += "</DL><p>\n";
    }
    html += "</DL><p>\n";
    InternetSession::SetCreationFailureForTesting(true);

    std::vector<double> toChooser;
    std::vector<double> toSaved;
    for (int repetition = 0; repetition < 9; ++repetition) {
        BenchWorkDir dir;
        if (!WriteFile(QStringLiteral("bookmarks.html"), html))
            return 1;
        CNelvoxDlg window;
        QElapsedTimer clock;
        qint64 shown = 0;
        qint64 ok = 0;
        // The first event the chooser's own loop handles.
        QTimer::singleShot(0, [&] {
            shown = clock.nsecsElapsed();
            QWidget* chooser = QApplication::activeModalWidget();
            ok = clock.nsecsElapsed();
            if (auto* button = chooser ? chooser->findChild<QPushButton*>("okButton") : nullptr)
                button->click();
        });
        clock.start();
        window.ImportBookmarksFrom(QStringLiteral("bookmarks.html"));
        const qint64 saved = clock.nsecsElapsed();
        QFile file(QStringLiteral("nelvox.ini"));
        if (window.favorites().count() != 1000 || !file.open(QIODevice::ReadOnly)
            || !file.readLine().startsWith("1000"))
            return std::fprintf(stderr, "the 1,000 favorites were not saved\n"), 1;
        toChooser.push_back(shown / 1e6);
        toSaved.push_back((saved - ok) / 1e6);
    }
    std::printf("1,000 bookmarks: to the chooser %.1f ms, from OK to the saved list %.1f ms (medians of %zu)\n",
        Median(toChooser), Median(toSaved), toChooser.size());
    return 0;
}
