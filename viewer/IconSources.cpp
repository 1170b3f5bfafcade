#include "viewer/IconSources.h"

#include "files/InputFile.h"
#include "files/NativePath.h"

#include <algorithm>

namespace glyphor {

IconSources::IconSources(const QString& folder)
    : m_folder(folder)
{
}

IconSources::~IconSources() = default;

catalogue::CatalogueReader& IconSources::reader()
{
    if (!m_reader)
        m_reader = std::make_unique<catalogue::CatalogueReader>(
            m_folder.isEmpty() ? std::string(".") : files::ToNativePath(m_folder));
    return *m_reader;
}

IconSourcesFound IconSources::lookup(const QString& path)
{
    IconSourcesFound found;
    files::InputFile file = files::InputFile::open(files::ToNativePath(path));
    if (!file.ok())
        return found;
    std::vector<std::uint8_t> bytes;
    if (file.readToEnd(bytes, kMaxLookedUpIconFile) != 0 || bytes.size() > kMaxLookedUpIconFile)
        return found;
    found.hash = catalogue::HashOfBytes(bytes);
    if (!reader().found())
        return found;
    const std::vector<catalogue::CatalogueEntry> all = reader().sources(*found.hash);
    found.places = catalogue::DistinctPlaces(all);
    // A place whose first capture came without its group may have been
    // captured with it later: what counts is whether any capture kept one.
    found.originalKept = std::any_of(all.begin(), all.end(),
        [](const catalogue::CatalogueEntry& e) { return e.originalHash.has_value(); });
    return found;
}

std::optional<std::vector<std::uint8_t>> IconSources::original(const catalogue::IconHash& hash)
{
    if (!reader().found())
        return std::nullopt;
    return reader().original(hash);
}

bool IconSources::found()
{
    return reader().found();
}

QStringList IconSources::problems() const
{
    QStringList out;
    if (m_reader)
        for (const catalogue::CatalogueProblem& p : m_reader->problems())
            out << files::DisplayMessage(p.message);
    return out;
}

} // namespace glyphor
