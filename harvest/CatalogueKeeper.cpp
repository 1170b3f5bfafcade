#include "harvest/CatalogueKeeper.h"

#include "files/Folder.h"
#include "files/NativePath.h"

namespace glyphor {

namespace {

// Names in the catalogue are relative to the destination folder.
std::string InTemp(const QString& name)
{
    return "Temp/" + files::ToNativePath(name);
}

catalogue::GroupName GroupOf(const std::optional<OriginalGroup>& group)
{
    if (!group)
        return {};
    if (group->number)
        return catalogue::GroupName::Number(*group->number);
    return catalogue::GroupName::Named(group->name);
}

} // namespace

CatalogueKeeper::CatalogueKeeper(const files::Folder& destination, const QString& shownDestination,
    std::function<void(const QString&)> tell)
    // The folder held open, by the name the system gives it, so that the
    // catalogue goes with it wherever it is now; the notices name it by the
    // path the user gave, which that name means nothing to.
    : m_catalogue(catalogue::Catalogue::OpenForHarvest(
        "/proc/self/fd/" + std::to_string(destination.descriptor()),
        files::ToNativePath(shownDestination)))
    , m_tell(std::move(tell))
{
    this->tell();
}

void CatalogueKeeper::tell()
{
    const std::string notice = m_catalogue.takeNotice();
    if (!notice.empty() && m_tell)
        m_tell(files::DisplayMessage(notice));
}

void CatalogueKeeper::settle()
{
    if (m_catalogue.kept())
        m_catalogue.settleWaiting();
    tell();
}

void CatalogueKeeper::captured(const IconPlace& place, const std::optional<OriginalGroup>& group,
    std::span<const std::uint8_t> iconFile, const QString& collected)
{
    if (!m_catalogue.kept())
        return;
    const std::optional<catalogue::CaptureId> id = m_catalogue.recordCapture({
        files::ToNativePath(place.file),
        files::ToNativePath(place.member),
        place.number - 1,
        GroupOf(group),
        0,
        iconFile,
        group ? std::span<const std::uint8_t>(group->file) : std::span<const std::uint8_t>(),
        InTemp(collected),
    });
    if (id)
        m_ids.insert(collected, *id);
    tell();
}

void CatalogueKeeper::renamed(const QString& collected, const QString& taken)
{
    const auto it = m_ids.constFind(collected);
    if (it == m_ids.constEnd() || collected == taken)
        return;
    const catalogue::CaptureId id = *it;
    m_ids.remove(collected);
    m_ids.insert(taken, id);
    m_catalogue.recordCollectedName(id, InTemp(taken));
    tell();
}

std::optional<catalogue::CaptureId> CatalogueKeeper::idOf(
    const QString& collected, std::span<const std::uint8_t> iconFile)
{
    if (!m_catalogue.kept())
        return std::nullopt;
    if (const auto it = m_ids.constFind(collected); it != m_ids.constEnd())
        return *it;
    // Left in Temp by an earlier run.
    return m_catalogue.findWaiting(InTemp(collected), iconFile);
}

void CatalogueKeeper::placed(
    const QString& collected, std::span<const std::uint8_t> iconFile, const QString& destName)
{
    if (const auto id = idOf(collected, iconFile))
        m_catalogue.recordPlaced(*id, files::ToNativePath(destName));
    tell();
}

void CatalogueKeeper::duplicate(
    const QString& collected, std::span<const std::uint8_t> iconFile, const QString& destName)
{
    // The destination file holds the very same bytes: the merge compared
    // them whole and read it once more before leaving the icon out.
    if (const auto id = idOf(collected, iconFile))
        m_catalogue.recordDuplicate(
            *id, files::ToNativePath(destName), catalogue::HashOfBytes(iconFile));
    tell();
}

void CatalogueKeeper::commitSteps()
{
    m_catalogue.commitSteps();
    tell();
}

void CatalogueKeeper::discarded(const QString& collected, std::span<const std::uint8_t> iconFile)
{
    if (const auto id = idOf(collected, iconFile))
        m_catalogue.recordDiscarded(*id);
    tell();
}

void CatalogueKeeper::saving(const QString& source, int index,
    const std::optional<OriginalGroup>& group, std::span<const std::uint8_t> iconFile,
    const QString& name)
{
    if (!m_catalogue.kept())
        return;
    const std::optional<catalogue::CaptureId> id = m_catalogue.recordCapture({
        files::ToNativePath(source),
        {},
        index,
        GroupOf(group),
        0,
        iconFile,
        group ? std::span<const std::uint8_t>(group->file) : std::span<const std::uint8_t>(),
        files::ToNativePath(name),
    });
    m_pending = name;
    m_ids.clear();
    if (id)
        m_ids.insert(name, *id);
    tell();
}

void CatalogueKeeper::saved(const QString& taken)
{
    const auto it = m_ids.constFind(m_pending);
    if (it == m_ids.constEnd())
        return;
    if (taken != m_pending)
        m_catalogue.recordCollectedName(*it, files::ToNativePath(taken));
    m_catalogue.recordPlaced(*it, files::ToNativePath(taken));
    m_ids.clear();
    tell();
}

} // namespace glyphor
