#pragma once
// The SHA-256 of a file's bytes, the key that ties an icon file in the
// destination to the captures it came from. It is taken over the whole file,
// so that a file renamed or moved by hand is still found, and a strong hash,
// so that two different icons never share one.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "util/Result.h"

namespace glyphor::catalogue {

using IconHash = std::array<std::uint8_t, 32>;

IconHash HashOfBytes(std::span<const std::uint8_t> bytes);

// The hash of the file at path (the system's bytes), read in pieces; or the
// message "<path>: <the system's reason>" when it cannot be read whole.
Result<IconHash> HashOfFile(const std::string& path);

// The hash as 64 lower-case hexadecimal digits.
std::string HexOf(const IconHash& hash);

// The hash held in a blob of the database; nothing when it has another size.
std::optional<IconHash> HashFromBlob(std::span<const std::uint8_t> blob);

} // namespace glyphor::catalogue
