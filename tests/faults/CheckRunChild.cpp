// A run of checks over the favorites file in the folder it is started in, keeping the pages in
// the history, then the save: the work that Update All Now does, without a window, for tests
// that kill it halfway.
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"
#include "history/HistoryRecorder.h"
#include "check/CheckRun.h"

#include <QCoreApplication>
#include <QEventLoop>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    FavoritesList list;
    LoadFavorites(list);
    HistoryRecorder history;
    CheckRun run(list);
    run.setHistory(&history);
    for (int row = 0; row < list.count(); ++row)
        run.addCheck(row);
    QEventLoop loop;
    QObject::connect(&run, &CheckRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (!run.isFinished())
        loop.exec();
    SortFavorites(list);
    SaveFavorites(list);
    return history.waitUntilWritten(60'000) ? 0 : 1;
}
