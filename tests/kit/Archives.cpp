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

} // namespace glyphor::kit
