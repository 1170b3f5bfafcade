#include "files/WriteAll.h"

#include <cerrno>
#include <unistd.h>

namespace glyphor::files {

int WriteAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        data += n;
        size -= std::size_t(n);
    }
    return 0;
}

} // namespace glyphor::files
