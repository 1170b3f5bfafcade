#include "cli/Commands.h"

#include "catalogue/CatalogueReader.h"
#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "cli/ScanProgress.h"
#include "files/NativePath.h"
#include "util/Error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace glyphor::cli {

namespace {

using catalogue::CatalogueEntry;
using catalogue::CatalogueReader;

// The folder an icon file lies in, whose catalogue knows it.
std::string FolderOf(const std::string& file)
{
    const auto slash = file.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

catalogue::IconHash HashOf(const std::string& file)
{
    RequireReadableFile(file);
    auto hash = catalogue::HashOfFile(file);
    if (!hash)
        throw Error(hash.message());
    return *hash;
}

void Note(const std::string& text)
{
    if (ScanProgress::processMode() != ScanProgress::Mode::Quiet)
        std::fprintf(stderr, "%s\n", files::DisplayMessage(text).toUtf8().constData());
}

// What the reader could not read. A catalogue left behind by a damaged one
// is only noted: its sources are a bonus, and it stays there for good. The
// current one not read is an error, raised after what could be read.
void ReportProblems(const CatalogueReader& reader)
{
    const catalogue::CatalogueProblem* current = nullptr;
    for (const catalogue::CatalogueProblem& p : reader.problems()) {
        if (p.current)
            current = &p;
        else
            Note(p.message);
    }
    if (current)
        throw Error(current->message);
}

void Print(const std::string& line)
{
    std::fwrite(line.data(), 1, line.size(), stdout);
}

} // namespace

int SourcesCommand(const Arguments& args)
{
    if (args.size() != 1) {
        std::fputs("usage: glyphor2-cli sources DEST/IconNNNN.ico\n", stderr);
        return 2;
    }
    return RunReportingErrors([&] {
        const catalogue::IconHash hash = HashOf(args[0]);
        const std::string folder = FolderOf(args[0]);
        CatalogueReader reader(folder);
        if (!reader.found()) {
            Note(Shown(folder) + " has no catalogue");
            return;
        }
        for (const CatalogueEntry& e : catalogue::DistinctPlaces(reader.sources(hash))) {
            std::string line = TabField(e.source) + "\t" + std::to_string(e.index);
            if (!e.member.empty())
                line += "\t" + TabField(e.member) + "\t" + TabField(e.memberPosition);
            Print(line + "\n");
        }
        ReportProblems(reader);
    });
}

int FullCommand(const Arguments& args)
{
    if (args.size() != 2) {
        std::fputs("usage: glyphor2-cli full DEST/IconNNNN.ico OUT.ico\n", stderr);
        return 2;
    }
    return RunReportingErrors([&] {
        const catalogue::IconHash hash = HashOf(args[0]);
        const std::string folder = FolderOf(args[0]);
        CatalogueReader reader(folder);
        if (!reader.found())
            throw Error("No original of " + Shown(args[0]) + " is kept: " + Shown(folder)
                + " has no catalogue");
        const auto original = reader.original(hash);
        if (!original) {
            ReportProblems(reader);
            throw Error("No original of " + Shown(args[0]) + " is kept in the catalogue");
        }
        WriteOutput(args[1], *original, ExistingOutput::Refuse);
        ReportProblems(reader);
    });
}

int CatalogueCommand(const Arguments& args)
{
    if (args.size() != 1) {
        std::fputs("usage: glyphor2-cli catalogue DEST\n", stderr);
        return 2;
    }
    return RunReportingErrors([&] {
        struct stat st { };
        if (::stat(args[0].c_str(), &st) != 0)
            throw Error(Shown(args[0]) + ": " + std::strerror(errno));
        if (!S_ISDIR(st.st_mode))
            throw Error(Shown(args[0]) + ": " + std::strerror(ENOTDIR));
        CatalogueReader reader(args[0]);
        if (!reader.found()) {
            Note(Shown(args[0]) + " has no catalogue");
            return;
        }
        for (const CatalogueEntry& e : reader.entries()) {
            Print(catalogue::IsoTime(e.time) + "\t" + std::string(catalogue::OutcomeName(e.outcome))
                + "\t" + TabField(e.file) + "\t" + TabField(e.source) + "\t"
                + std::to_string(e.index) + "\t" + TabField(e.member) + "\t"
                + TabField(e.group.shown()) + "\t" + catalogue::HexOf(e.iconHash) + "\t"
                + (e.originalHash ? catalogue::HexOf(*e.originalHash) : std::string()) + "\t"
                + std::to_string(e.originalSize) + "\n");
        }
        ReportProblems(reader);
    });
}

} // namespace glyphor::cli
