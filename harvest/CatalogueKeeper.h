#pragma once
// The catalogue of a harvest's destination as the harvest keeps it: each
// capture recorded with its source before its collected file takes its name,
// and then what the merge did with it. Whatever goes wrong with the catalogue
// never stops the harvest; it is told once, as a notice.

#include "catalogue/Catalogue.h"
#include "harvest/HarvestObserver.h"
#include "harvest/IconProvider.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace glyphor::files {
class Folder;
}

namespace glyphor {

class CatalogueKeeper {
public:
    // Keeps nothing.
    CatalogueKeeper() = default;
    // The catalogue of destination, a folder held open whose path the user
    // knows as shownDestination; its notices go to tell, the first at once
    // when there is one.
    CatalogueKeeper(const files::Folder& destination, const QString& shownDestination,
        std::function<void(const QString&)> tell);

    bool kept() const { return m_catalogue.kept(); }
    // Where its notices go from now on.
    void setTell(std::function<void(const QString&)> tell) { m_tell = std::move(tell); }
    const std::function<void(const QString&)>& teller() const { return m_tell; }

    // What a run that was cut off left waiting is set right; while the
    // destination's harvest lock is held.
    void settle();
    // A capture of icon place.number - 1 of the source (and member), whose
    // collected file in Temp is about to take the name collected.
    void captured(const IconPlace& place, const std::optional<OriginalGroup>& group,
        std::span<const std::uint8_t> iconFile, const QString& collected);
    // The collected file took another name than the one given.
    void renamed(const QString& collected, const QString& taken);

    // What the merge did with the collected icon (its bytes, by which one
    // left by an earlier run is found).
    void placed(
        const QString& collected, std::span<const std::uint8_t> iconFile, const QString& destName);
    void duplicate(
        const QString& collected, std::span<const std::uint8_t> iconFile, const QString& destName);
    void discarded(const QString& collected, std::span<const std::uint8_t> iconFile);
    // The merge's records go into the catalogue together, at each commit;
    // see catalogue::Catalogue::holdSteps.
    void holdSteps() { m_catalogue.holdSteps(); }
    void commitSteps();

    // Save Icon: a capture about to be saved straight into the destination
    // as name, and saved as taken.
    void saving(const QString& source, int index, const std::optional<OriginalGroup>& group,
        std::span<const std::uint8_t> iconFile, const QString& name);
    void saved(const QString& taken);

private:
    std::optional<catalogue::CaptureId> idOf(
        const QString& collected, std::span<const std::uint8_t> iconFile);
    void tell();

    catalogue::Catalogue m_catalogue;
    std::function<void(const QString&)> m_tell;
    // This run's captures, by their collected names in Temp.
    QHash<QString, catalogue::CaptureId> m_ids;
    QString m_pending; // the collected name last given to captured()
};

} // namespace glyphor
