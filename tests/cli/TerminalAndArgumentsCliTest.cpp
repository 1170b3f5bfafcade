// Names with control characters on their way to a terminal or a script, and
// arguments the tool must not take without a word.

#include "HarvestTrees.h"

#include "kit/Executables.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

namespace {

using namespace glyphor::test;

// A tree of S/a.exe, S/D, D, text.txt and L (a link to S/D); row.file, when
// given, is put in S (or as the member of S/m.lzh): a.exe's icon, or a
// damaged one.
struct Row {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out; // found in stdout ("@": the tree's root)
    std::string err; // found in stderr
    std::string file = {};
    bool member = false, damaged = false;
    std::vector<std::string> before = {}; // run first
};

class Cli : public testing::TestWithParam<Row> { };

TEST_P(Cli, TellsWhatItShould)
{
    const Row& row = GetParam();
    Tree tree;
    tree.put("S/a.exe", glyphor::kit::PeWithOneIcon(1));
    tree.put("text.txt", { 'h', 'i' });
    tree.folder("S/D");
    tree.folder("D");
    std::filesystem::create_directory_symlink("S/D", tree.path("L"));
    const auto bytes
        = row.damaged ? glyphor::kit::PeWithImageBeyondTheEnd(2) : glyphor::kit::PeWithOneIcon(1);
    if (!row.file.empty())
        tree.put(row.member ? "S/m.lzh" : "S/" + row.file,
            row.member ? glyphor::kit::StoredLzh({ { row.file, bytes } }) : bytes);
    if (!row.before.empty())
        tree.run(row.before);
    const Output o = tree.run(row.args);
    const auto at = [&](std::string text) {
        const auto at = text.find('@');
        return at == std::string::npos ? text : text.replace(at, 1, tree.root() + "/");
    };
    EXPECT_EQ(o.status, row.status) << o.err;
    EXPECT_NE(o.out.find(at(row.out)), std::string::npos) << o.out;
    EXPECT_NE(o.err.find(at(row.err)), std::string::npos) << o.err;
    // A skip is told once, in the list at the end; OUT of - is no file.
    EXPECT_EQ(o.err.find("Skipped ...."), std::string::npos) << o.err;
    EXPECT_FALSE(std::filesystem::exists(tree.path("-")));
}

const std::string kDamaged
    = " Icon 1 of 1: Icon image is not valid: image data lies beyond the end of the file\n";
const std::vector<std::string> kHarvested = { "scan-tree", "S", "D" };
const std::vector<std::string> kWithArchives = { "scan-tree", "--archives", "S", "D" };

// Names are marked (\xHH) where people read them, escaped where scripts
// read fields, and never put in a file name as they are.
INSTANTIATE_TEST_SUITE_P(TerminalNames, Cli,
    testing::Values(
        Row { "SkipLineOnce", kWithArchives, 3, "",
            "skipped @S/a\\x0Acaptured 9\\x0A.exe" + kDamaged, "a\ncaptured 9\n.exe", false, true },
        Row { "SkipLineOfAMember", kWithArchives, 3, "",
            "skipped @S/m.lzh" + kIn + "b\\x1B[2J.exe" + kDamaged, "b\x1B[2J.exe", true, true },
        Row { "Sources", { "sources", "D/Icon0000.ico" }, 0, "@S/a\\tb\\nc\\\\.exe\t0\n", "",
            "a\tb\nc\\.exe", false, false, kHarvested },
        Row { "Catalogue", { "catalogue", "D" }, 0, "\t@S/m.lzh\t0\tm\\r1.exe\t", "", "m\r1.exe",
            true, false, kWithArchives },
        Row { "ExtractedName", { "extract", "S/e\x1B[2J.exe", "." }, 0, "./e_[2J.exe-", "",
            "e\x1B[2J.exe" },
        Row { "Error", { "icons", "gone\r\x1B[2J.exe" }, 1, "",
            "gone\\x0D\\x1B[2J.exe: No such file or directory\n" }),
    glyphor::kit::RowName());

const std::string kKinds = "exe, dll, icl, cpl, ocx, scr, drv, mun, ax, ico";
const std::string kNoSource = ": not a Windows executable or icon file\n";
const std::string kInside = "its icon files, catalogue and Temp folder are not harvested";
std::vector<std::string> AllInto(const char* dest)
{
    return { "scan-tree", "--kinds", "all", "S", dest };
}

INSTANTIATE_TEST_SUITE_P(Arguments, Cli,
    testing::Values(Row { "UnknownKind", { "scan-tree", "--kinds", "exe,foo", "S", "D" }, 2, "",
                        "not a kind of icon source: 'foo' (the kinds: " + kKinds + ", or all)" },
        Row { "KindWithItsDot", { "scan-tree", "--kinds=.exe", "S", "D" }, 2, "", "'.exe'" },
        Row { "KindsTwice", { "scan-tree", "--kinds", "exe", "--kinds=dll", "S", "D" }, 2, "",
            "--kinds: given more than once" },
        Row { "HelpListsKinds", { "--help" }, 0, kKinds, "" },
        Row { "MissingDestination", { "scan-tree", "S", "gone" }, 1, "",
            "Destination folder gone: No such file or directory\n" },
        Row { "IndexNotANumber", { "capture", "S/a.exe", "abc", "o.ico" }, 2, "",
            "INDEX: 'abc' is not a valid integer value\n" },
        Row { "ShowOfAnExecutable", { "show", "S/a.exe", "x.png" }, 1, "",
            "S/a.exe: not an icon file" },
        Row { "IconsOfText", { "icons", "text.txt" }, 1, "", "text.txt" + kNoSource },
        Row { "ScanFileOfText", { "scan-file", "text.txt", "D" }, 1, "", "text.txt" + kNoSource },
        Row { "FullToStandardOutput", { "full", "D/Icon0000.ico", "-" }, 0,
            std::string("\0\0\1\0", 4), "", {}, false, false, kHarvested },
        Row { "DestinationInside", AllInto("S/D"), 0, "captured 1, added 0\n",
            "S/D lies inside the source folder S; " + kInside, {}, false, false, AllInto("S/D") },
        Row { "DestinationIsTheSource", AllInto("S"), 0, "captured 1, added 0\n",
            "S is the source folder itself; " + kInside, {}, false, false, AllInto("S") },
        Row { "DestinationThroughALink", AllInto("L"), 0, "captured 1, added 0\n", "L lies inside",
            {}, false, false, AllInto("L") }),
    glyphor::kit::RowName());

} // namespace
