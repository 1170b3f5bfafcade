// Writes the small archives that start the archive fuzzer: one of every
// format read, an archive inside another, an encrypted member and a
// self-extracting program, each of a few made-up members (a small program
// with an icon, a text) so that mutations land in headers and directories.
// Needs bsdtar and gcab.
// Usage: make_archive_seeds OUTDIR

#include "kit/Archives.h"
#include "kit/Executables.h"
#include "kit/Files.h"

#include <cstdio>
#include <string>

using namespace glyphor::kit;

namespace {

constexpr ArchiveKind kKinds[] = { ArchiveKind::Zip, ArchiveKind::SevenZip, ArchiveKind::Iso,
    ArchiveKind::Cpio, ArchiveKind::Ar, ArchiveKind::TarGz, ArchiveKind::TarBz2, ArchiveKind::TarXz,
    ArchiveKind::TarZst, ArchiveKind::Cab, ArchiveKind::Lzh, ArchiveKind::Rar };

bool Write(const std::string& path, const std::string& text)
{
    return WriteBytes(path, Bytes(text.begin(), text.end()));
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fputs("usage: make_archive_seeds OUTDIR\n", stderr);
        return 2;
    }
    const std::string out = argv[1];
    const ScratchFolder scratch;
    const std::string in = scratch.path();
    bool ok = WriteBytes(in + "/app.exe", PeWithOneIcon(1))
        && Write(in + "/readme.txt", "An icon library, and nothing else.\r\n");
    const std::vector<std::string> names = { "app.exe", "readme.txt" };
    for (const ArchiveKind kind : kKinds)
        ok = ok && MakeArchive(kind, in, names, out + "/seed." + std::string(ArchiveEnding(kind)));
    // Archives in archives, an encrypted member, and a program with a zip
    // behind it.
    ok = ok && MakeArchive(ArchiveKind::Zip, in, { "app.exe" }, in + "/inner.zip")
        && MakeArchive(ArchiveKind::SevenZip, in, { "inner.zip", "readme.txt" }, out + "/nested.7z")
        && MakeArchive(ArchiveKind::Zip, in, names, out + "/encrypted.zip",
            { "--options", "zip:encryption=zipcrypt", "--passphrase", "seed" });
    Bytes sfx = PeWithOneIcon(2);
    const Bytes zip = ReadBytes(in + "/inner.zip");
    sfx.insert(sfx.end(), zip.begin(), zip.end());
    ok = ok && WriteBytes(out + "/sfx.exe", sfx);
    if (!ok) {
        std::fputs("make_archive_seeds: an archive could not be made\n", stderr);
        return 1;
    }
    return 0;
}
