#include "kit/NativeFiles.h"

#include "files/NativePath.h"
#include "kit/Corpus.h"

#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace glyphor::kit {

using files::FromNativePath;
using files::ToNativePath;

QString PathOf(const ScratchFolder& folder)
{
    return FromNativePath(folder.path());
}

void MakePath(const QString& folder)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(ToNativePath(folder)), ignored);
}

void MakeFiles(const QString& folder, const QStringList& names)
{
    MakePath(folder);
    for (const QString& name : names) {
        const int fd = ::open(ToNativePath(folder + QLatin1Char('/') + name).c_str(),
            O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
        if (fd >= 0)
            ::close(fd);
    }
}

void MakeFolders(const QString& folder, const QStringList& names)
{
    for (const QString& name : names)
        MakePath(folder + QLatin1Char('/') + name);
}

QStringList NumberedNames(const QString& pattern, int count, int width, int first)
{
    QStringList names;
    for (int i = first; i < first + count; ++i)
        names << pattern.arg(i, width, 10, QLatin1Char('0'));
    return names;
}

void RemoveAll(const QString& path)
{
    std::error_code ignored;
    std::filesystem::remove_all(std::filesystem::path(ToNativePath(path)), ignored);
}

bool WriteBytes(const QString& path, const Bytes& bytes)
{
    return WriteBytes(ToNativePath(path), bytes);
}

Bytes ReadBytes(const QString& path)
{
    return ReadBytes(ToNativePath(path));
}

QString CorpusFile(const QString& relative)
{
    const std::string path = CorpusPath(ToNativePath(relative));
    return path.empty() ? QString() : FromNativePath(path);
}

} // namespace glyphor::kit
