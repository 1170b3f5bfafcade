#include "harvest/IconSource.h"

#include "platform/IconExtractor.h"

#include <QFile>

namespace glyphor {

int PlatformIconSource::count(const QString& path) const
{
    return platform::IconCount(QFile::encodeName(path).toStdString());
}

std::optional<IconImage> PlatformIconSource::extract(const QString& path, int index) const
{
    if (index < 0)
        return std::nullopt;
    return platform::ExtractIcon(QFile::encodeName(path).toStdString(), index);
}

} // namespace glyphor
