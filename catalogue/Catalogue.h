#pragma once
// The catalogue of one destination folder as a harvest writes it: for every
// capture, where the icon came from and the original group it was made
// from, and then what the merge did with it. It never stands in a harvest's
// way: when it cannot be kept, it says why once and takes no more records,
// and the harvest goes on.
//
// The order of a harvest, each step its own transaction, committed with the
// step it describes:
//
//     Catalogue catalogue = Catalogue::OpenForHarvest(destination);
//     say(catalogue.takeNotice());                     // once, when not empty
//     catalogue.settleWaiting();                       // holding the Temp lock
//     // each capture, before its collected file takes its name:
//     auto id = catalogue.recordCapture({ source, member, index, group, 0,
//                                         iconBytes, groupBytes, "Temp/Icon0003.ico" });
//     // the merge, after each step:
//     catalogue.recordPlaced(*id, "Icon0042.ico");     // copied in under that name
//     catalogue.recordDuplicate(*id, "Icon0007.ico");  // the same icon was there
//     catalogue.recordDiscarded(*id);                  // the user removed the rest
//     say(catalogue.takeNotice());                     // after any step, when not empty
//
// An icon that an earlier, cut-off run left in Temp is found again by its
// collected name and content (findAllWaiting) and completed the same way. The
// file is described in CatalogueFiles.h, its layout in CatalogueSchema.cpp.

#include "catalogue/CatalogueRecords.h"
#include "catalogue/KnownOriginals.h"
#include "catalogue/Sqlite.h"

#include <memory>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <unordered_set>

namespace glyphor::catalogue {

// Most bytes of an original group that are kept; a larger group (a file
// would have to claim hundreds of huge images) is recorded without it.
inline constexpr std::size_t kMaxOriginalBytes = std::size_t { 64 } << 20;

class Catalogue {
public:
    // The catalogue of folder (the system's bytes), made when there is none.
    // Never fails: when it cannot be kept, kept() is false and takeNotice()
    // says why; a damaged, unreadable or read-only catalogue is left as it
    // is and a new one starts beside it, which takeNotice() tells as well.
    // The notices name the folder as shownFolder when it is given: the path
    // the user knows, where folder is a name only the program uses (the
    // folder held open, reached through /proc/self/fd).
    static Catalogue OpenForHarvest(const std::string& folder, const std::string& shownFolder = {});
    // A catalogue that keeps nothing and says nothing (the harvest was told
    // to keep none).
    Catalogue() = default;
    Catalogue(Catalogue&&) noexcept = default;
    Catalogue& operator=(Catalogue&&) noexcept = default;

    bool kept() const { return m_db.isOpen(); }
    // The file written; empty when there is none.
    const std::string& path() const { return m_path; }
    // What the user is to be told about the catalogue, once: why it is not
    // kept, or where it is kept from now on. Empty when there is nothing new.
    std::string takeNotice();

    // A capture, recorded as waiting to be merged, before its collected file
    // takes its name, so that no collected icon is ever without its source.
    // The original group is stored once for all captures that share it.
    // Nothing when the catalogue is not kept (any more).
    std::optional<CaptureId> recordCapture(const CaptureRecord& record);
    // The collected file took another name than recordCapture was given.
    bool recordCollectedName(CaptureId id, const std::string& collected);
    // The collected file of a waiting capture never came to be (its writer
    // failed): the capture is taken out again, as if it had not been made.
    bool forgetCapture(CaptureId id);

    // What the merge did with a waiting capture; destName is the file's name
    // in the destination folder. False when the catalogue is not kept or the
    // capture is not waiting (it was completed before).
    bool recordPlaced(CaptureId id, const std::string& destName);
    // Reads the destination file, whose own content may differ from the
    // capture's beyond what the merge compares, so that it is found by it.
    bool recordDuplicate(CaptureId id, const std::string& destName);
    // The same when the destination file's content is known to hash so.
    bool recordDuplicate(CaptureId id, const std::string& destName, const IconHash& destHash);
    bool recordDiscarded(CaptureId id);
    // The collected file could not be written, or went away.
    bool recordLost(CaptureId id);

    // The waiting capture whose collected file has that name (relative to
    // the destination folder) and content: an icon that a run which was cut
    // off left in Temp. The newest when there are several; nothing when no
    // capture of it waits (it was collected while no catalogue was kept).
    std::optional<CaptureId> findWaiting(
        const std::string& collected, std::span<const std::uint8_t> iconFile);
    // Every waiting capture of that name and content, oldest first: captures
    // equal in every byte share one collected file.
    std::vector<CaptureId> findAllWaiting(const std::string& collected, const IconHash& iconHash);

    // The records from here on go into one transaction, committed by
    // commitSteps(): a harvest records thousands of captures and merge
    // steps, and a transaction each would write the file thousands of
    // times. Captures are committed before their collected files take
    // their names, and no merge step is in the catalogue before its
    // collected file is deleted, which the harvest does only after
    // commitSteps(). A step not committed when a run is cut off leaves its
    // capture waiting with its collected file in Temp, which the next run
    // merges again.
    void holdSteps();
    void commitSteps();

    // Sets right what a run that was cut off left waiting, before the
    // harvest merges what is in Temp (and only while it holds the folder's
    // harvest lock): a capture whose collected file is in Temp with its
    // content stays waiting for the merge (every one of them: captures equal
    // in every byte share a file); one saved straight into the
    // destination (Save Icon) whose file is there became that file; one
    // whose file was still being written when the run was cut off (its
    // writer's temporary file is there, for a name in unplaced) never was a
    // file and is taken out; every other one is lost. Returns how many
    // captures it changed.
    int settleWaiting(const std::set<std::string>& unplaced = {});

private:
    Catalogue(std::string folder, std::string path, std::string shownPath, Database db,
        std::string notice);

    // Runs work on the open catalogue; a failure of SQLite ends the keeping
    // with a notice, and work's transaction, if any, is rolled back.
    template <class Work> bool guarded(Work work);
    // Inside a transaction: the group stored under hash unless it is there.
    void insertOriginal(const IconHash& hash, std::span<const std::uint8_t> group);
    bool complete(CaptureId id, Outcome outcome, const std::string* destName,
        const std::optional<IconHash>& destHash);

    std::string m_folder;
    std::string m_path;
    std::string m_shownPath; // m_path as the notices name it
    Database m_db;
    std::string m_notice;
    bool m_holding = false; // a transaction of merge steps is open
    // Originals stored by this catalogue object (a deque keeps their places,
    // which the index points at: the object is moved only before use).
    std::shared_ptr<KnownOriginals> m_known = std::make_shared<KnownOriginals>();
    // The hashes of the originals this catalogue object has stored, for the
    // groups whose hash the harvest worked out itself.
    struct HashOfHash {
        std::size_t operator()(const IconHash& h) const
        {
            std::size_t v = 0;
            for (std::size_t i = 0; i < sizeof v; ++i)
                v = (v << 8) | h[i];
            return v;
        }
    };
    std::shared_ptr<std::unordered_set<IconHash, HashOfHash>> m_storedHashes
        = std::make_shared<std::unordered_set<IconHash, HashOfHash>>();
};

} // namespace glyphor::catalogue
