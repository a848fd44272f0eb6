#include "BenchRun.h"

#include "BenchWorkDir.h"
#include "check/CheckRun.h"
#include "store/FavoriteStates.h"
#include "store/FavoritesList.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>

std::string PageBody(size_t size)
{
    std::string body;
    for (int line = 0; body.size() < size; ++line)
        body += "<p>Line " + std::to_string(line) + " of a page that Nelvox watches, with some words in it.</p>\n";
    body.resize(size - 1);
    body += '\n';
    return body;
}

std::string ArticlePage(size_t size)
{
    std::string page
        = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">\n"
          "<title>Council weighs a new budget for the harbour</title>\n"
          "<link rel=\"stylesheet\" href=\"/static/site.css?v=4127\">\n"
          "<script src=\"/static/app.js?v=4127\" defer></script>\n"
          "<script>window.dataLayer = window.dataLayer || []; dataLayer.push({page: \"article\"});</script>\n"
          "</head><body>\n<header><nav><ul>\n";
    for (int section = 0; section < 40; ++section) {
        const std::string number = std::to_string(section);
        page += "  <li><a href=\"/section/" + number + "\">Section " + number + "</a></li>\n";
    }
    page += "</ul></nav></header>\n<main id=\"main\"><article class=\"post\">\n"
            "<h1>Council weighs a new budget for the harbour</h1>\n"
            "<p class=\"byline\">By a staff writer. Updated 9 minutes ago, 8,204 views</p>\n<div class=\"story\">\n";
    for (int paragraph = 0; page.size() < size * 2 / 5; ++paragraph) {
        const std::string number = std::to_string(paragraph);
        page += "  <p>Paragraph " + number + ". The committee met on Tuesday to discuss the <a href=\"/topics/" + number
            + "\">budget</a> for the coming year, and <em>several members</em> asked for a longer review of the "
              "figures before the vote.</p>\n";
    }
    page += "</div></article>\n<aside class=\"related\"><h2>Related</h2><ul>\n";
    for (int link = 0; page.size() < size * 3 / 5; ++link) {
        const std::string number = std::to_string(link);
        page += "  <li><a href=\"/news/2026/12/" + number + "\"><img src=\"/img/" + number
            + ".jpg\" alt=\"\"> Another story of the day, number " + number + "</a></li>\n";
    }
    page += "</ul></aside>\n<section class=\"comments\">\n";
    for (int comment = 0; page.size() < size - 200; ++comment) {
        const std::string number = std::to_string(comment);
        page += "  <div class=\"comment\"><span class=\"author\">Reader " + number
            + "</span><p>I have lived by the harbour for years and would like to see the figures too.</p>"
              "<button data-id=\""
            + number + "\">Reply</button></div>\n";
    }
    page += "</section></main>\n<footer><p>Copyright 2026 The Harbour Times</p></footer>\n</body></html>\n";
    return page;
}

QByteArray AsSnapshot(const std::string& body)
{
    return QByteArray::fromStdString(body).replace("\n", "\r\n");
}

bool WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

int RunParts(int argc, char** argv, int repetitions, const std::vector<Part>& parts)
{
    // A benchmark of windows brings its own application object.
    std::optional<QCoreApplication> application;
    if (!QCoreApplication::instance())
        application.emplace(argc, argv);
    QStringList names;
    for (const Part& part : parts)
        names << part.first;
    QStringList chosen;
    for (const QString& argument : QCoreApplication::arguments().mid(1)) {
        if (argument.startsWith(QLatin1String("--repetitions=")))
            repetitions = std::max(1, argument.section('=', 1).toInt());
        else if (names.contains(argument))
            chosen << argument;
        else {
            std::fprintf(stderr, "usage: %s [%s] [--repetitions=N]\n", argv[0], qPrintable(names.join("] [")));
            return 2;
        }
    }
    bool ok = true;
    for (const Part& part : parts) {
        if (chosen.isEmpty() || chosen.contains(part.first)) {
            BenchWorkDir workDir;
            ok = part.second(repetitions) && ok;
        }
    }
    return ok ? 0 : 1;
}

bool CheckAll(FavoritesList& list, const std::function<void()>& meanwhile, int everyMs, FavoriteStates* states,
    const ChangeRules* rules, KnownSnapshots* known, HistoryRecorder* history)
{
    CheckRun run(list);
    run.setHistory(history);
    run.setStates(states);
    run.setRules(rules);
    run.setKnownSnapshots(known);
    for (int row = 0; row < list.count(); ++row)
        run.addCheck(row);
    QTimer timer;
    if (meanwhile) {
        QObject::connect(&timer, &QTimer::timeout, meanwhile);
        timer.start(everyMs);
    }
    QEventLoop loop;
    QObject::connect(&run, &CheckRun::finished, &loop, &QEventLoop::quit);
    run.start();
    if (!run.isFinished())
        loop.exec();
    return run.done() == list.count() && !run.wasStopped();
}

int ChangedRows(const FavoritesList& list)
{
    int changed = 0;
    for (int row = 0; row < list.count(); ++row)
        changed += list.text(row, FavoritesList::Changed) == QLatin1String("YES");
    return changed;
}

namespace {

double threadProcessorSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void printSeconds(const std::string& name, const std::vector<double>& seconds)
{
    std::printf("  %-50s", (name + ":").c_str());
    for (double value : seconds)
        std::printf(" %.3f", value);
    std::printf(" s, median %.3f s\n", Median(seconds));
}

} // namespace

double CompareByTurns(const std::string& title, const std::vector<Way>& ways, int repetitions, bool processorTime)
{
    const int count = static_cast<int>(ways.size());
    std::vector<std::vector<double>> seconds(ways.size());
    std::vector<std::vector<double>> processor(ways.size());
    for (int turn = -1; turn < repetitions; ++turn) {
        for (int step = 0; step < count; ++step) {
            const auto way = static_cast<size_t>((step + turn + count) % count);
            QElapsedTimer clock;
            clock.start();
            const double processorStart = threadProcessorSeconds();
            const bool worked = ways[way].fetch();
            const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e9;
            if (!worked)
                std::fprintf(stderr, "%s: %s failed\n", title.c_str(), ways[way].name.c_str());
            else if (turn >= 0) {
                seconds[way].push_back(elapsed);
                processor[way].push_back(threadProcessorSeconds() - processorStart);
            }
        }
    }
    std::printf("%s, %d repetitions each:\n", title.c_str(), repetitions);
    for (size_t way = 0; way < ways.size(); ++way) {
        if (seconds[way].empty())
            return -1;
        printSeconds(ways[way].name, seconds[way]);
        if (processorTime)
            printSeconds("    processor time of this thread", processor[way]);
        if (way > 0) {
            const auto [fastest, slowest] = std::minmax_element(seconds[0].begin(), seconds[0].end());
            std::printf("    %s / this: median %.3f (fastest run %.3f, slowest %.3f)\n", ways[0].name.c_str(),
                Median(seconds[0]) / Median(seconds[way]), *fastest / Median(seconds[way]),
                *slowest / Median(seconds[way]));
        }
    }
    return ways.size() > 1 ? Median(seconds[0]) / Median(seconds[1]) : -1;
}
