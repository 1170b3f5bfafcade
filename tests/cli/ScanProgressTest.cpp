#include "cli/ScanProgress.h"
#include "files/NativePath.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

using glyphor::cli::ProgressText;
using glyphor::cli::ScanProgress;

namespace {

// What a progress in the given mode writes for the steps that act on it.
std::string Written(
    ScanProgress::Mode mode, const std::function<void(ScanProgress&)>& steps, int width = 60)
{
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&data, &size);
    {
        ScanProgress progress(mode, out, width);
        steps(progress);
    }
    std::fclose(out);
    std::string text(data, size);
    std::free(data);
    return text;
}

// A short scan with one failure and one stop question in it.
void AScan(ScanProgress& p)
{
    p.status("Busy.");
    p.fileStarted("/src/a.exe");
    p.status("Searching .... a.exe Icon 1 of 1");
    p.iconCaptured();
    p.status("Comparing .... Icon0000.ico with Icon0001.ico");
    p.status("Copy Failed (202)");
    p.note("Move on?\nYes");
    p.status("Ready.");
}

TEST(ScanProgress, EachModeWritesWhatItShould)
{
    // Off a terminal: the lines someone must read, nothing else.
    EXPECT_EQ(Written(ScanProgress::Mode::Lines, AScan), "Copy Failed (202)\nMove on?\nYes\n");
    // Quiet: failures only.
    EXPECT_EQ(Written(ScanProgress::Mode::Quiet, AScan), "Copy Failed (202)\n");
    // A terminal: one line drawn in place, cleared for the lines that must be
    // read, and ended with the final counts.
    EXPECT_EQ(Written(ScanProgress::Mode::Terminal, AScan),
        "\rScanned 1 file, captured 0 icons: /src/a.exe\x1b[K"
        "\r\x1b[K"
        "Copy Failed (202)\n"
        "Move on?\nYes\n"
        "\rScanned 1 file, captured 1 icon\x1b[K\n");
}

TEST(ScanProgress, TheTerminalLineFollowsTheMergeAndEndsOnce)
{
    const std::string out = Written(
        ScanProgress::Mode::Terminal,
        [](ScanProgress& p) {
            p.status("Comparing .... Icon0000.ico with Icon0001.ico");
            p.finish();
            p.finish();
        },
        120);
    EXPECT_EQ(out,
        "\rScanned 0 files, captured 0 icons: Comparing .... Icon0000.ico with Icon0001.ico\x1b[K"
        "\rScanned 0 files, captured 0 icons\x1b[K\n");
}

struct TextCase {
    const char* name;
    int files;
    int icons;
    const char* current;
    int width;
    const char* text;
};

class ProgressTextTest : public ::testing::TestWithParam<TextCase> { };

TEST_P(ProgressTextTest, FitsTheLine)
{
    const TextCase& c = GetParam();
    const QString text = ProgressText(c.files, c.icons, QString::fromUtf8(c.current), c.width);
    EXPECT_EQ(text.toStdString(), c.text);
}

INSTANTIATE_TEST_SUITE_P(Texts, ProgressTextTest,
    ::testing::Values(TextCase { "Plurals", 2, 1, "", 80, "Scanned 2 files, captured 1 icon" },
        TextCase { "Fits", 1, 0, "/a/b.exe", 80, "Scanned 1 file, captured 0 icons: /a/b.exe" },
        TextCase { "StartCutAway", 1, 0, "/long/folder/name/b.exe", 48,
            "Scanned 1 file, captured 0 icons: ...name/b.exe" },
        TextCase {
            "NoRoomForTheFile", 10, 10, "/a/b.exe", 30, "Scanned 10 files, captured 10 icons" }),
    glyphor::kit::RowName());

} // namespace

TEST(ScanProgress, NamesThatAreNotUtf8AreShownWithTheirBytesMarked)
{
    const QString name = glyphor::files::FromNativePath("/src/\xC9"
                                                        "diteur.exe");
    EXPECT_EQ(Written(ScanProgress::Mode::Terminal,
                  [&](ScanProgress& p) {
                      p.fileStarted(name);
                      p.status(glyphor::files::FromNativePath("Cannot read file \xC9"
                                                              "diteur.exe"));
                  }),
        "\rScanned 1 file, captured 0 icons: /src/\\xC9diteur.exe\x1b[K"
        "\r\x1b[K"
        "Cannot read file \\xC9diteur.exe\n"
        "\rScanned 1 file, captured 0 icons\x1b[K\n");
}
