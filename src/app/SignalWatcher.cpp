// A signal handler may call almost nothing safely, Qt least of all: it writes the signal's
// number into a pipe, and the event loop reads it from there.
#include "app/SignalWatcher.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The write end of the current watcher's pipe, for the handler.
volatile std::sig_atomic_t g_signalPipe = -1;

} // namespace

SignalWatcher::SignalWatcher(std::initializer_list<int> signalNumbers, QObject* parent)
    : QObject(parent)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_readEnd = ends[0];
    m_writeEnd = ends[1];
    g_signalPipe = m_writeEnd;

    for (const int signalNumber : signalNumbers) {
        struct sigaction action { };
        action.sa_handler = &SignalWatcher::onSignal;
        sigemptyset(&action.sa_mask);
        // Interrupted system calls resume, so that no read or write elsewhere fails with EINTR.
        action.sa_flags = SA_RESTART;
        struct sigaction previous { };
        if (::sigaction(signalNumber, &action, &previous) == 0)
            m_previous.emplace_back(signalNumber, previous);
    }
    if (m_previous.empty())
        return;
    m_notifier = new QSocketNotifier(m_readEnd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &SignalWatcher::readPipe);
}

SignalWatcher::~SignalWatcher()
{
    for (const auto& [signalNumber, previous] : m_previous)
        ::sigaction(signalNumber, &previous, nullptr);
    g_signalPipe = -1;
    if (m_readEnd >= 0)
        ::close(m_readEnd);
    if (m_writeEnd >= 0)
        ::close(m_writeEnd);
}

void SignalWatcher::onSignal(int signalNumber)
{
    const int savedErrno = errno;
    const int pipe = g_signalPipe;
    if (pipe >= 0) {
        const unsigned char number = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds signals enough to end the program.
        [[maybe_unused]] const ssize_t written = ::write(pipe, &number, 1);
    }
    errno = savedErrno;
}

void SignalWatcher::readPipe()
{
    unsigned char numbers[64];
    for (;;) {
        const ssize_t count = ::read(m_readEnd, numbers, sizeof numbers);
        if (count <= 0)
            return;
        for (ssize_t i = 0; i < count; ++i)
            emit received(numbers[i]);
    }
}
