#include "Downloads.h"

#include "check/CheckRun.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr int kDeadlineMs = 30'000;

// Runs the event loop until `done` says so, `quit` is emitted or the deadline passes.
template <typename Sender, typename Signal>
bool runUntil(const std::function<bool()>& done, const Sender* sender, Signal quit)
{
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(sender, quit, &loop, &QEventLoop::quit);
    deadline.start(kDeadlineMs);
    if (!done())
        loop.exec();
    return done();
}

} // namespace

TransferPool::Result DownloadAsSnapshot(const QString& address, const QString& fileName, const TransferOptions& options)
{
    TransferPool pool(options);
    std::optional<TransferPool::Result> result;
    QObject::connect(&pool, &TransferPool::finished, [&](int, const TransferPool::Result& ended) { result = ended; });
    pool.add(address, fileName, fileName);
    EXPECT_TRUE(runUntil([&] { return result.has_value(); }, &pool, &TransferPool::finished))
        << "the download of " << address.toStdString() << " did not end within 30 s";
    return result.value_or(TransferPool::Result {});
}

void RunToEnd(CheckRun& run, const std::function<void()>& whileRunning)
{
    run.start();
    if (whileRunning)
        whileRunning();
    EXPECT_TRUE(runUntil([&] { return run.isFinished(); }, &run, &CheckRun::finished))
        << "the run did not end within 30 s";
}
