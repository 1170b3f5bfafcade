#pragma once
// What an icon group resource is called: a number, or a name. A name is
// bytes: an NE file's as stored (in the code page of the program, so any
// bytes), a PE file's UTF-16 name as UTF-8. An icon file's one group has
// neither, nor has a group whose name cannot be read. The readers of
// executables give it, the harvest carries it and the catalogue keeps it.

#include <cstdint>
#include <string>
#include <utility>

namespace glyphor {

struct GroupName {
    enum class Kind { None, Number, Name };
    Kind kind = Kind::None;
    std::uint16_t number = 0;
    std::string name;

    static GroupName Number(std::uint16_t n) { return { Kind::Number, n, {} }; }
    static GroupName Name(std::string s) { return { Kind::Name, 0, std::move(s) }; }
    bool operator==(const GroupName&) const = default;

    // The number in decimal, the name, or nothing: for file names.
    std::string text() const
    {
        switch (kind) {
        case Kind::Number:
            return std::to_string(number);
        case Kind::Name:
            return name;
        case Kind::None:
            break;
        }
        return {};
    }
    // "#14" for a number, the name as it is, empty for neither: the way
    // resource names are written, where a name never begins with "#".
    std::string shown() const { return kind == Kind::Number ? "#" + text() : text(); }
};

} // namespace glyphor
