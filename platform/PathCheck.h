#pragma once
// Checks of a path that a user named (on a command line), made before the
// program acts on it, so that a wrong path is reported with the system's own
// reason instead of being taken for an empty file or a folder without files.

#include <QString>

#include <optional>

namespace glyphor::platform {

// Why path cannot be read as a file, in the system's words ("No such file or
// directory", "Permission denied", "Is a directory"); nothing when it opens
// for reading and is not a folder.
std::optional<QString> FileReadProblem(const QString& path);

// Why path cannot serve as a folder ("No such file or directory", "Not a
// directory"); nothing when it is a folder.
std::optional<QString> FolderProblem(const QString& path);

} // namespace glyphor::platform
