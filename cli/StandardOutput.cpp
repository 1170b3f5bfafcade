#include "cli/StandardOutput.h"

#include "cli/Commands.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace glyphor::cli {

namespace {

// Set once a failed write has been told, so that the close does not tell it
// again.
bool g_failureTold = false;

std::string WriteErrorText(int error)
{
    return std::string("Stream write error: standard output: ") + std::strerror(error);
}

bool IsOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1 || errno != EBADF;
}

} // namespace

void HoldStandardDescriptors()
{
    // Which ones are closed is settled before the pipe takes numbers itself.
    bool closed[3] = {};
    bool any = false;
    for (int fd = 0; fd < 3; ++fd) {
        closed[fd] = !IsOpen(fd);
        any = any || closed[fd];
    }
    if (!any)
        return;
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    // Writing to the read end fails, and reading from it ends at once: its
    // write end is closed below.
    for (int fd = 0; fd < 3; ++fd) {
        if (closed[fd] && ends[0] != fd)
            ::dup2(ends[0], fd);
    }
    for (const int end : ends) {
        if (end > 2)
            ::close(end);
    }
}

void WriteStandardOutput(std::span<const std::uint8_t> bytes)
{
    errno = 0;
    const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    if (written == bytes.size() && std::fflush(stdout) == 0)
        return;
    const int error = errno != 0 ? errno : EIO;
    g_failureTold = true;
    throw Error(WriteErrorText(error));
}

int FinishStandardOutput(int status)
{
    // The flush writes what is still buffered; a write that failed earlier
    // keeps its bytes in the buffer, so that this flush fails again and gives
    // the reason afresh. The close reports what the system noticed last.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
    const int flushError = errno;
    errno = 0;
    const bool closed = std::fclose(stdout) == 0;
    const int closeError = errno;
    if (flushed && closed)
        return status;
    if (!g_failureTold) {
        const int error = !flushed && flushError != 0 ? flushError
            : closeError != 0                         ? closeError
                                                      : EIO;
        PrintError(Error(WriteErrorText(error)));
    }
    return status == kExitSuccess ? kExitError : status;
}

} // namespace glyphor::cli
