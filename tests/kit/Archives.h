#pragma once
// Archives built for the tests from files on disk: with Debian's own tools
// where one writes the format (bsdtar: zip, 7z, ISO 9660, cpio, ar, tar with
// gzip, bzip2, xz or zstd; gcab: cabinet files), and by hand where none is
// packaged (lzh and rar, in their "stored" methods: a header and the bytes as
// they are). Members go in in the order given.

#include "kit/Bytes.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace glyphor::kit {

enum class ArchiveKind {
    Zip,
    SevenZip,
    Iso,
    Cpio,
    Ar,
    TarGz,
    TarBz2,
    TarXz,
    TarZst,
    Cab,
    Lzh,
    Rar
};

// The ending that names an archive of the kind ("zip", "tar.gz", ...).
std::string_view ArchiveEnding(ArchiveKind kind);
// The program that writes the kind, or nothing for those built by hand.
std::string_view ArchiveTool(ArchiveKind kind);

// Whether a program of that name can be run (a test that needs one skips
// itself without it).
bool HaveProgram(const std::string& name);
// Runs the program (found on PATH) with its arguments, its output thrown
// away; true when it exited with status 0.
bool RunProgram(const std::vector<std::string>& argv);

// Writes the files named (paths relative to folder) into the archive out.
// extra goes to bsdtar before the names (--options, --passphrase). False
// when a file could not be read or the tool failed.
bool MakeArchive(ArchiveKind kind, const std::string& folder, const std::vector<std::string>& names,
    const std::string& out, const std::vector<std::string>& extra = {});

using NamedBytes = std::pair<std::string, Bytes>;
// The hand-built kinds, from bytes in memory: an lzh archive of level-1
// headers and "-lh0-" members, and a rar (1.5 to 4 layout) of stored members.
Bytes StoredLzh(const std::vector<NamedBytes>& members);
Bytes StoredRar(const std::vector<NamedBytes>& members);

// Decoders that ask for the dictionary given, whatever the one the bytes were
// packed with: a 7z built by hand around the files named (in folder),
// packed by xz with LZMA, with a header that is not packed; the 7z bsdtar
// wrote, its packed header's coder changed; and an xz stream, its first
// block's LZMA2 property byte changed (36: 1 GiB, 37: 1.5 GiB, 40: 4 GiB).
bool MakeLzmaSevenZip(const std::string& folder, const std::vector<std::string>& names,
    const std::string& out, std::uint32_t dictionary);
Bytes WithSevenZipHeaderDictionary(Bytes sevenZip, std::uint32_t dictionary);
Bytes WithXzDictionary(Bytes xz, std::uint8_t property);

} // namespace glyphor::kit
