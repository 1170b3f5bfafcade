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

GroupName GroupOf(const std::optional<OriginalGroup>& group)
{
    return group ? group->name : GroupName {};
}

std::span<const std::uint8_t> BytesOf(const std::optional<OriginalGroup>& group)
{
    return group ? std::span<const std::uint8_t>(group->file) : std::span<const std::uint8_t>();
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

void CatalogueKeeper::settle(const std::set<std::string>& unplaced)
{
    if (m_catalogue.kept())
        m_catalogue.settleWaiting(unplaced);
    tell();
}

std::optional<catalogue::CaptureId> CatalogueKeeper::captured(const IconPlace& place,
    const std::optional<OriginalGroup>& group, std::span<const std::uint8_t> iconFile,
    const QString& collected)
{
    if (!m_catalogue.kept())
        return std::nullopt;
    catalogue::CaptureRecord record {
        files::ToNativePath(place.file),
        files::ToNativePath(place.member),
        place.number - 1,
        GroupOf(group),
        0,
        iconFile,
        BytesOf(group),
        InTemp(collected),
        group ? group->hash : std::nullopt,
        files::ToNativePath(place.memberPosition),
    };
    const std::optional<catalogue::CaptureId> id = m_catalogue.recordCapture(record);
    tell();
    return id;
}

void CatalogueKeeper::renamed(catalogue::CaptureId id, const QString& taken)
{
    m_catalogue.recordCollectedName(id, InTemp(taken));
    tell();
}

void CatalogueKeeper::forget(catalogue::CaptureId id)
{
    m_catalogue.forgetCapture(id);
    tell();
}

std::vector<catalogue::CaptureId> CatalogueKeeper::idsOf(
    const CollectedIcon& icon, std::span<const std::uint8_t> iconFile)
{
    if (!m_catalogue.kept())
        return {};
    if (icon.id)
        return { *icon.id };
    // Left in Temp by an earlier run.
    return m_catalogue.findAllWaiting(InTemp(icon.name), catalogue::HashOfBytes(iconFile));
}

void CatalogueKeeper::placed(
    const CollectedIcon& icon, std::span<const std::uint8_t> iconFile, const QString& destName)
{
    // Of several captures that shared the file, the oldest became it and
    // the others are its duplicates, as they would have been with files of
    // their own.
    const std::vector<catalogue::CaptureId> ids = idsOf(icon, iconFile);
    for (std::size_t i = 0; i < ids.size(); ++i) {
        if (i == 0)
            m_catalogue.recordPlaced(ids[i], files::ToNativePath(destName));
        else
            m_catalogue.recordDuplicate(
                ids[i], files::ToNativePath(destName), catalogue::HashOfBytes(iconFile));
    }
    tell();
}

void CatalogueKeeper::duplicate(
    const CollectedIcon& icon, std::span<const std::uint8_t> iconFile, const QString& destName)
{
    // The destination file holds the very same bytes: the merge compared
    // them whole and read it once more before leaving the icon out.
    for (const catalogue::CaptureId id : idsOf(icon, iconFile))
        m_catalogue.recordDuplicate(
            id, files::ToNativePath(destName), catalogue::HashOfBytes(iconFile));
    tell();
}

void CatalogueKeeper::commitSteps()
{
    m_catalogue.commitSteps();
    tell();
}

void CatalogueKeeper::discarded(const CollectedIcon& icon, std::span<const std::uint8_t> iconFile)
{
    for (const catalogue::CaptureId id : idsOf(icon, iconFile))
        m_catalogue.recordDiscarded(id);
    tell();
}

void CatalogueKeeper::saving(const QString& source, int index,
    const std::optional<OriginalGroup>& group, std::span<const std::uint8_t> iconFile,
    const QString& name)
{
    m_saving.reset();
    if (!m_catalogue.kept())
        return;
    m_saving = m_catalogue.recordCapture({
        files::ToNativePath(source),
        {},
        index,
        GroupOf(group),
        0,
        iconFile,
        BytesOf(group),
        files::ToNativePath(name),
        group ? group->hash : std::nullopt,
    });
    m_pending = name;
    tell();
}

void CatalogueKeeper::saved(const QString& taken)
{
    if (!m_saving)
        return;
    if (taken != m_pending)
        m_catalogue.recordCollectedName(*m_saving, files::ToNativePath(taken));
    m_catalogue.recordPlaced(*m_saving, files::ToNativePath(taken));
    m_saving.reset();
    tell();
}

} // namespace glyphor
