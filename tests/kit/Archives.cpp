#include "kit/Archives.h"

#include "kit/Files.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace glyphor::kit {

namespace {

// CRC-32 as zip and rar use it (reflected, polynomial 0xEDB88320).
std::uint32_t Crc32(const Bytes& bytes, std::size_t from = 0)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// CRC-16 as lzh uses it (reflected, polynomial 0xA001, starting from 0).
std::uint16_t Crc16(const Bytes& bytes)
{
    std::uint16_t crc = 0;
    for (const std::uint8_t b : bytes) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>((crc >> 1) ^ (0xA001u & (0u - (crc & 1u))));
    }
    return crc;
}

void PutBytes(Bytes& out, const void* data, std::size_t size)
{
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + size);
}

// 1 January 2000, noon, as MS-DOS stamps a file: any valid stamp will do.
constexpr std::uint32_t kDosTime = (20u << 25) | (1u << 21) | (1u << 16) | (12u << 11);

bool ToolArchive(ArchiveKind kind, const std::string& folder, const std::vector<std::string>& names,
    const std::string& out, const std::vector<std::string>& extra)
{
    std::vector<std::string> argv;
    if (kind == ArchiveKind::Cab) {
        // Run in the folder, so that members keep the folders of their names
        // (stored with backslashes, as on the system cabinets come from).
        argv = { "env", "-C", folder, "gcab", "-c", "-z", std::filesystem::absolute(out).string() };
        argv.insert(argv.end(), names.begin(), names.end());
        return RunProgram(argv);
    }
    // Names that are not ASCII go in as the bytes they are (tar, cpio) or as
    // the Unicode they spell (7z, zip, ISO), whatever locale the tests run in.
    argv = { "env", "LC_ALL=C.UTF-8", "bsdtar", "-c", "-f", out };
    switch (kind) {
    case ArchiveKind::Zip:
        argv.insert(argv.end(), { "--format", "zip" });
        break;
    case ArchiveKind::SevenZip:
        argv.insert(argv.end(), { "--format", "7zip" });
        break;
    case ArchiveKind::Iso:
        // Without the 300 KB of padding meant for disc burners.
        argv.insert(argv.end(), { "--format", "iso9660", "--options", "iso9660:!pad" });
        break;
    case ArchiveKind::Cpio:
        argv.insert(argv.end(), { "--format", "newc" });
        break;
    case ArchiveKind::Ar:
        argv.insert(argv.end(), { "--format", "ar" });
        break;
    case ArchiveKind::TarGz:
        argv.insert(argv.end(), { "--format", "pax", "--gzip" });
        break;
    case ArchiveKind::TarBz2:
        argv.insert(argv.end(), { "--format", "pax", "--bzip2" });
        break;
    case ArchiveKind::TarXz:
        argv.insert(argv.end(), { "--format", "pax", "--xz" });
        break;
    case ArchiveKind::TarZst:
        argv.insert(argv.end(), { "--format", "pax", "--zstd" });
        break;
    default:
        return false;
    }
    argv.insert(argv.end(), extra.begin(), extra.end());
    argv.insert(argv.end(), { "-C", folder });
    argv.insert(argv.end(), names.begin(), names.end());
    return RunProgram(argv);
}

} // namespace

std::string_view ArchiveEnding(ArchiveKind kind)
{
    switch (kind) {
    case ArchiveKind::Zip:
        return "zip";
    case ArchiveKind::SevenZip:
        return "7z";
    case ArchiveKind::Iso:
        return "iso";
    case ArchiveKind::Cpio:
        return "cpio";
    case ArchiveKind::Ar:
        return "ar";
    case ArchiveKind::TarGz:
        return "tar.gz";
    case ArchiveKind::TarBz2:
        return "tar.bz2";
    case ArchiveKind::TarXz:
        return "tar.xz";
    case ArchiveKind::TarZst:
        return "tar.zst";
    case ArchiveKind::Cab:
        return "cab";
    case ArchiveKind::Lzh:
        return "lzh";
    case ArchiveKind::Rar:
        return "rar";
    }
    return "";
}

std::string_view ArchiveTool(ArchiveKind kind)
{
    switch (kind) {
    case ArchiveKind::Cab:
        return "gcab";
    case ArchiveKind::Lzh:
    case ArchiveKind::Rar:
        return "";
    default:
        return "bsdtar";
    }
}

bool HaveProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= folders.size()) {
        const std::size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

bool RunProgram(const std::vector<std::string>& argv)
{
    std::vector<char*> args;
    for (const auto& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return false;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0)
        if (errno != EINTR)
            return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool MakeArchive(ArchiveKind kind, const std::string& folder, const std::vector<std::string>& names,
    const std::string& out, const std::vector<std::string>& extra)
{
    if (!ArchiveTool(kind).empty())
        return ToolArchive(kind, folder, names, out, extra);
    std::vector<NamedBytes> members;
    for (const auto& name : names) {
        members.emplace_back(name, ReadBytes(folder + "/" + name));
        if (members.back().second.empty())
            return false;
    }
    return WriteBytes(out, kind == ArchiveKind::Lzh ? StoredLzh(members) : StoredRar(members));
}

Bytes StoredLzh(const std::vector<NamedBytes>& members)
{
    Bytes out;
    for (const auto& [name, bytes] : members) {
        // The level-1 header of the DOS archivers of the 1990s: its size and
        // checksum count from the method on, up to and with the size of the
        // first extended header (none here).
        Bytes header;
        PutBytes(header, "-lh0-", 5);
        Put32(header, static_cast<std::uint32_t>(bytes.size())); // packed
        Put32(header, static_cast<std::uint32_t>(bytes.size())); // original
        Put32(header, kDosTime);
        header.push_back(0x20); // archive attribute
        header.push_back(1); // header level
        header.push_back(static_cast<std::uint8_t>(name.size()));
        PutBytes(header, name.data(), name.size());
        Put16(header, Crc16(bytes));
        header.push_back('M'); // made on MS-DOS
        Put16(header, 0); // no extended header
        std::uint8_t sum = 0;
        for (const std::uint8_t b : header)
            sum = static_cast<std::uint8_t>(sum + b);
        out.push_back(static_cast<std::uint8_t>(header.size()));
        out.push_back(sum);
        out.insert(out.end(), header.begin(), header.end());
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    out.push_back(0); // the end of the archive
    return out;
}

Bytes StoredRar(const std::vector<NamedBytes>& members)
{
    // Each block: the low half of the CRC-32 of the rest of the header, then
    // type, flags and size.
    const auto block = [](Bytes& out, const Bytes& rest) {
        Put16(out, static_cast<std::uint16_t>(Crc32(rest) & 0xFFFF));
        out.insert(out.end(), rest.begin(), rest.end());
    };
    Bytes out;
    PutBytes(out, "Rar!\x1A\x07\x00", 7);
    Bytes main;
    main.push_back(0x73);
    Put16(main, 0); // flags
    Put16(main, 13); // header size
    Put16(main, 0);
    Put32(main, 0);
    block(out, main);
    for (const auto& [name, bytes] : members) {
        Bytes file;
        file.push_back(0x74);
        Put16(file, 0x8000); // the packed size follows the header
        Put16(file, static_cast<std::uint16_t>(32 + name.size()));
        Put32(file, static_cast<std::uint32_t>(bytes.size())); // packed
        Put32(file, static_cast<std::uint32_t>(bytes.size())); // original
        file.push_back(2); // written on Windows
        Put32(file, Crc32(bytes));
        Put32(file, kDosTime);
        file.push_back(20); // version 2.0 unpacks it
        file.push_back(0x30); // stored
        Put16(file, static_cast<std::uint16_t>(name.size()));
        Put32(file, 0x20); // archive attribute
        PutBytes(file, name.data(), name.size());
        block(out, file);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    Bytes end;
    end.push_back(0x7B);
    Put16(end, 0x4000);
    Put16(end, 7);
    block(out, end);
    return out;
}

namespace {

// The 7z header's numbers: as many leading one bits in the first byte as
// bytes follow, low byte first.
void Put7z(Bytes& out, std::uint64_t v)
{
    int extra = 0;
    while (extra < 8 && v >= std::uint64_t { 1 } << (7 * (extra + 1)))
        ++extra;
    const auto high = extra < 8 ? static_cast<std::uint8_t>(v >> (8 * extra)) : std::uint8_t { 0 };
    out.push_back(static_cast<std::uint8_t>((0xFF00u >> extra) & 0xFFu) | high);
    for (int i = 0; i < extra; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put64(Bytes& out, std::uint64_t v)
{
    Put32(out, static_cast<std::uint32_t>(v));
    Put32(out, static_cast<std::uint32_t>(v >> 32));
}

// The start header of a 7z whose header lies after packed bytes.
Bytes SevenZipStart(std::uint64_t packed, const Bytes& header)
{
    Bytes start;
    Put64(start, packed);
    Put64(start, header.size());
    Put32(start, Crc32(header));
    Bytes out = { '7', 'z', 0xBC, 0xAF, 0x27, 0x1C, 0, 4 };
    Put32(out, Crc32(start));
    out.insert(out.end(), start.begin(), start.end());
    return out;
}

} // namespace

bool MakeLzmaSevenZip(const std::string& folder, const std::vector<std::string>& names,
    const std::string& out, std::uint32_t dictionary)
{
    Bytes all;
    std::vector<std::uint64_t> sizes;
    for (const auto& name : names) {
        const Bytes bytes = ReadBytes(folder + "/" + name);
        all.insert(all.end(), bytes.begin(), bytes.end());
        sizes.push_back(bytes.size());
    }
    const std::string raw = out + ".in";
    if (!WriteBytes(raw, all)
        || !RunProgram(
            { "xz", "--format=raw", "--lzma1=preset=6,dict=1MiB", "--suffix=.lz", "-f", raw }))
        return false;
    const Bytes packed = ReadBytes(raw + ".lz");
    std::filesystem::remove(raw + ".lz");
    Bytes h = { 0x01, 0x04, 0x06 }; // header, main streams, pack info
    Put7z(h, 0);
    Put7z(h, 1);
    h.push_back(0x09);
    Put7z(h, packed.size());
    h.insert(h.end(), { 0x00, 0x07, 0x0B, 0x01, 0x00, 0x01, 0x23, 0x03, 0x01, 0x01, 0x05, 0x5D });
    Put32(h, dictionary);
    h.push_back(0x0C);
    Put7z(h, all.size());
    h.insert(h.end(), { 0x00, 0x08, 0x0D }); // sub-streams: the members' sizes
    Put7z(h, names.size());
    h.push_back(0x09);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i)
        Put7z(h, sizes[i]);
    h.insert(h.end(), { 0x00, 0x00, 0x05 }); // files: their names
    Put7z(h, names.size());
    Bytes utf16 = { 0x00 };
    for (const auto& name : names) {
        for (const char c : name)
            Put16(utf16, static_cast<std::uint8_t>(c));
        Put16(utf16, 0);
    }
    h.push_back(0x11);
    Put7z(h, utf16.size());
    h.insert(h.end(), utf16.begin(), utf16.end());
    h.insert(h.end(), { 0x00, 0x00 });
    Bytes file = SevenZipStart(packed.size(), h);
    file.insert(file.end(), packed.begin(), packed.end());
    file.insert(file.end(), h.begin(), h.end());
    return WriteBytes(out, file);
}

Bytes WithSevenZipHeaderDictionary(Bytes sevenZip, std::uint32_t dictionary)
{
    // bsdtar packs the header with LZMA: a coder of id 03 01 01 with five
    // bytes of properties, the dictionary after the first.
    if (sevenZip.size() < 32)
        return {};
    std::uint64_t packed = 0;
    for (int i = 7; i >= 0; --i)
        packed = packed << 8 | sevenZip[12 + static_cast<std::size_t>(i)];
    if (packed > sevenZip.size() - 32)
        return {};
    Bytes header(sevenZip.begin() + static_cast<std::ptrdiff_t>(32 + packed), sevenZip.end());
    const Bytes coder = { 0x23, 0x03, 0x01, 0x01, 0x05 };
    const auto at = std::search(header.begin(), header.end(), coder.begin(), coder.end());
    if (header.empty() || header[0] != 0x17 || at == header.end())
        return {};
    Set32(header, static_cast<std::size_t>(at - header.begin()) + coder.size() + 1, dictionary);
    Bytes out = SevenZipStart(packed, header);
    out.insert(out.end(), sevenZip.begin() + 32,
        sevenZip.begin() + static_cast<std::ptrdiff_t>(32 + packed));
    out.insert(out.end(), header.begin(), header.end());
    return out;
}

Bytes WithXzDictionary(Bytes xz, std::uint8_t property)
{
    // The first block's header follows the 12 bytes of the stream's: its
    // size, flags, sizes when the flags say so, then each filter's id, the
    // size of its properties and the properties, and a CRC-32 at its end.
    if (xz.size() < 13)
        return {};
    const std::size_t size = (std::size_t { xz[12] } + 1) * 4;
    const auto skipNumber = [&xz](std::size_t& at) {
        while (at < xz.size() && (xz[at++] & 0x80) != 0) { }
    };
    std::size_t at = 14;
    if ((xz[13] & 0x40) != 0)
        skipNumber(at);
    if ((xz[13] & 0x80) != 0)
        skipNumber(at);
    for (int filter = 0; filter <= (xz[13] & 3) && at + 2 < xz.size(); ++filter) {
        const std::uint8_t id = xz[at];
        const std::size_t props = xz[at + 1];
        if (id == 0x21)
            xz[at + 2] = property;
        at += 2 + props;
    }
    if (12 + size > xz.size())
        return {};
    Set32(xz, 12 + size - 4,
        Crc32(Bytes(xz.begin() + 12, xz.begin() + static_cast<std::ptrdiff_t>(8 + size))));
    return xz;
}

} // namespace glyphor::kit
