// Downloads and runs of checks for tests, driven by the event loop to their end: a page
// written as the program writes a favorite's snapshot, and a CheckRun from start to finish.
#pragma once

#include "platform/TransferPool.h"

#include <QString>

#include <functional>

class CheckRun;

// Downloads `address` into `fileName` as the program writes a favorite's snapshot, under
// `options`. Fails the test when the download has not ended within 30 s.
TransferPool::Result DownloadAsSnapshot(
    const QString& address, const QString& fileName, const TransferOptions& options = {});

// Starts the run, calls `whileRunning`, then lets the event loop drive the run to its end.
// Fails the test when the run has not ended within 30 s.
void RunToEnd(CheckRun& run, const std::function<void()>& whileRunning = {});
