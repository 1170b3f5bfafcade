// glyphor2-cli: the program's engine without a window, for scripts, checks,
// benchmarks and file managers' thumbnails.

#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "cli/ScanProgress.h"
#include "cli/StandardOutput.h"
#include "harvest/SourceKinds.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Command {
    const char* name;
    const char* arguments;
    const char* summary;
    int (*run)(const glyphor::cli::Arguments&);
};

// One row per subcommand.
constexpr Command kCommands[] = {
    { "show", "FILE OUT.png", "the icon an icon file shows, as a PNG", glyphor::cli::ShowCommand },
    { "icons", "FILE", "the number of icons of an executable", glyphor::cli::IconsCommand },
    { "capture", "FILE INDEX OUT.ico", "the icon file a capture of one icon writes",
        glyphor::cli::CaptureCommand },
    { "capture-all", "FILE OUTDIR", "every icon of a file as an icon file",
        glyphor::cli::CaptureAllCommand },
    { "save", "FILE INDEX DESTDIR", "what Save Icon does", glyphor::cli::SaveCommand },
    { "scan-tree", "[--kinds LIST] [--archives] [--no-catalogue] [--jobs N] SRCDIR DESTDIR",
        "what Scan Tree does", glyphor::cli::ScanTreeCommand },
    { "scan-file", "[--no-catalogue] [--jobs N] FILE DESTDIR", "what Scan File does",
        glyphor::cli::ScanFileCommand },
    { "thumbnail", "FILE OUT.png SIZE", "the first icon as a PNG, for file managers",
        glyphor::cli::ThumbnailCommand },
    { "extract", "FILE OUTDIR [--cursors]", "every icon group as the icon file it was",
        glyphor::cli::ExtractCommand },
    { "sources", "DEST/IconNNNN.ico", "where the icon file's icon was found",
        glyphor::cli::SourcesCommand },
    { "full", "DEST/IconNNNN.ico OUT.ico", "the original group the icon file was made from",
        glyphor::cli::FullCommand },
    { "catalogue", "DEST", "every capture the destination's catalogue records",
        glyphor::cli::CatalogueCommand },
};

void PrintCommands(std::FILE* out)
{
    for (const Command& c : kCommands) {
        const std::string call = std::string(c.name) + " " + c.arguments;
        std::fprintf(out, "  %-32s %s\n", call.c_str(), c.summary);
    }
}

int Usage()
{
    std::fputs("usage: glyphor2-cli [--quiet] COMMAND ARGS...\ncommands:\n", stderr);
    PrintCommands(stderr);
    std::fputs("glyphor2-cli --help tells more.\n", stderr);
    return 2;
}

int Help()
{
    std::fputs("usage: glyphor2-cli [--quiet] COMMAND ARGS...\n"
               "Harvests the icons of Windows executables (PE, NE) and icon files\n"
               "into 32 x 32, 16-colour icon files, without a window.\n\n"
               "commands:\n",
        stdout);
    PrintCommands(stdout);
    std::printf("\nscan-tree --kinds takes a list of these, separated by commas, or all:\n  %s\n"
                "(by default exe,dll; archives are read with --archives).\n",
        glyphor::SourceKinds::knownList().toUtf8().constData());
    std::fputs("\noptions:\n"
               "  -q, --quiet    no progress and no notes on stderr, errors only\n"
               "  -h, --help     this text\n"
               "      --version  the version\n\n"
               "No OUT is ever replaced: a name that is taken is refused (thumbnail\n"
               "fills an empty file that is there). An OUT.png or OUT.ico of - is\n"
               "standard output (show, thumbnail, full).\n\n"
               "sources and catalogue print tab-separated fields as their bytes, with\n"
               "a backslash, tab, newline and carriage return written \\\\, \\t, \\n, \\r.\n\n"
               "exit status: 0 success, 1 an error (a failed write to standard output\n"
               "included), 2 a usage error, 3 a scan that finished but left icons in\n"
               "the Temp folder, or an extract that left damaged images out, 4 a scan\n"
               "whose search was stopped by Ctrl+C (what it collected was merged).\n"
               "The manual page glyphor2-cli(1) tells more.\n",
        stdout);
    return 0;
}

bool Is(const char* arg, const char* a, const char* b = nullptr)
{
    return std::strcmp(arg, a) == 0 || (b && std::strcmp(arg, b) == 0);
}

int Run(int argc, char* argv[])
{
    // Options come before the command; everything after the command is its
    // own, so that an INDEX of -1 or a file named like an option gets through.
    int at = 1;
    for (; at < argc && argv[at][0] == '-'; ++at) {
        if (Is(argv[at], "--help", "-h"))
            return Help();
        if (Is(argv[at], "--version")) {
            std::puts("glyphor2-cli " G2_VERSION);
            return 0;
        }
        if (Is(argv[at], "--quiet", "-q")) {
            glyphor::cli::SetQuiet(true);
            continue;
        }
        if (Is(argv[at], "--")) {
            ++at;
            break;
        }
        std::fprintf(
            stderr, "glyphor2-cli: unknown option %s\n", glyphor::cli::Shown(argv[at]).c_str());
        return Usage();
    }
    if (at >= argc)
        return Usage();
    const std::string name = argv[at];
    for (const Command& c : kCommands) {
        if (name != c.name)
            continue;
        const glyphor::cli::Arguments args(argv + at + 1, argv + argc);
        if (args.size() == 1 && args[0] == "--help") {
            std::printf("usage: glyphor2-cli %s %s\n  %s\n", c.name, c.arguments, c.summary);
            return 0;
        }
        return c.run(args);
    }
    std::fprintf(stderr, "glyphor2-cli: unknown command %s\n", glyphor::cli::Shown(name).c_str());
    return Usage();
}

} // namespace

int main(int argc, char* argv[])
{
    // Every command, the help and the version included, is checked for what
    // it printed: a failed write to standard output is a failed run.
    glyphor::cli::HoldStandardDescriptors();
    return glyphor::cli::FinishStandardOutput(Run(argc, argv));
}
