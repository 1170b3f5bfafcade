#include "kit/Corpus.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace glyphor::kit {

namespace {

// A variable of the environment; empty when unset, as the shell's ${V:-...} takes it.
std::string Environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string CorpusRoot()
{
    if (std::string corpus = Environment("G2_CORPUS"); !corpus.empty())
        return corpus;
    std::string cache = Environment("XDG_CACHE_HOME");
    if (cache.empty())
        cache = Environment("HOME") + "/.cache";
    return cache + "/glyphor2/corpus";
}

std::vector<CorpusEntry> CorpusManifest()
{
    // Tab-separated rows after a header: set, package, path, format, icon_groups.
    std::vector<CorpusEntry> files;
    const std::string root = CorpusRoot();
    std::ifstream in(root + "/manifest.tsv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream row(line);
        for (std::string cell; std::getline(row, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() >= 5)
            files.push_back(
                { root + "/" + cells[2], cells[2], cells[3], std::atoi(cells[4].c_str()) });
    }
    return files;
}

std::string CorpusPath(const std::string& relative)
{
    const std::string path = CorpusRoot() + "/" + relative;
    std::error_code error;
    return std::filesystem::exists(path, error) ? path : std::string();
}

} // namespace glyphor::kit
