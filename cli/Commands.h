#pragma once
// The subcommands of glyphor2-cli. Each takes the arguments that follow its
// name and returns the process's exit status; failures are reported on stderr
// in the program's own words.

#include <string>
#include <vector>

namespace glyphor::cli {

using Arguments = std::vector<std::string>;

// show FILE OUT.png: the icon that the icon file reader makes of FILE, as a
// 32 x 32 RGBA PNG.
int ShowCommand(const Arguments& args);

// save FILE INDEX DESTDIR: what "Save Icon" does, with the icon counter at 0;
// prints the full path of the file written.
int SaveCommand(const Arguments& args);

} // namespace glyphor::cli
