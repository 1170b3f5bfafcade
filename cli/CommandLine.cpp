#include "cli/CommandLine.h"

#include "cli/Commands.h"

#include "exe/IconExtractor.h"
#include "files/NativePath.h"
#include "platform/PathCheck.h"
#include "util/Error.h"

#include <charconv>
#include <cstdio>

namespace glyphor::cli {

std::string Shown(const std::string& path)
{
    return files::DisplayPath(files::FromNativePath(path)).toStdString();
}

std::string TabField(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

void RequireReadableFile(const std::string& path)
{
    if (auto problem = platform::FileReadProblem(files::FromNativePath(path)))
        throw Error(Shown(path) + ": " + problem->toStdString());
}

void RequireIconSource(const std::string& path)
{
    const auto source = exe::IconSource::fromFile(path);
    if (!source || !source->recognised())
        throw Error(Shown(path) + ": not a Windows executable or icon file");
}

std::string NotAnIndexText(const std::string& text)
{
    return "INDEX: '" + text + "' is not a valid integer value";
}

std::optional<int> ParseWholeNumber(const std::string& text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

int RunReportingErrors(const std::function<void()>& work)
{
    try {
        work();
    } catch (const Error& e) {
        PrintError(e);
        return 1;
    }
    return 0;
}

} // namespace glyphor::cli
