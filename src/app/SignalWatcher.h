// Turns the signals that ask a program to end (kill, Ctrl+C, a closed terminal) into a Qt
// signal delivered by the event loop, so that Nelvox can end as Quit ends it.
#pragma once

#include <QObject>

#include <csignal>
#include <initializer_list>
#include <vector>

class QSocketNotifier;

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    // Catches `signalNumbers` from now until the watcher is destroyed, which puts back the
    // handling that was there before. One watcher at a time.
    explicit SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent = nullptr);
    ~SignalWatcher() override;
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // False when the pipe or a handler could not be set up; the signals then act as before.
    bool isWatching() const { return m_notifier != nullptr; }

signals:
    // A caught signal, once the event loop runs.
    void received(int signalNumber);

private:
    static void onSignal(int signalNumber);
    void readPipe();

    int m_readEnd = -1;
    int m_writeEnd = -1;
    QSocketNotifier* m_notifier = nullptr;
    std::vector<std::pair<int, struct sigaction>> m_previous;
};
