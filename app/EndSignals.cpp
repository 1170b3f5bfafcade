#include "app/EndSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#include <utility>

namespace glyphor {

namespace {

constexpr int kSignals[] = { SIGTERM, SIGHUP };

// [0] is written by the handler, [1] read by the event loop.
int g_pipe[2] = { -1, -1 };

extern "C" void Handle(int number)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t n = ::write(g_pipe[0], &byte, 1);
    errno = saved;
}

} // namespace

void EndSignals::EndAsTheSignalWould(int number)
{
    std::signal(number, SIG_DFL);
    ::raise(number);
}

EndSignals::EndSignals(std::function<void()> last, std::function<void(int)> end, QObject* parent)
    : QObject(parent)
    , m_last(std::move(last))
    , m_end(std::move(end))
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_pipe) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::arrived);
    struct sigaction action { };
    action.sa_handler = Handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        ::sigaction(number, &action, nullptr);
}

EndSignals::~EndSignals()
{
    for (int number : kSignals)
        std::signal(number, SIG_DFL);
    delete m_notifier;
    for (int& fd : g_pipe)
        if (fd >= 0)
            ::close(std::exchange(fd, -1));
}

void EndSignals::arrived()
{
    unsigned char byte = 0;
    if (::read(g_pipe[1], &byte, 1) != 1)
        return;
    if (m_last)
        m_last();
    if (m_end)
        m_end(byte);
}

} // namespace glyphor
