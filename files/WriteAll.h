#pragma once
// Every byte of a buffer written to a descriptor, through interrupted and
// short writes.

#include <cstddef>
#include <cstdint>

namespace glyphor::files {

// 0 when all was written, else the reason (an errno value). A write that
// takes nothing without an error means the disk is full: ENOSPC.
int WriteAll(int fd, const std::uint8_t* data, std::size_t size);

} // namespace glyphor::files
