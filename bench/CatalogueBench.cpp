// What the catalogue costs a harvest: one capture recorded and committed,
// and the merge's record after it, per icon; the catalogue opened for a
// harvest (which checks it whole) as it grows; and its size per thousand
// icons with the original groups of the corpus. Groups come from the corpus
// of real executables, rebuilt as the multi-image .ico files the harvest
// hands over; without a corpus, stand-ins of 20 KB.

#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueFiles.h"
#include "exe/IconExtractor.h"
#include "iconfile/IconFileFormat.h"
#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"

#include "kit/Catalogues.h"
#include "kit/Corpus.h"
#include "kit/Files.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace glyphor;
using namespace glyphor::catalogue;

namespace {

struct BenchIcon {
    std::string source;
    int index = 0;
    kit::Bytes iconFile;
    kit::Bytes group;
};

// The group's images as stored in the executable, behind a directory.
kit::Bytes GroupFile(const exe::IconSource& source, int index)
{
    std::vector<kit::Bytes> images;
    std::vector<IconDirEntry> entries;
    for (const exe::IconCandidate& c : source.images(index)) {
        kit::Bytes bytes = source.imageBytes(c);
        if (bytes.empty())
            continue;
        IconDirEntry e {};
        e.width = static_cast<std::uint8_t>(c.width >= 256 ? 0 : c.width);
        e.height = static_cast<std::uint8_t>(c.height >= 256 ? 0 : c.height);
        e.planes = 1;
        e.bitCount = static_cast<std::uint16_t>(c.bitCount);
        e.bytesInRes = static_cast<std::uint32_t>(bytes.size());
        entries.push_back(e);
        images.push_back(std::move(bytes));
    }
    kit::Bytes out;
    AppendRecord(out, IconDirHeader { 0, 1, static_cast<std::uint16_t>(entries.size()) });
    std::uint32_t offset
        = static_cast<std::uint32_t>(sizeof(IconDirHeader) + entries.size() * sizeof(IconDirEntry));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        entries[i].imageOffset = offset;
        offset += static_cast<std::uint32_t>(images[i].size());
        AppendRecord(out, entries[i]);
    }
    for (const kit::Bytes& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

const std::vector<BenchIcon>& Icons()
{
    static const std::vector<BenchIcon> icons = [] {
        std::vector<BenchIcon> out;
        for (const kit::CorpusEntry& e : kit::CorpusManifest()) {
            auto source = exe::IconSource::fromFile(e.path);
            for (int i = 0; source && i < source->count(); ++i) {
                auto icon = source->icon(i);
                if (icon)
                    out.push_back(
                        { e.path, i, EncodeIconFile(NormalizeIcon(*icon)), GroupFile(*source, i) });
            }
        }
        for (int i = 0; out.empty() && i < 500; ++i)
            out.push_back({ "/stand-in.exe", i, kit::FakeIconFile(i), kit::FakeGroup(i, 20000) });
        return out;
    }();
    return icons;
}

// The destination: beside the other scratch folders, on the disk rather
// than in memory, where a harvest writes.
struct Destination {
    kit::ScratchFolder folder;
    Catalogue catalogue = Catalogue::OpenForHarvest(folder.path());
};

CaptureRecord RecordOf(const BenchIcon& icon, const kit::Bytes& group, std::int64_t n)
{
    return { icon.source, "", icon.index, GroupName::Number(static_cast<std::uint32_t>(n)), 0,
        icon.iconFile, group, "Temp/Icon" + std::to_string(n % 10000) + ".ico", std::nullopt };
}

// Every original new (range 1), as in a first harvest of new programs, or
// every one kept already (range 0), as in a harvest of the same programs again.
void BM_RecordCapture(benchmark::State& state)
{
    const bool fresh = state.range(0) != 0;
    Destination d;
    std::int64_t n = 0;
    kit::Bytes group;
    for (auto _ : state) {
        const BenchIcon& icon = Icons()[std::size_t(n) % Icons().size()];
        // Three bytes of n make each group one of its own.
        if (fresh) {
            group = icon.group;
            for (int shift : { 0, 8, 16 })
                group.push_back(static_cast<std::uint8_t>(n >> shift));
        }
        if (!d.catalogue.recordCapture(RecordOf(icon, fresh ? group : icon.group, n))) {
            state.SkipWithError("not kept");
            break;
        }
        ++n;
    }
    state.counters["captures/s"]
        = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordCapture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A capture and its merge record: the two commits every icon of a harvest
// costs.
void BM_RecordCaptureAndPlace(benchmark::State& state)
{
    Destination d;
    std::int64_t n = 0;
    for (auto _ : state) {
        const BenchIcon& icon = Icons()[std::size_t(n) % Icons().size()];
        const auto id = d.catalogue.recordCapture(RecordOf(icon, icon.group, n));
        if (!id || !d.catalogue.recordPlaced(*id, "Icon" + std::to_string(n) + ".ico")) {
            state.SkipWithError("not kept");
            break;
        }
        ++n;
    }
    state.counters["icons/s"]
        = benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RecordCaptureAndPlace)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Every icon of the corpus recorded once, as a harvest of it into an empty
// folder records it, copies rounds times over with every original new:
// the catalogue's size per thousand icons once closed, and the cost of
// opening it for the next harvest.
void BM_OpenForHarvest(benchmark::State& state)
{
    const int rounds = static_cast<int>(state.range(0));
    const kit::ScratchFolder folder;
    std::int64_t n = 0;
    double groupBytes = 0;
    {
        Catalogue c = Catalogue::OpenForHarvest(folder.path());
        for (int r = 0; r < rounds; ++r) {
            for (const BenchIcon& icon : Icons()) {
                kit::Bytes group = icon.group;
                if (r > 0)
                    group.push_back(static_cast<std::uint8_t>(r));
                groupBytes += static_cast<double>(group.size());
                const auto id = c.recordCapture(RecordOf(icon, group, n));
                if (!id || !c.recordPlaced(*id, "Icon" + std::to_string(n) + ".ico"))
                    state.SkipWithError("not kept");
                ++n;
            }
        }
    }
    const auto size = std::filesystem::file_size(JoinPath(folder.path(), CatalogueFileName(1)));
    for (auto _ : state) {
        Catalogue c = Catalogue::OpenForHarvest(folder.path());
        if (!c.kept()) {
            state.SkipWithError("not kept");
            break;
        }
    }
    state.counters["icons"] = static_cast<double>(n);
    state.counters["MB"] = static_cast<double>(size) / 1e6;
    state.counters["MB/1000 icons"] = static_cast<double>(size) / 1e3 / static_cast<double>(n);
    // Of which the original groups themselves.
    state.counters["group MB/1000 icons"] = groupBytes / 1e3 / static_cast<double>(n);
}
BENCHMARK(BM_OpenForHarvest)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
