#include "kit/ScanFolders.h"

#include "files/NativePath.h"
#include "harvest/TempFolder.h"
#include "kit/NativeFiles.h"
#include "platform/FileSystem.h"

namespace glyphor::kit {

ScanFolders::ScanFolders(const QString& sourceName, const QString& destinationName)
{
    m_root = PathOf(m_scratch);
    m_source = m_root + QLatin1Char('/') + sourceName;
    m_destination = m_root + QLatin1Char('/') + destinationName;
    MakePath(m_source);
    MakePath(m_destination);
}

QString ScanFolders::putSource(const QString& relative, const Bytes& bytes) const
{
    const QString path = m_source + QLatin1Char('/') + relative;
    MakePath(platform::FolderOf(path));
    WriteBytes(path, bytes);
    return path;
}

bool IsCatalogueName(const QString& name)
{
    return name.startsWith(QLatin1String("glyphor2-catalogue"));
}

QStringList WithoutCatalogue(QStringList names)
{
    names.removeIf(IsCatalogueName);
    return names;
}

void MakeHarvestTemp(const QString& folder)
{
    MakePath(folder);
    WriteBytes(folder + QLatin1Char('/') + QString::fromLatin1(kTempMarkName), { 'm' });
}

QString ScanFolders::makeTemp() const
{
    MakeHarvestTemp(temp());
    return temp();
}

} // namespace glyphor::kit
