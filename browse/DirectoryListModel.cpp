#include "browse/DirectoryListModel.h"

#include "platform/FileSystem.h"
#include "platform/NameOrder.h"
#include "platform/Volumes.h"
#include "util/Error.h"

namespace glyphor {

DirectoryListModel::DirectoryListModel(QObject* parent)
    : QObject(parent)
{
    try {
        m_directory = platform::CurrentDirectory();
    } catch (const EInOutError&) {
        m_directory = QStringLiteral("/");
    }
    platform::NoteVisitedFolder(m_directory);
    rebuild();
}

void DirectoryListModel::setDirectory(const QString& path)
{
    if (path.isEmpty() || path == m_directory)
        return;
    const platform::ResolvedPath resolved = platform::ResolvePath(path);
    // The old folder is passed through for the process's sake only; that it
    // may be gone is no reason to stay in it.
    platform::TryChangeDirectory(m_directory);
    platform::ChangeDirectory(resolved.folder);
    m_directory = platform::CurrentDirectory();
    platform::NoteVisitedFolder(m_directory);
    rebuild();
}

QString DirectoryListModel::drive() const
{
    return platform::VolumeRootOf(m_directory, platform::MountedVolumes());
}

void DirectoryListModel::setDrive(const QString& root)
{
    if (root.isEmpty())
        return;
    const QVector<platform::Volume> volumes = platform::MountedVolumes();
    if (platform::VolumeRootOf(m_directory, volumes) == root)
        return;
    // The newest folder visited on that volume that can still be entered; a
    // folder removed since then is passed over rather than reported.
    for (const QString& folder : platform::VisitedFolders()) {
        if (platform::VolumeRootOf(folder, volumes) != root)
            continue;
        try {
            setDirectory(folder);
            return;
        } catch (const EInOutError&) {
        }
    }
    setDirectory(root);
}

void DirectoryListModel::rebuild()
{
    m_entries.clear();
    if (m_directory == QLatin1String("/")) {
        m_entries.push_back({ m_directory, EntryKind::Current });
    } else {
        const QStringList parts = m_directory.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        m_entries.push_back({ QStringLiteral("/"), EntryKind::Open });
        for (qsizetype i = 0; i < parts.size(); ++i)
            m_entries.push_back(
                { parts[i], i + 1 == parts.size() ? EntryKind::Current : EntryKind::Open });
    }
    m_currentIndex = int(m_entries.size()) - 1;

    QStringList subfolders;
    try {
        platform::SearchDirectory(
            m_directory,
            [&](const platform::DirEntry& entry) {
                if ((entry.attributes & platform::faDirectory)
                    && !(entry.attributes & platform::faHidden))
                    subfolders.push_back(entry.name);
            },
            platform::AttributeDetail::Kind);
    } catch (const EInOutError&) {
        // A folder that can be entered but not listed simply shows no subfolders.
    }
    SortNamesUnique(subfolders);
    for (const QString& name : subfolders)
        m_entries.push_back({ name, EntryKind::Closed });

    m_selectedIndex = m_currentIndex;
    emit entriesReplaced();
    emit changed();
}

void DirectoryListModel::setSelectedIndex(int index)
{
    if (index >= 0 && index < m_entries.size())
        m_selectedIndex = index;
}

QString DirectoryListModel::entryPath(int index) const
{
    if (index < 0 || index >= m_entries.size())
        return {};
    if (index == 0)
        return QStringLiteral("/");
    switch (m_entries[index].kind) {
    case EntryKind::Closed:
        return platform::JoinPath(m_directory, m_entries[index].text);
    case EntryKind::Current:
        return m_directory;
    case EntryKind::Open:
        break;
    }
    // The ancestor that open entry i shows: the folder cut just before its
    // (i + 1)-th separator.
    int seen = 0;
    for (qsizetype at = 0; at < m_directory.size(); ++at) {
        if (m_directory[at] == QLatin1Char('/') && ++seen == index + 1)
            return m_directory.left(at);
    }
    return m_directory;
}

void DirectoryListModel::openSelected()
{
    if (m_selectedIndex >= 0)
        setDirectory(entryPath(m_selectedIndex));
}

} // namespace glyphor
