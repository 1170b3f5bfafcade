#include "platform/FolderWatch.h"

#include "files/Folder.h"
#include "files/NativePath.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace glyphor::platform {

FolderWatch::FolderWatch(const QString& folder)
{
    watch(files::ToNativePath(folder));
}

FolderWatch::FolderWatch(const files::Folder& folder)
{
    // The system's name for the open folder leads to it wherever it is now.
    if (folder.ok())
        watch("/proc/self/fd/" + std::to_string(folder.descriptor()));
}

void FolderWatch::watch(const std::string& path)
{
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    // The folder the path leads to: a link there (as the name of an open
    // folder is) is followed to it.
    constexpr std::uint32_t kChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO
        | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(m_fd, path.c_str(), kChanges) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FolderWatch::expect(const QString& name)
{
    m_expected.insert(files::ToNativePath(name));
}

bool FolderWatch::changedByOthers()
{
    if (m_fd < 0)
        return true;
    bool changed = false;
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        for (ssize_t at = 0; at + ssize_t(sizeof(inotify_event)) <= got;) {
            inotify_event event {};
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof(inotify_event);
            at += ssize_t(sizeof(inotify_event) + event.len);
            // A lost event, or the folder itself gone or moved: anything may
            // have changed.
            if (event.mask & (IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
                changed = true;
                continue;
            }
            const std::string entry(name, ::strnlen(name, event.len));
            if ((event.mask & (IN_CREATE | IN_MOVED_TO)) && m_expected.erase(entry) > 0)
                continue;
            changed = true;
        }
    }
    return changed;
}

} // namespace glyphor::platform
