// The extraction over the corpus of real executables, in one process:
// every file counted and every icon decoded (files/s, icons/s), the same with
// the whole capture in memory (round trip and icon file bytes), the floor of
// merely opening the files, and the count of a small DLL against the same DLL
// padded with 100 MB, which should cost the same.

#include "exe/IconExtractor.h"
#include "files/FileSource.h"
#include "iconfile/IconFileWriter.h"
#include "iconfile/IconNormalizer.h"

#include "kit/Corpus.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace glyphor;
using namespace glyphor::exe;
using namespace glyphor::files;

namespace {

using kit::CorpusEntry;

const std::vector<CorpusEntry>& CorpusEntries()
{
    static const std::vector<CorpusEntry> files = kit::CorpusManifest();
    return files;
}

const std::vector<std::string>& CorpusFiles()
{
    static const std::vector<std::string> files = [] {
        std::vector<std::string> out;
        for (const CorpusEntry& e : CorpusEntries())
            out.push_back(e.path);
        return out;
    }();
    return files;
}

template <class PerIcon> void OverCorpus(benchmark::State& state, PerIcon perIcon)
{
    if (CorpusFiles().empty()) {
        state.SkipWithError("no corpus (set G2_CORPUS)");
        return;
    }
    std::int64_t files = 0;
    std::int64_t icons = 0;
    for (auto _ : state) {
        for (const std::string& path : CorpusFiles()) {
            auto source = IconSource::fromFile(path);
            const int n = source ? source->count() : 0;
            for (int i = 0; i < n; ++i) {
                auto icon = source->icon(i);
                if (icon)
                    perIcon(*icon);
            }
            icons += n;
            ++files;
        }
    }
    state.counters["files/s"]
        = benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsRate);
    state.counters["icons/s"]
        = benchmark::Counter(static_cast<double>(icons), benchmark::Counter::kIsRate);
}

void BM_CountAndDecodeCorpus(benchmark::State& state)
{
    OverCorpus(state, [](const IconImage& icon) { benchmark::DoNotOptimize(icon.pixels.data()); });
}
BENCHMARK(BM_CountAndDecodeCorpus)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CaptureCorpusInMemory(benchmark::State& state)
{
    OverCorpus(state, [](const IconImage& icon) {
        auto bytes = EncodeIconFile(NormalizeIcon(icon));
        benchmark::DoNotOptimize(bytes.data());
    });
}
BENCHMARK(BM_CaptureCorpusInMemory)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: open every file and read its first byte.
void BM_OpenCorpusFloor(benchmark::State& state)
{
    std::int64_t files = 0;
    for (auto _ : state) {
        for (const std::string& path : CorpusFiles()) {
            auto file = FileSource::open(path);
            std::uint8_t first[1];
            if (file && file->read(0, first))
                benchmark::DoNotOptimize(first[0]);
            ++files;
        }
    }
    state.counters["files/s"]
        = benchmark::Counter(static_cast<double>(files), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_OpenCorpusFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

// The smallest DLL of the corpus that has icons, and a copy of it with 100 MB of zero bytes
// appended after its sections.
struct PaddedDll {
    std::string small;
    std::string padded;
    PaddedDll()
    {
        std::uintmax_t best = UINTMAX_MAX;
        for (const CorpusEntry& e : CorpusEntries()) {
            if (e.iconGroups == 0 || !e.path.ends_with(".dll"))
                continue;
            const auto size = std::filesystem::file_size(e.path);
            if (size < best) {
                best = size;
                small = e.path;
            }
        }
        if (small.empty())
            return;
        padded = (std::filesystem::temp_directory_path() / "g2-bench-padded.dll").string();
        std::filesystem::copy_file(
            small, padded, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::resize_file(padded, std::filesystem::file_size(small) + (100u << 20));
    }
    ~PaddedDll()
    {
        if (!padded.empty())
            std::filesystem::remove(padded);
    }
};

const PaddedDll& Padded()
{
    static const PaddedDll p;
    return p;
}

void CountOne(benchmark::State& state, const std::string& path)
{
    if (path.empty()) {
        state.SkipWithError("corpus DLL not found");
        return;
    }
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
    for (auto _ : state)
        benchmark::DoNotOptimize(IconCount(path));
}

void BM_CountSmallDll(benchmark::State& state)
{
    CountOne(state, Padded().small);
}
void BM_CountPadded100MbDll(benchmark::State& state)
{
    CountOne(state, Padded().padded);
}
BENCHMARK(BM_CountSmallDll)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CountPadded100MbDll)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
