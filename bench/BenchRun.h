// What the benchmarks of runs of checks share: their pages, their arguments, a run of checks
// driven to its end, and the loop that times several ways of fetching the same pages by turns.
#pragma once

#include "check/SnapshotComparison.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class ChangeRules;
class FavoriteStates;
class FavoritesList;
class HistoryRecorder;

// A page of `size` bytes in lines of a real page's length, ending with a line end.
std::string PageBody(size_t size);
// A news article of about `size` bytes with the markup of a real one: style sheets and
// scripts, a menu, the story inside <div class="story">, related links, comments, a footer.
std::string ArticlePage(size_t size);
// The page as a check stores it: every line ended by CR LF.
QByteArray AsSnapshot(const std::string& body);
bool WriteFile(const QString& name, const QByteArray& bytes);
double Median(std::vector<double> values);

// A benchmark in parts: its main(). Runs the parts named on the command line, all of them
// when none is, each in a fresh working directory of its own and given the repetitions that
// "--repetitions=N" asks for, `repetitions` without it. Exit status 0 when every part worked.
using Part = std::pair<QString, std::function<bool(int repetitions)>>;
int RunParts(int argc, char** argv, int repetitions, const std::vector<Part>& parts);

// Checks every row of `list` in one run side by side, as Update All Now does, with the event
// loop running until the run has finished. `meanwhile`, when given, is called every `everyMs`
// while the run is under way. With `states` the run records into them and asks conditionally
// where they allow; with `rules` each favorite is judged by its own rule, knowing of the
// snapshots' text what `known` holds from earlier runs; with `history` every page that becomes
// a snapshot is kept in it. Returns whether every row was checked.
bool CheckAll(FavoritesList& list, const std::function<void()>& meanwhile = {}, int everyMs = 10,
    FavoriteStates* states = nullptr, const ChangeRules* rules = nullptr, KnownSnapshots* known = nullptr,
    HistoryRecorder* history = nullptr);
// The rows that a check marked changed.
int ChangedRows(const FavoritesList& list);

// One way of fetching the same pages: `fetch` fetches them all and says whether it worked.
struct Way {
    std::string name;
    std::function<bool()> fetch;
};

// Runs the ways by turns, `repetitions` times each after one round that is not counted, who goes
// first changing from turn to turn, so that whatever else the machine does slows all alike.
// Prints each way's times (with the processor time of this thread when `processorTime`) and
// the ratio of the first way's median time to each other's; returns the ratio to the second
// way, or -1 when a way never worked.
double CompareByTurns(
    const std::string& title, const std::vector<Way>& ways, int repetitions, bool processorTime = false);
