// glyphor2-cli: the program's engine without a window, for scripts, checks
// and benchmarks.

#include "cli/Commands.h"

#include <cstdio>
#include <string>

namespace {

struct Command {
    const char* name;
    const char* arguments;
    int (*run)(const glyphor::cli::Arguments&);
};

// One row per subcommand.
constexpr Command kCommands[] = {
    {"show", "FILE OUT.png", glyphor::cli::ShowCommand},
    {"icons", "FILE", glyphor::cli::IconsCommand},
    {"capture", "FILE INDEX OUT.ico", glyphor::cli::CaptureCommand},
    {"capture-all", "FILE OUTDIR", glyphor::cli::CaptureAllCommand},
    {"save", "FILE INDEX DESTDIR", glyphor::cli::SaveCommand},
};

int usage()
{
    std::fputs("usage: glyphor2-cli COMMAND ARGS...\n", stderr);
    for (const Command& c : kCommands)
        std::fprintf(stderr, "  glyphor2-cli %s %s\n", c.name, c.arguments);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return usage();
    const std::string name = argv[1];
    for (const Command& c : kCommands) {
        if (name == c.name)
            return c.run(glyphor::cli::Arguments(argv + 2, argv + argc));
    }
    return usage();
}
