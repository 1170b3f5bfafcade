#pragma once
// The end of a scan of the tool: what it tells (the summary on stdout, what
// was left behind on stderr) and the exit status that says what happened.

#include "harvest/HarvestOutcome.h"

#include <cstdio>

namespace glyphor::cli {

struct ScanEnd {
    HarvestOutcome outcome;
    // A Ctrl+C stopped the search before the end of the tree.
    bool searchStopped = false;
};

// Prints "captured N, added M" to out, or, when icons were left behind,
// each of them to err and "captured N, added M, skipped S, K stayed in Temp"
// to out; returns kExitLeftBehind then, kExitInterrupted for a search
// stopped by Ctrl+C, kExitSuccess otherwise.
int ReportScan(const ScanEnd& end, std::FILE* out = stdout, std::FILE* err = stderr);

} // namespace glyphor::cli
