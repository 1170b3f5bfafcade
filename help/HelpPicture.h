#pragma once
// The pictures a help topic shows, "![text](name.png)" in its Markdown. They
// are files beside the help file: a picture is read only from a regular file
// in the help file's folder or a folder below it, reached by no link that
// leads out of that folder, opened without waiting (a fifo never answers, a
// device such as /dev/zero never ends) and no larger than a picture of the
// help needs to be. Anything else is not shown, and the topic is shown
// without it.

#include "util/Result.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace glyphor::help {

// Limits of the pictures of one topic. A picture wider than the help window
// is of no use; these leave room for several screens.
inline constexpr std::uint64_t kMaxHelpPictureBytes = std::uint64_t { 1 } << 20;
inline constexpr int kMaxHelpPictureSide = 2048; // pixels, either way
inline constexpr int kMaxHelpPicturesPerTopic = 16;
inline constexpr std::int64_t kMaxHelpPicturePixelsPerTopic = std::int64_t { 8 } << 20;

// The bytes of the picture that a topic names as reference (the link's
// target, a path relative to the help file's folder, helpFolder), or why it
// is not shown: "not in the help's folder", "not a regular file", "larger
// than 1048576 bytes", or the system's reason.
Result<std::vector<std::uint8_t>> ReadHelpPicture(
    const QString& helpFolder, const QString& reference);

} // namespace glyphor::help
