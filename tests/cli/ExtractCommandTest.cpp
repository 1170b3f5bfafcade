// glyphor2-cli extract: every group of a file written as the icon or cursor
// file it was, under a name that says the source and the group, never over
// anything, with what was left out named on stderr.

#include "RunCli.h"

#include "exe/CursorFormat.h"
#include "exe/IconExtractor.h"
#include "exe/NeFormat.h"
#include "exe/PeFormat.h"
#include "kit/Corpus.h"
#include "kit/Executables.h"
#include "kit/GroupFiles.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

using namespace glyphor;
using namespace glyphor::kit;
using glyphor::test::Output;
using glyphor::test::RunCli;

using Names = std::vector<std::string>;

const Bytes& Dib16()
{
    static const Bytes b = PatternDib(16, 16, 4, 1);
    return b;
}

Bytes NamedAndNumbered()
{
    return BuildPe({
        { ResId::Id(exe::kGroupIconResourceType), ResId::Id(7), 1033,
            MakeGroup({ { 16, 16, 4, 1 } }) },
        { ResId::Id(exe::kGroupIconResourceType), ResId::Name(u"ICON_FOLDER"), 1033,
            MakeGroup({ { 16, 16, 4, 1 } }) },
        { ResId::Id(exe::kIconResourceType), ResId::Id(1), 1033, Dib16() },
    });
}

Bytes NeWithCursors()
{
    return BuildNeTypes({
        { exe::kNeGroupIconType, { { ResId::Name(u"MAIN"), MakeGroup({ { 16, 16, 4, 1 } }) } } },
        { exe::kNeIconType, { { ResId::Id(1), Dib16() } } },
        { exe::kNeGroupCursorType, { { ResId::Id(3), MakeCursorGroup({ { 16, 16, 9 } }) } } },
        { exe::kNeCursorType, { { ResId::Id(9), CursorImage(1, 2, Dib16()) } } },
    });
}

struct ExtractCase {
    const char* name;
    std::string file; // its name in the folder
    std::function<Bytes()> bytes;
    std::vector<std::string> options;
    int status;
    Names written; // the names in OUT, sorted
    std::string err;
};

void PrintTo(const ExtractCase& c, std::ostream* os)
{
    *os << c.name;
}

class Extract : public ::testing::TestWithParam<ExtractCase> { };

TEST_P(Extract, WritesEveryGroupAndNamesWhatIsLeftOut)
{
    const ExtractCase& c = GetParam();
    const ScratchFolder root;
    ASSERT_EQ(::mkdir(root.file("OUT").c_str(), 0755), 0);
    const Bytes bytes = c.bytes();
    ASSERT_TRUE(WriteBytes(root.file(c.file), bytes));
    std::vector<std::string> args { "extract", c.file, "OUT" };
    args.insert(args.end(), c.options.begin(), c.options.end());
    const Output o = RunCli(args, root.path());
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(ScratchFolder::NamesIn(root.file("OUT")), c.written);
    // Each path written on its own line, and each file a sound icon or
    // cursor file.
    std::string listed;
    for (const std::string& name : c.written) {
        listed += "OUT/" + name + "\n";
        EXPECT_TRUE(ReadGroupFile(ReadBytes(root.file("OUT/" + name)))) << name;
    }
    Names lines;
    for (std::size_t at = 0, end; (end = o.out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(o.out.substr(at, end - at));
    std::sort(lines.begin(), lines.end());
    std::string sorted;
    for (const std::string& line : lines)
        sorted += line + "\n";
    EXPECT_EQ(sorted, listed);
}

INSTANTIATE_TEST_SUITE_P(Cases, Extract,
    ::testing::Values(ExtractCase { "NamedAndNumberedGroups", "app.exe", NamedAndNumbered, {}, 0,
                          { "app.exe-7.ico", "app.exe-ICON_FOLDER.ico" }, "" },
        ExtractCase {
            "CursorsOnlyWhenAsked", "old.exe", NeWithCursors, {}, 0, { "old.exe-MAIN.ico" }, "" },
        ExtractCase { "CursorsWithTheirHotSpots", "old.exe", NeWithCursors, { "--cursors" }, 0,
            { "old.exe-3.cur", "old.exe-MAIN.ico" }, "" },
        ExtractCase { "AMissingImageIsNamedAndTheOthersWritten", "app.exe",
            [] {
                return PeWithIcon({ { 16, 16, 4, 1 }, { 32, 32, 4, 9 } }, { Dib16() });
            },
            {}, 3, { "app.exe-1.ico" },
            "app.exe: icon group 1: image 2 of 2 left out: group directory names no image that "
            "the file holds\n" },
        ExtractCase { "AGroupOfNoImageThatCanBeHad", "app.exe",
            [] { return PeWithImageBeyondTheEnd(); }, {}, 3, {},
            "app.exe: icon group 1: image 1 of 1 left out: image data lies beyond the end of the "
            "file\napp.exe: icon group 1 left out: not one of its images could be had\n" },
        ExtractCase { "ADamagedDirectory", "app.exe",
            [] {
                const Bytes group = MakeGroup({ { 16, 16, 4, 1 } });
                return CutAtImage(BuildPe({ { ResId::Id(exe::kGroupIconResourceType),
                                      ResId::Name(u"X"), 1033, group } }),
                    group);
            },
            {}, 3, {},
            "app.exe: icon group \"X\" left out: group directory lies beyond the end of the "
            "file\n" },
        ExtractCase { "AnIconFileIsOneGroupWithoutName", "a.ico",
            [] {
                return MakeIcoFile({ { 16, 16, 4 } }, { Dib16() });
            },
            {}, 0, { "a.ico.ico" }, "" },
        ExtractCase { "NamesMadeSafeBytesKept", "caf\xE9.exe",
            [] {
                return BuildNeTypes(
                    { { exe::kNeGroupIconType,
                          { { ResId::Name(u"A/B"), MakeGroup({ { 16, 16, 4, 1 } }) },
                              { ResId::Name(u"\u00E9t\u00E9"),
                                  MakeGroup({ { 16, 16, 4, 1 } }) } } },
                        { exe::kNeIconType, { { ResId::Id(1), Dib16() } } } });
            },
            {}, 0, { "caf\xE9.exe-A_B.ico", "caf\xE9.exe-\xE9t\xE9.ico" }, "" },
        ExtractCase { "NoIconsNothingWritten", "notes.txt",
            [] {
                return Bytes { 'h', 'e', 'l', 'l', 'o' };
            },
            { "--cursors" }, 0, {}, "" }),
    RowName());

// Nothing is ever replaced: a second run, or anything in the way, gives the
// next free name, and what was there keeps its bytes.
TEST(ExtractCommand, NeverReplacesAnything)
{
    const ScratchFolder root;
    ASSERT_EQ(::mkdir(root.file("OUT").c_str(), 0755), 0);
    ASSERT_TRUE(WriteBytes(root.file("app.exe"), NamedAndNumbered()));
    ASSERT_TRUE(WriteBytes(root.file("OUT/app.exe-7.ico"), Bytes { 'm', 'i', 'n', 'e' }));
    ASSERT_EQ(::mkdir(root.file("OUT/app.exe-7-2.ico").c_str(), 0755), 0);
    Output o = RunCli({ "extract", "app.exe", "OUT" }, root.path());
    EXPECT_EQ(o.status, 0) << o.err;
    o = RunCli({ "extract", "app.exe", "OUT/" }, root.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, "OUT/app.exe-ICON_FOLDER-2.ico\nOUT/app.exe-7-4.ico\n");
    EXPECT_EQ(ScratchFolder::NamesIn(root.file("OUT")),
        Names({ "app.exe-7-2.ico", "app.exe-7-3.ico", "app.exe-7-4.ico", "app.exe-7.ico",
            "app.exe-ICON_FOLDER-2.ico", "app.exe-ICON_FOLDER.ico" }));
    EXPECT_EQ(ReadBytes(root.file("OUT/app.exe-7.ico")), Bytes({ 'm', 'i', 'n', 'e' }));
    EXPECT_EQ(
        ReadBytes(root.file("OUT/app.exe-7-3.ico")), ReadBytes(root.file("OUT/app.exe-7-4.ico")));
}

// Wrong arguments: a usage error; a file or folder that is not there: an
// error naming it with the system's reason, and nothing written.
TEST(ExtractCommand, WrongArgumentsAreTold)
{
    const ScratchFolder root;
    ASSERT_TRUE(WriteBytes(root.file("app.exe"), NamedAndNumbered()));
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } cases[] = {
        { { "extract", "app.exe" }, 2, "usage: glyphor2-cli extract FILE OUTDIR [--cursors]\n" },
        { { "extract", "app.exe", "OUT", "more" }, 2,
            "usage: glyphor2-cli extract FILE OUTDIR [--cursors]\n" },
        { { "extract", "missing.exe", "." }, 1, "missing.exe: No such file or directory\n" },
        { { "extract", "app.exe", "gone" }, 1,
            "Cannot create file gone/app.exe-ICON_FOLDER.ico: No such file or directory\n" },
    };
    for (const auto& c : cases) {
        const Output o = RunCli(c.args, root.path());
        EXPECT_EQ(o.status, c.status) << c.args.back();
        EXPECT_EQ(o.err, c.err) << c.args.back();
        EXPECT_EQ(o.out, "") << c.args.back();
    }
    EXPECT_EQ(root.names(), Names({ "app.exe" }));
}

// Every file of the corpus through the command: as many icon files as the
// icons command counts, each the group the library rebuilds, and nothing
// left out.
TEST(ExtractCommand, EveryGroupOfTheCorpus)
{
    const std::vector<CorpusEntry> corpus = CorpusManifest();
    if (corpus.empty())
        GTEST_SKIP() << "no corpus at " << CorpusRoot() << " (set G2_CORPUS)";
    for (const CorpusEntry& f : corpus) {
        SCOPED_TRACE(f.relative);
        const ScratchFolder out;
        const Output o = RunCli({ "extract", f.path, out.path(), "--cursors" }, out.path());
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.err, "");
        const Output icons = RunCli({ "icons", f.path }, out.path());
        const Bytes all = ReadBytes(f.path);
        const exe::IconSource source(all);
        const exe::IconSource cursors(all, exe::GroupKind::Cursor);
        EXPECT_EQ(icons.out, std::to_string(source.count()) + "\n");
        const Names written = out.names();
        EXPECT_EQ(written.size(), std::size_t(source.count() + cursors.count()));
        std::vector<Bytes> want;
        for (int i = 0; i < source.count(); ++i)
            want.push_back(source.originalGroup(i)->file);
        for (int i = 0; i < cursors.count(); ++i)
            want.push_back(cursors.originalGroup(i)->file);
        std::vector<Bytes> got;
        for (const std::string& name : written)
            got.push_back(ReadBytes(out.file(name)));
        std::sort(want.begin(), want.end());
        std::sort(got.begin(), got.end());
        EXPECT_TRUE(got == want);
    }
}

} // namespace
