// The same harvest with one reader thread and with several: the same icon
// files under the same names, the same catalogue (but for the times), the
// same summary and the same skips, over the corpus, archives of it and a
// tree of damaged and hostile files.

#include "HarvestTrees.h"

#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <functional>

#include <unistd.h>

namespace {

using namespace glyphor::test;
using glyphor::kit::ArchiveKind;
namespace kit = glyphor::kit;

const std::string kNotepad = "public/libwine-i386/notepad.exe";
const std::string kWinemine = "public/libwine-i386/winemine.exe";
const std::string kHh = "public/libwine-i386/hh.exe";

// A tree to harvest (its folder in the tree, the tool's options); false when
// it cannot be made here.
struct JobsTree {
    const char* name;
    std::function<bool(const Tree&)> make;
    std::vector<std::string> options;
};

void PrintTo(const JobsTree& row, std::ostream* os)
{
    *os << row.name;
}

// What a harvest leaves that a user can see, but for the catalogue's times.
struct Harvest {
    Output run;
    std::vector<std::pair<std::string, kit::Bytes>> files;
    std::vector<std::string> catalogue;

    bool operator==(const Harvest& o) const
    {
        return run.status == o.run.status && run.out == o.run.out
            && SkippedLines(run.err) == SkippedLines(o.run.err) && files == o.files
            && catalogue == o.catalogue;
    }
};

Harvest HarvestWith(const Tree& tree, const std::vector<std::string>& options, int jobs)
{
    const std::string dest = "D" + std::to_string(jobs);
    tree.folder(dest);
    std::vector<std::string> args { "scan-tree", "--jobs", std::to_string(jobs) };
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), { "S", dest });
    Harvest h { tree.run(args), {}, {} };
    for (const std::string& name : IconNames(tree.path(dest)))
        h.files.emplace_back(name, kit::ReadBytes(tree.path(dest + "/" + name)));
    for (const std::string& line : Lines(tree.run({ "catalogue", dest }).out))
        h.catalogue.push_back(line.substr(line.find('\t')));
    return h;
}

class Jobs : public testing::TestWithParam<JobsTree> { };

TEST_P(Jobs, GiveTheSameHarvestAsOne)
{
    Tree tree;
    if (!GetParam().make(tree))
        GTEST_SKIP() << "the tree cannot be made here (corpus or packer missing)";
    const Harvest one = HarvestWith(tree, GetParam().options, 1);
    EXPECT_FALSE(one.files.empty());
    for (int jobs : { 2, 8 })
        EXPECT_TRUE(HarvestWith(tree, GetParam().options, jobs) == one) << jobs << " jobs";
}

bool Corpus(const Tree& tree)
{
    const std::string corpus = kit::CorpusRoot() + "/public";
    return ::access(corpus.c_str(), R_OK) == 0
        && ::symlink(corpus.c_str(), tree.path("S").c_str()) == 0;
}

bool Archives(const Tree& tree)
{
    for (const auto& [name, corpus] :
        { std::pair { "w/notepad.exe", kNotepad }, { "w/winemine.exe", kWinemine },
            { "w/setup/hh.exe", kHh }, { "S/notepad.exe", kNotepad } })
        if (!tree.fromCorpus(corpus, name))
            return false;
    const std::vector<std::string> names { "winemine.exe", "setup/hh.exe", "notepad.exe" };
    return tree.pack(ArchiveKind::Zip, "w", names, "S/a.zip")
        && tree.pack(ArchiveKind::SevenZip, "w", names, "S/b.7z")
        && tree.pack(ArchiveKind::TarGz, "w", names, "S/sub/c.tar.gz")
        && std::filesystem::copy_file(tree.path("S/b.7z"), tree.path("w/b.7z"))
        && tree.pack(ArchiveKind::Zip, "w", { "b.7z", "notepad.exe" }, "S/sub/nested.zip");
}

bool Hostile(const Tree& tree)
{
    if (!Archives(tree))
        return false;
    // A program cut short, a file that is no program, a zip bomb and a 7z
    // without its end, among good files.
    kit::Bytes cut = kit::ReadBytes(tree.path("S/notepad.exe"));
    cut.resize(cut.size() / 2);
    const kit::Bytes junk(5000, 0x4D);
    if (!kit::WriteBytes(tree.path("S/cut.exe"), cut)
        || !kit::WriteBytes(tree.path("S/junk.dll"), junk)
        || !kit::WriteBytes(tree.path("w/zeros.dll"), {})
        || ::truncate(tree.path("w/zeros.dll").c_str(), 64 << 20) != 0
        || !tree.pack(ArchiveKind::Zip, "w", { "zeros.dll", "winemine.exe" }, "S/bomb.zip"))
        return false;
    kit::Bytes seven = kit::ReadBytes(tree.path("S/b.7z"));
    seven.resize(seven.size() - 100);
    return kit::WriteBytes(tree.path("S/sub/cut.7z"), seven);
}

INSTANTIATE_TEST_SUITE_P(Trees, Jobs,
    testing::Values(JobsTree { "Corpus", Corpus, {} },
        JobsTree { "Archives", Archives, { "--archives" } },
        JobsTree { "Hostile", Hostile, { "--archives", "--kinds", "all" } }),
    kit::RowName());

} // namespace
