#include "harvest/IconProvider.h"

#include "exe/IconExtractor.h"
#include "files/NativePath.h"
#include "util/Error.h"

#include <sys/stat.h>

namespace glyphor {

namespace {

// What tells one state of a file from another without reading it.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified {};

    bool operator==(const FileIdentity& o) const
    {
        return device == o.device && inode == o.inode && size == o.size
            && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
    }
};

std::optional<FileIdentity> IdentityOf(const std::string& path)
{
    struct stat st { };
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity { st.st_dev, st.st_ino, st.st_size, st.st_mtim };
}

} // namespace

struct PlatformIconProvider::Parsed {
    QString path;
    FileIdentity identity;
    exe::IconSource icons;
};

PlatformIconProvider::PlatformIconProvider() = default;
PlatformIconProvider::~PlatformIconProvider() = default;

const PlatformIconProvider::Parsed* PlatformIconProvider::parsed(const QString& path) const
{
    const std::string native = files::ToNativePath(path);
    const auto identity = IdentityOf(native);
    if (!identity) {
        m_last.reset();
        return nullptr;
    }
    if (m_last && m_last->path == path && m_last->identity == *identity)
        return m_last.get();
    m_last.reset();
    auto icons = exe::IconSource::fromFile(native);
    if (!icons)
        return nullptr;
    m_last.reset(new Parsed { path, *identity, std::move(*icons) });
    return m_last.get();
}

int PlatformIconProvider::count(const QString& path) const
{
    const Parsed* p = parsed(path);
    if (!p)
        return 0;
    const int n = p->icons.count();
    // A file cut short while its directory was read has no icons now; it is
    // parsed again when next asked for.
    if (!p->icons.readFailure().empty())
        m_last.reset();
    return n;
}

std::optional<IconImage> PlatformIconProvider::extract(const QString& path, int index) const
{
    if (index < 0)
        return std::nullopt;
    const Parsed* p = parsed(path);
    if (!p || index >= p->icons.count())
        return std::nullopt;
    auto icon = p->icons.icon(index);
    const std::string failure = p->icons.readFailure();
    if (!failure.empty()) {
        m_last.reset();
        throw Error(
            FormatMessage("Cannot read file %s", files::MessagePath(path)) + ": " + failure);
    }
    // The reader's reason goes with the icon to the skip line and the
    // summary, so that the user learns where the file is damaged.
    if (!icon)
        throw EInvalidIcon(InvalidIconMessage(icon.message()));
    return std::move(*icon);
}

} // namespace glyphor
