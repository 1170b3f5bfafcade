#include "cli/Commands.h"

#include "cli/CommandLine.h"
#include "cli/OutputFile.h"
#include "exe/IconExtractor.h"
#include "files/NewFile.h"
#include "util/Error.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace glyphor::cli {

namespace {

// The parts of a file name: the source's name and the group's are each kept
// to a length that leaves room for the other, a "-2" and the extension
// within the system's 255 bytes.
constexpr std::size_t kMaxSourcePart = 120;
constexpr std::size_t kMaxGroupPart = 100;

// Bytes that can be part of a file name: a '/' or NUL becomes '_', and so
// does a control character (a newline, an ESC; a C1 control is two bytes),
// which would break the list of paths written or give a terminal an order.
// Every other byte stays as it is, UTF-8 or not. A name longer than max is
// cut, not inside a UTF-8 character.
std::string NamePart(std::string_view bytes, std::size_t max)
{
    std::size_t cut = std::min(bytes.size(), max);
    for (int back = 0; back < 3 && cut > 0 && cut < bytes.size()
         && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80;
         ++back)
        --cut;
    std::string out;
    for (std::size_t i = 0; i < cut; ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool c1 = c == 0xC2 && i + 1 < cut && static_cast<unsigned char>(bytes[i + 1]) >= 0x80
            && static_cast<unsigned char>(bytes[i + 1]) <= 0x9F;
        if (c1)
            ++i;
        out += c == '/' || c < 0x20 || c == 0x7F || c1 ? '_' : char(c);
    }
    return out;
}

std::string LastPart(const std::string& path)
{
    std::string_view p = path;
    while (p.size() > 1 && p.back() == '/')
        p.remove_suffix(1);
    const auto slash = p.rfind('/');
    return std::string(slash == std::string_view::npos ? p : p.substr(slash + 1));
}

std::string Join(const std::string& folder, const std::string& name)
{
    return folder.empty() || folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The file name a group is written under, without its extension: the
// source's name and the group's number or name ("notepad.exe-2",
// "shell32.dll-ICON_FOLDER"); the source's name alone for the one group of
// an icon file.
std::string GroupFileStem(const std::string& source, const exe::GroupName& name)
{
    std::string stem = NamePart(LastPart(source), kMaxSourcePart);
    if (name.kind != exe::GroupName::Kind::None)
        stem += "-" + NamePart(name.text(), kMaxGroupPart);
    return stem;
}

// How messages name a group: "icon group 2", "cursor group "ARROW"".
std::string GroupLabel(exe::GroupKind kind, const exe::GroupName& name)
{
    std::string label = kind == exe::GroupKind::Icon ? "icon group" : "cursor group";
    if (name.kind == exe::GroupName::Kind::Number)
        label += " " + name.text();
    else if (name.kind == exe::GroupName::Kind::Name)
        label += " \"" + Shown(name.name) + "\"";
    return label;
}

// Writes bytes into folder as stem + extension, or, when that name is
// taken, the first free one of stem-2, stem-3, ...: nothing is ever
// replaced, and a file appears whole or not at all. Returns the path.
std::string WriteNew(const std::string& folder, const std::string& stem,
    const std::string& extension, const std::vector<std::uint8_t>& bytes)
{
    files::NewFile file(folder.empty() ? std::string(".") : folder, stem + extension);
    if (!file.ok())
        CannotCreate(Join(folder, stem + extension), file.error());
    if (!file.write(bytes.data(), bytes.size()) || !file.finish())
        CannotWrite(Join(folder, stem + extension), file.error());
    int number = 1;
    const auto placed = file.place([&]() -> std::optional<std::string> {
        const std::string name
            = number == 1 ? stem + extension : stem + "-" + std::to_string(number) + extension;
        ++number;
        return Join(folder, name);
    });
    if (!placed)
        CannotCreate(file.lastName(), file.error());
    return *placed;
}

// Every group of one kind of the file written into folder; the paths
// written on stdout, what was left out on stderr. True when nothing was.
bool ExtractGroups(const std::string& path, const std::string& folder, exe::GroupKind kind)
{
    auto source = exe::IconSource::fromFile(path, kind);
    if (!source)
        return true;
    const std::string extension = kind == exe::GroupKind::Icon ? ".ico" : ".cur";
    bool whole = true;
    for (int i = 0; i < source->count(); ++i) {
        const exe::GroupName name = source->groupName(i);
        const std::string label = Shown(path) + ": " + GroupLabel(kind, name);
        const auto group = source->originalGroup(i);
        if (const std::string failure = source->readFailure(); !failure.empty())
            throw Error(FormatMessage("Cannot read file %s", Shown(path)) + ": " + failure);
        if (!group) {
            std::fprintf(stderr, "%s left out: %s\n", label.c_str(), group.message().c_str());
            whole = false;
            continue;
        }
        const std::size_t images = group->images + group->leftOut.size();
        for (const exe::LeftOutImage& image : group->leftOut) {
            std::fprintf(stderr, "%s: image %zu of %zu left out: %s\n", label.c_str(),
                image.index + 1, images, image.reason.c_str());
            whole = false;
        }
        if (group->file.empty()) {
            std::fprintf(
                stderr, "%s left out: not one of its images could be had\n", label.c_str());
            continue;
        }
        const std::string written
            = WriteNew(folder, GroupFileStem(path, name), extension, group->file);
        std::printf("%s\n", written.c_str());
    }
    return whole;
}

} // namespace

int ExtractCommand(const Arguments& args)
{
    Arguments paths;
    bool cursors = false;
    for (const std::string& a : args) {
        if (a == "--cursors")
            cursors = true;
        else
            paths.push_back(a);
    }
    if (paths.size() != 2) {
        std::fputs("usage: glyphor2-cli extract FILE OUTDIR [--cursors]\n", stderr);
        return kExitUsage;
    }
    bool whole = true;
    const int status = RunReportingErrors([&] {
        RequireReadableFile(paths[0]);
        whole = ExtractGroups(paths[0], paths[1], exe::GroupKind::Icon);
        if (cursors)
            whole = ExtractGroups(paths[0], paths[1], exe::GroupKind::Cursor) && whole;
    });
    if (status != kExitSuccess)
        return status;
    return whole ? kExitSuccess : kExitLeftBehind;
}

} // namespace glyphor::cli
