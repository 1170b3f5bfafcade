#pragma once
// Every byte of a buffer written to a descriptor, through interrupted and
// short writes.

#include <cstddef>
#include <cstdint>

namespace glyphor::files {

// Whether all was written; if not, error holds the reason (an errno value).
// A write that takes nothing without an error means the disk is full: ENOSPC.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size, int& error);

} // namespace glyphor::files
