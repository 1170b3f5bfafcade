#pragma once
// What the end-to-end tests of harvests share: trees laid out in a scratch
// folder from the corpus's real executables (and from the kit's files), the
// tool run in that folder, and what a harvest left in its destination read
// back as a user reads it: the icon files' bytes, and the places the
// catalogue lists through the `catalogue` command.

#include "RunCli.h"

#include "kit/Archives.h"
#include "kit/Corpus.h"
#include "kit/Files.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace glyphor::test {

// " › ", between an archive's path and its member's, and between the names
// of a member inside archives inside archives.
inline const std::string kIn = " \xE2\x80\xBA ";

// A scratch folder where a test lays out its trees, by paths relative to it.
class Tree {
public:
    const std::string& root() const { return m_scratch.path(); }
    std::string path(const std::string& relative) const { return m_scratch.file(relative); }

    // Makes the folder at relative and those above it.
    void folder(const std::string& relative) const
    {
        std::filesystem::create_directories(path(relative));
    }
    // Writes bytes at relative, making the folders on the way.
    bool put(const std::string& relative, const kit::Bytes& bytes) const
    {
        folder(std::filesystem::path(relative).parent_path().string());
        return kit::WriteBytes(path(relative), bytes);
    }
    // Copies a file of the corpus (its path inside the corpus) to relative;
    // false when the corpus does not hold it.
    bool fromCorpus(const std::string& corpusFile, const std::string& relative) const
    {
        const std::string from = kit::CorpusPath(corpusFile);
        if (from.empty())
            return false;
        folder(std::filesystem::path(relative).parent_path().string());
        std::error_code error;
        return std::filesystem::copy_file(from, path(relative), error);
    }

    // Makes an archive at out of the files names of the folder from, with
    // the kit (extra goes to bsdtar); false when the tool failed.
    bool pack(kit::ArchiveKind kind, const std::string& from, const std::vector<std::string>& names,
        const std::string& out, const std::vector<std::string>& extra = {}) const
    {
        folder(std::filesystem::path(out).parent_path().string());
        return kit::MakeArchive(kind, path(from), names, path(out), extra);
    }

    // glyphor2-cli run in the tree's folder.
    Output run(const std::vector<std::string>& args) const { return RunCli(args, root()); }

private:
    kit::ScratchFolder m_scratch;
};

// The icon files (*.ico) of a folder, by name, sorted.
inline std::vector<std::string> IconNames(const std::string& folder)
{
    std::vector<std::string> names;
    for (const std::string& name : kit::ScratchFolder::NamesIn(folder))
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ico") == 0)
            names.push_back(name);
    return names;
}

// The bytes of a folder's icon files, sorted: what a destination holds,
// whatever its files are called.
inline std::vector<kit::Bytes> IconContents(const std::string& folder)
{
    std::vector<kit::Bytes> contents;
    for (const std::string& name : IconNames(folder))
        contents.push_back(kit::ReadBytes(folder + "/" + name));
    std::sort(contents.begin(), contents.end());
    return contents;
}

// The lines of a text, without their ends.
inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The cells of a line of tab-separated values.
inline std::vector<std::string> Cells(const std::string& line)
{
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

// The lines of standard error that list what a harvest skipped.
inline std::vector<std::string> SkippedLines(const std::string& err)
{
    std::vector<std::string> skipped;
    for (const std::string& line : Lines(err))
        if (line.rfind("skipped ", 0) == 0)
            skipped.push_back(line);
    return skipped;
}

// Where each capture that the catalogue of the tree's folder dest lists
// came from, oldest first: the source's path inside the tree, " › " and the
// member's path for a member, and " #" and the icon's index in it.
inline std::vector<std::string> CapturePlaces(const Tree& tree, const std::string& dest)
{
    const Output o = tree.run({ "catalogue", dest });
    std::vector<std::string> places;
    for (const std::string& line : Lines(o.out)) {
        const std::vector<std::string> cells = Cells(line);
        if (cells.size() != 10)
            return { "a line of " + std::to_string(cells.size()) + " columns: " + line };
        std::string source = cells[3];
        if (source.rfind(tree.root() + "/", 0) == 0)
            source.erase(0, tree.root().size() + 1);
        places.push_back(
            source + (cells[5].empty() ? std::string() : kIn + cells[5]) + " #" + cells[4]);
    }
    return places;
}

} // namespace glyphor::test
