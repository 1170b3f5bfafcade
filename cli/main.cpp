// glyphor2-cli: the program's engine without a window, for scripts, checks
// and benchmarks.

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int usage()
{
    std::fputs("usage: glyphor2-cli COMMAND ARGS...\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2)
        return usage();
    return usage();
}
