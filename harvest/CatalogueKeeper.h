#pragma once
// The catalogue of a harvest's destination as the harvest keeps it: each
// capture recorded with its source before its collected file takes its name,
// and then what the merge did with it. Whatever goes wrong with the catalogue
// never stops the harvest; it is told once, as a notice.

#include "catalogue/Catalogue.h"
#include "harvest/CollectedIcon.h"
#include "harvest/HarvestObserver.h"
#include "harvest/IconProvider.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

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
    void setTell(std::function<void(const QString&)> tell) { m_tell = std::move(tell); }

    // What a run that was cut off left waiting is set right; while the
    // destination's harvest lock is held, before the temporary files of
    // writers that were cut off are removed: unplaced names the files they
    // were meant to become, relative to the destination ("Temp/Icon0003.ico").
    void settle(const std::set<std::string>& unplaced);
    // A capture of icon place.number - 1 of the source (and member), whose
    // collected file in Temp is about to take the name collected; its record.
    std::optional<catalogue::CaptureId> captured(const IconPlace& place,
        const std::optional<OriginalGroup>& group, std::span<const std::uint8_t> iconFile,
        const QString& collected);
    // The collected file took another name than the one given, or never
    // came to be.
    void renamed(catalogue::CaptureId id, const QString& taken);
    void forget(catalogue::CaptureId id);

    // What the merge did with a collected icon (its bytes, by which one
    // left by an earlier run is found).
    void placed(
        const CollectedIcon& icon, std::span<const std::uint8_t> iconFile, const QString& destName);
    void duplicate(
        const CollectedIcon& icon, std::span<const std::uint8_t> iconFile, const QString& destName);
    void discarded(const CollectedIcon& icon, std::span<const std::uint8_t> iconFile);
    // The records go into the catalogue together, at each commit; see
    // catalogue::Catalogue::holdSteps.
    void holdSteps() { m_catalogue.holdSteps(); }
    void commitSteps();

    // Save Icon: a capture about to be saved straight into the destination
    // as name, and saved as taken.
    void saving(const QString& source, int index, const std::optional<OriginalGroup>& group,
        std::span<const std::uint8_t> iconFile, const QString& name);
    void saved(const QString& taken);

private:
    // The records of a collected icon: this run's, or those an earlier run
    // left waiting for its file (several when captures shared it), oldest
    // first.
    std::vector<catalogue::CaptureId> idsOf(
        const CollectedIcon& icon, std::span<const std::uint8_t> iconFile);
    void tell();

    catalogue::Catalogue m_catalogue;
    std::function<void(const QString&)> m_tell;
    // Save Icon's capture, by its name in the destination.
    std::optional<catalogue::CaptureId> m_saving;
    QString m_pending; // the name last given to saving()
};

} // namespace glyphor
