#pragma once
// A fifo with a writer that keeps offering it some bytes: whoever opens it
// for reading gets them at once. Code that opens it the blocking way thus
// goes on with those bytes instead of hanging the test, and the test sees
// that it was read as if it were a file.

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace glyphor::test {

class FedFifo {
public:
    explicit FedFifo(const QString& path, int bytes = 600)
        : m_path(QFile::encodeName(path))
    {
        // A write after the reader has gone must not end the test program.
        std::signal(SIGPIPE, SIG_IGN);
        made = ::mkfifo(m_path.constData(), 0666) == 0;
        m_writer = std::thread([this, bytes] {
            const QByteArray data(bytes, 'f');
            while (!m_stop) {
                const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (fd >= 0) {
                    [[maybe_unused]] const ssize_t n
                        = ::write(fd, data.constData(), std::size_t(data.size()));
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
        });
    }
    ~FedFifo()
    {
        m_stop = true;
        m_writer.join();
    }

    bool made = false;

private:
    QByteArray m_path;
    std::atomic<bool> m_stop { false };
    std::thread m_writer;
};

} // namespace glyphor::test
