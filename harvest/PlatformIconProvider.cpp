#include "harvest/IconProvider.h"

#include "exe/IconExtractor.h"
#include "files/FileSource.h"
#include "files/Folder.h"
#include "files/NativePath.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <cerrno>
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

std::optional<FileIdentity> IdentityOf(const IconInput& input)
{
    struct stat st { };
    if (input.folder
            ? ::fstatat(input.folder->descriptor(), files::ToNativePath(input.name).c_str(), &st, 0)
                != 0
            : ::stat(files::ToNativePath(input.path).c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity { st.st_dev, st.st_ino, st.st_size, st.st_mtim };
}

} // namespace

struct PlatformIconProvider::Parsed {
    QString path;
    FileIdentity identity;
    const std::uint8_t* bytes; // of an input in memory
    exe::IconSource icons;
};

PlatformIconProvider::PlatformIconProvider() = default;
PlatformIconProvider::~PlatformIconProvider() = default;

const PlatformIconProvider::Parsed* PlatformIconProvider::parsed(const IconInput& input) const
{
    // Bytes in memory are told apart by where they are; a file by its state.
    if (!input.bytes.empty()) {
        if (m_last && m_last->path == input.path && m_last->bytes == input.bytes.data()
            && m_last->identity.size == off_t(input.bytes.size()))
            return m_last.get();
        m_last.reset(new Parsed { input.path, FileIdentity { 0, 0, off_t(input.bytes.size()), {} },
            input.bytes.data(), exe::IconSource(input.bytes) });
        return m_last.get();
    }
    const auto identity = IdentityOf(input);
    if (!identity) {
        m_last.reset();
        return nullptr;
    }
    if (m_last && !m_last->bytes && m_last->path == input.path && m_last->identity == *identity)
        return m_last.get();
    m_last.reset();
    const std::string path = files::ToNativePath(input.path);
    std::unique_ptr<files::FileSource> file = input.folder
        ? files::FileSource::openAt(
            input.folder->descriptor(), files::ToNativePath(input.name), path)
        : files::FileSource::open(path);
    if (!file)
        return nullptr;
    std::optional<exe::IconSource> icons;
    icons.emplace(std::move(file));
    m_last.reset(new Parsed { input.path, *identity, nullptr, std::move(*icons) });
    return m_last.get();
}

int PlatformIconProvider::count(const QString& path) const
{
    return countOf(IconInput::Path(path));
}

std::optional<IconImage> PlatformIconProvider::extract(const QString& path, int index) const
{
    return extractFrom(IconInput::Path(path), index);
}

int PlatformIconProvider::countOf(const IconInput& input) const
{
    const Parsed* p = parsed(input);
    if (!p)
        return 0;
    const int n = p->icons.count();
    // A file cut short while its directory was read has no icons now; it is
    // parsed again when next asked for.
    if (!p->icons.readFailure().empty())
        m_last.reset();
    return n;
}

std::optional<IconImage> PlatformIconProvider::extractFrom(const IconInput& input, int index) const
{
    if (index < 0)
        return std::nullopt;
    const QString& path = input.path;
    const Parsed* p = parsed(input);
    // A file of a harvest's walk that was there when its icons were counted
    // and is gone now: the user learns that it vanished, not that its icon
    // is damaged.
    if (!p && input.folder && errno == ENOENT)
        throw Error(FormatMessage("Cannot read file %s", files::MessagePath(path)) + ": "
            + platform::SystemErrorText(ENOENT).toStdString());
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

std::optional<OriginalGroup> PlatformIconProvider::original(const IconInput& input, int index) const
{
    const Parsed* p = parsed(input);
    return p ? OriginalGroupOf(p->icons, index) : std::nullopt;
}

std::unique_ptr<IconProvider> PlatformIconProvider::forAnotherThread() const
{
    return std::make_unique<PlatformIconProvider>();
}

std::optional<OriginalGroup> OriginalGroupOf(const exe::IconSource& icons, int index)
{
    if (index < 0 || index >= icons.count())
        return std::nullopt;
    Result<exe::RebuiltGroup> rebuilt = icons.originalGroup(index);
    if (!rebuilt || rebuilt->file.empty())
        return std::nullopt;
    OriginalGroup group;
    group.name = icons.groupName(index);
    group.file = std::move(rebuilt->file);
    return group;
}

} // namespace glyphor
