#include "harvest/WalkPlan.h"

#include "archive/ArchiveNames.h"
#include "catalogue/CatalogueFiles.h"
#include "files/NativePath.h"
#include "platform/NameOrder.h"

#include <algorithm>

namespace glyphor {

namespace {

// Inserts path into the sorted work list after every entry that sorts before
// or equal to it, so that the folders are visited in the order of their full
// paths, each before its own subfolders.
void InsertSorted(QStringList& list, const QString& path)
{
    const auto at = std::upper_bound(list.begin(), list.end(), path,
        [](const QString& a, const QString& b) { return CompareNames(a, b) < 0; });
    list.insert(at, path);
}

// The folder at relative below source, opened one name at a time, never
// through a link: a folder that was queued and then replaced by a link (to
// "..", say) is not entered, and a path longer than the system's limit on a
// path is entered all the same.
files::Folder OpenBelow(const files::Folder& source, const QString& relative)
{
    files::Folder folder = source.duplicate();
    for (const QString& name : relative.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        folder = folder.child(files::ToNativePath(name));
        if (!folder.ok())
            break;
    }
    return folder;
}

// The files a harvest keeps in its destination: the icon files and the
// catalogue with SQLite's files beside it.
bool IsDestinationOwn(std::string_view name)
{
    static const SourceKinds kIcons = *SourceKinds::Parse(QStringLiteral("ico"));
    if (kIcons.matches(name))
        return true;
    for (const std::string_view suffix : { "-wal", "-shm", "-journal" }) {
        if (name.ends_with(suffix)) {
            name.remove_suffix(suffix.size());
            break;
        }
    }
    return catalogue::CatalogueNumber(name).has_value();
}

} // namespace

WalkPlan::WalkPlan(FileOps& files, const HarvestRequest& request, const QString& sourceFolder,
    const files::Folder* destination, const files::Folder* temp)
    : m_files(files)
    , m_request(request)
    , m_sourceFolder(sourceFolder)
    , m_source(files::Folder::open(files::ToNativePath(sourceFolder)))
    , m_destination(destination && destination->ok() ? destination : nullptr)
    , m_temp(temp && temp->ok() ? temp : nullptr)
{
}

std::optional<WalkStep> WalkPlan::next()
{
    while (m_steps.empty()) {
        if (!listNextFolder())
            return std::nullopt;
    }
    WalkStep step = std::move(m_steps.front());
    m_steps.pop_front();
    return step;
}

bool WalkPlan::listNextFolder()
{
    QString current;
    std::shared_ptr<const files::Folder> folder;
    if (!m_started) {
        m_started = true;
        current = m_sourceFolder;
        folder = std::make_shared<const files::Folder>(m_source.duplicate());
    } else {
        if (m_index >= m_workList.size())
            return false;
        current = m_workList[m_index] + QLatin1Char('/');
        folder = std::make_shared<const files::Folder>(
            OpenBelow(m_source, m_workList[m_index].mid(m_sourceFolder.size())));
        ++m_index;
    }
    // The harvest's Temp holds its own captures: taken again as sources, they
    // would be collected into the folder they are read from.
    if (m_temp && folder->isSameAs(*m_temp))
        return true;
    const bool destination = m_destination && folder->isSameAs(*m_destination);
    // A folder that cannot be searched gives no entries and no checks.
    std::optional<std::vector<platform::DirEntry>> listed = m_files.listDirectory(*folder);
    if (!listed)
        return true;
    // The listing leaves out "." and "..", which a directory search gives
    // first for every folder but the root. The stop is checked before each
    // of them all the same, so that a stop is answered in a folder that is
    // empty too.
    if (current != QLatin1String("/")) {
        m_steps.push_back(WalkStep {});
        m_steps.push_back(WalkStep {});
    }
    QStringList archives;
    for (const platform::DirEntry& entry : *listed) {
        m_steps.push_back(WalkStep {});
        if (entry.attributes == platform::faDirectory) {
            InsertSorted(m_workList, current + entry.name);
            continue;
        }
        const std::string native = files::ToNativePath(entry.name);
        if (destination && IsDestinationOwn(native))
            continue;
        // Archives, and programs that may be self-extracting ones, are read
        // after the folder's own files.
        if (m_request.archives && !(entry.attributes & platform::faDirectory)
            && (archive::IsArchiveName(native) || archive::IsSelfExtractingName(native)))
            archives << entry.name;
        if (m_request.kinds.matches(entry.name))
            m_steps.push_back(
                WalkStep { WalkStep::Kind::File, folder, entry.name, current + entry.name });
    }
    for (const QString& name : archives)
        m_steps.push_back(WalkStep { WalkStep::Kind::Archive, folder, name, current + name });
    return true;
}

} // namespace glyphor
