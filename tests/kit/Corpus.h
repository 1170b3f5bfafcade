#pragma once
// The corpus of real executables that the tests and the benchmarks read, in
// the folder that scripts/corpus-path names: G2_CORPUS, else glyphor2/corpus
// in the user's cache folder. Tests skip themselves when it is absent.

#include <string>
#include <vector>

namespace glyphor::kit {

std::string CorpusRoot();

// One row of the corpus's manifest.
struct CorpusEntry {
    std::string path; // absolute
    std::string relative; // as the manifest lists it
    std::string format; // "PE", "NE", ...
    int iconGroups = 0; // as the peer tool counts them
};

// Every file of the corpus in the manifest's order; none without a corpus.
std::vector<CorpusEntry> CorpusManifest();

// A file of the corpus by its path inside it; empty when it is not there.
std::string CorpusPath(const std::string& relative);

} // namespace glyphor::kit
