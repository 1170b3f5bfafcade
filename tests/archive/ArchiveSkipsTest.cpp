// Members left out of a walk, each with its reason, and the members around
// them still delivered wherever the archive lets them be reached: bombs,
// members and archives too large, encryption and damage.

#include "WalkFixture.h"

#include "archive/SkipReasons.h"

#include <unistd.h>

using glyphor::archive::ArchiveLimits;
using glyphor::archive::ArchiveWalker;
using glyphor::archive::WalkEnd;
using namespace glyphor::kit;
namespace archive = glyphor::archive;

namespace {

constexpr std::uint64_t kMiB = ArchiveLimits::kMiB;

class ArchiveSkips : public ArchiveTest {
protected:
    // A file of zeros; sparse, so that it costs no disk (bsdtar reads the
    // zeros, except for tar, which would store the holes as holes).
    void zeros(const std::string& name, std::uint64_t size, bool sparse = true) const
    {
        if (sparse) {
            ASSERT_TRUE(write(name, {}));
            ASSERT_EQ(::truncate(in(name).c_str(), static_cast<off_t>(size)), 0);
        } else {
            ASSERT_TRUE(write(name, Bytes(size)));
        }
    }
};

// A bomb is skipped as soon as it has unpacked past the ratio, long before
// it is all unpacked: the reason given is the ratio, not the total. In a zip
// the library seeks past it; in a solid 7z or a compressed tar it is read
// through without being kept. Either way the member behind it is delivered.
TEST_F(ArchiveSkips, BombsAreCaughtByTheirRatioEarly)
{
    // Deflate at its best gives about 1030:1; LZMA and xz several thousand
    // to one. The floor is lowered so that small bombs do.
    zeros("zeros.dll", 128 * kMiB);
    zeros("small-zeros.dll", 24 * kMiB, false);
    const struct {
        const char* name;
        ArchiveKind kind;
        std::string bomb;
        std::uint64_t total;
    } rows[] = {
        { "zip", ArchiveKind::Zip, "zeros.dll", 64 * kMiB },
        { "solid 7z", ArchiveKind::SevenZip, "small-zeros.dll", 32 * kMiB },
        { "tar.xz", ArchiveKind::TarXz, "small-zeros.dll", 32 * kMiB },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = make(row.kind, { "coure.fon.dll", row.bomb, "vgasys.fon.dll" },
            "bomb." + std::string(ArchiveEnding(row.kind)));
        ArchiveLimits limits;
        limits.totalBytes = row.total;
        limits.ratioFloor = kMiB;
        Recorder recorder;
        EXPECT_EQ(ArchiveWalker(recorder, limits).walkFile(path), WalkEnd::Walked);
        EXPECT_EQ(recorder.members,
            expected(path + kIn,
                { { "coure.fon.dll", "coure.fon.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } }));
        EXPECT_EQ(recorder.skips,
            (std::vector<Skip> {
                { path + kIn + row.bomb, archive::RatioExceededText(limits, false) } }));
    }
}

// A bomb nobody wants is read through where passing over it unpacks it,
// and the total stops it.
TEST_F(ArchiveSkips, BombsNobodyWantsAreCaughtWherePassingOverUnpacks)
{
    zeros("zeros.bin", 24 * kMiB, false);
    const std::string path
        = make(ArchiveKind::TarXz, { "coure.fon.dll", "zeros.bin", "vgasys.fon.dll" }, "bomb.txz");
    ArchiveLimits limits;
    limits.totalBytes = 16 * kMiB;
    Recorder recorder;
    ArchiveWalker(recorder, limits).walkFile(path);
    EXPECT_EQ(recorder.members, expected(path + kIn, { { "coure.fon.dll", "coure.fon.dll" } }));
    EXPECT_EQ(recorder.skips,
        (std::vector<Skip> { { path + kIn + "zeros.bin", archive::TotalExceededText(limits) } }));
}

// What may look like a bomb and is none, and decoders that ask for more
// memory than allowed. Files of zeros (a padded library, a blank disk image)
// pack a thousand to one and more; they and the programs behind them come
// out. A decoder that asks for too much is refused before it unpacks
// anything, the archive named; one that asks for the limit is let be, unless
// the archive lies in another, which holds part of the memory.
TEST_F(ArchiveSkips, HarmlessMembersAndDecodersPastTheLimit)
{
    zeros("padding.dll", 2 * kMiB, false);
    zeros("blank.img", 70 * kMiB, false);
    const std::vector<std::string> zeroFiles
        = { "coure.fon.dll", "padding.dll", "blank.img", "vgasys.fon.dll" };
    const std::vector<std::pair<std::string, std::string>> zeroMembers
        = { { "coure.fon.dll", "coure.fon.dll" }, { "padding.dll", "padding.dll" },
              { "vgasys.fon.dll", "vgasys.fon.dll" } };
    const std::vector<std::string> programs = { "coure.fon.dll", "vgasys.fon.dll" };
    const auto xz = [&](const std::string& out, std::uint8_t property) {
        const Bytes bytes
            = WithXzDictionary(ReadBytes(make(ArchiveKind::TarXz, programs, out)), property);
        return write(out, bytes) && !bytes.empty() ? in(out) : std::string();
    };
    const auto sevenZip = [&](const std::string& out, std::uint32_t dictionary) {
        return MakeLzmaSevenZip(scratch.path(), programs, in(out), dictionary) ? in(out) : "";
    };
    const ArchiveLimits limits;
    const std::uint64_t k4GiB = 0xFFFFFFFF;
    const std::uint64_t k1GiB = 1024 * kMiB;
    const auto refused = [&](std::uint64_t needed, std::uint64_t allowed) {
        return archive::DecoderTooLargeText(limits, needed, allowed, false);
    };
    const struct {
        const char* name;
        std::string path;
        std::vector<std::pair<std::string, std::string>> delivered;
        std::string reason; // for the archive itself; empty: nothing skipped
    } rows[] = {
        { "7z", make(ArchiveKind::SevenZip, zeroFiles, "zeros.7z"), zeroMembers, "" },
        { "tar.xz", make(ArchiveKind::TarXz, zeroFiles, "zeros.tar.xz"), zeroMembers, "" },
        { "tar.bz2", make(ArchiveKind::TarBz2, zeroFiles, "zeros.tar.bz2"), zeroMembers, "" },
        { "tar.zst", make(ArchiveKind::TarZst, zeroFiles, "zeros.tar.zst"), zeroMembers, "" },
        { "7z asking 4 GiB", sevenZip("4g.7z", k4GiB), {}, refused(k4GiB, k1GiB) },
        { "7z at the limit", sevenZip("1g.7z", k1GiB),
            { { "coure.fon.dll", "coure.fon.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } }, "" },
        { "7z whose header asks 4 GiB",
            write("4g-header.7z",
                WithSevenZipHeaderDictionary(
                    ReadBytes(make(ArchiveKind::SevenZip, programs, "4g-header.7z")), k4GiB))
                ? in("4g-header.7z")
                : "",
            {}, refused(k4GiB, k1GiB) },
        { "tar.xz asking 1.5 GiB", xz("1.5g.tar.xz", 37), {}, refused(1536 * kMiB, k1GiB) },
        // Read by the library only when it is as small as this one.
        { "7z inside gzip",
            RunProgram({ "sh", "-c",
                "gzip -c " + make(ArchiveKind::SevenZip, { "coure.fon.dll" }, "s.7z") + " >"
                    + in("s.tar.gz") })
                ? in("s.tar.gz")
                : "",
            {}, archive::ArchiveDamagedText("a 7z inside a compressed stream is not read here") },
        { "tar.xz at the limit", xz("1g.tar.xz", 36),
            { { "coure.fon.dll", "coure.fon.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } }, "" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.path.empty());
        Recorder recorder;
        EXPECT_EQ(ArchiveWalker(recorder).walkFile(row.path), WalkEnd::Walked);
        EXPECT_EQ(recorder.members, expected(row.path + kIn, row.delivered));
        std::vector<Skip> skips;
        if (!row.reason.empty())
            skips.push_back({ row.path, row.reason });
        EXPECT_EQ(recorder.skips, skips);
    }
    // Inside a 7z whose decoder may use half of it, the limit is no longer
    // all left, nor is it beside the bytes of the archive inside.
    const std::string outer = in("outer.7z");
    ASSERT_TRUE(MakeLzmaSevenZip(scratch.path(), { "1g.tar.xz" }, outer, 512 * kMiB));
    Recorder recorder;
    ArchiveWalker(recorder).walkFile(outer);
    EXPECT_EQ(recorder.members, std::vector<Delivered> {});
    EXPECT_EQ(recorder.skips,
        (std::vector<Skip> { { outer + kIn + "1g.tar.xz",
            refused(k1GiB, 512 * kMiB - bytesOf("1g.tar.xz").size()) } }));
}

// A member larger than the limit is skipped whether its size is declared
// (all of these) or found while it is read; the walk goes on behind it,
// through solid blocks and compressed streams too.
TEST_F(ArchiveSkips, MembersLargerThanTheLimitAreSkipped)
{
    for (const ArchiveKind kind : { ArchiveKind::Zip, ArchiveKind::SevenZip, ArchiveKind::TarGz }) {
        SCOPED_TRACE(ArchiveEnding(kind));
        const std::string path = make(kind, { "coure.fon.dll", "hh.exe", "vgasys.fon.dll" },
            "large." + std::string(ArchiveEnding(kind)));
        ArchiveLimits limits;
        limits.memberBytes = 100 * 1024; // hh.exe has 147,312
        Recorder recorder;
        ArchiveWalker(recorder, limits).walkFile(path);
        EXPECT_EQ(recorder.members,
            expected(path + kIn,
                { { "coure.fon.dll", "coure.fon.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } }));
        EXPECT_EQ(recorder.skips,
            (std::vector<Skip> { { path + kIn + "hh.exe", archive::TooLargeText(limits) } }));
    }
}

// The total counts everything unpacked from the archive on disk, the
// archives inside it and their members included; the member that crosses it
// is reported and nothing after it is read.
TEST_F(ArchiveSkips, TheTotalEndsTheWalkOfTheArchiveOnDisk)
{
    // 4,912 + 57,475 + 147,312 + 6,512 bytes.
    make(ArchiveKind::Zip, { "sas.dll", "hh.exe" }, "inner.zip");
    const std::string flat = make(
        ArchiveKind::Zip, { "coure.fon.dll", "sas.dll", "hh.exe", "vgasys.fon.dll" }, "flat.zip");
    const std::string nested
        = make(ArchiveKind::SevenZip, { "coure.fon.dll", "inner.zip", "vgasys.fon.dll" }, "n.7z");
    ArchiveLimits limits;
    limits.totalBytes = 150 * 1024;
    const struct {
        const char* name;
        std::string path;
        std::vector<std::pair<std::string, std::string>> delivered;
        std::string crossing;
    } rows[] = {
        { "flat", flat, { { "coure.fon.dll", "coure.fon.dll" }, { "sas.dll", "sas.dll" } },
            "hh.exe" },
        { "nested", nested,
            { { "coure.fon.dll", "coure.fon.dll" }, { "inner.zip" + kIn + "sas.dll", "sas.dll" } },
            "inner.zip" + kIn + "hh.exe" },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Recorder recorder;
        EXPECT_EQ(ArchiveWalker(recorder, limits).walkFile(row.path), WalkEnd::Walked);
        EXPECT_EQ(recorder.members, expected(row.path + kIn, row.delivered));
        EXPECT_EQ(recorder.skips,
            (std::vector<Skip> {
                { row.path + kIn + row.crossing, archive::TotalExceededText(limits) } }));
    }
    // Each walk of a file on disk has a total of its own.
    Recorder twice;
    ArchiveWalker walker(twice, limits);
    walker.walkFile(flat);
    walker.walkFile(flat);
    EXPECT_EQ(twice.members.size(), 4u);
}

// Encrypted members are skipped with their reason, in every cipher a zip can
// use; the members of the archive around them are delivered.
TEST_F(ArchiveSkips, EncryptedMembersAreSkipped)
{
    for (const char* cipher : { "zipcrypt", "aes128", "aes256" }) {
        SCOPED_TRACE(cipher);
        if (!MakeArchive(ArchiveKind::Zip, scratch.path(), { "hh.exe", "sas.dll" },
                in("locked.zip"),
                { "--options", std::string("zip:encryption=") + cipher, "--passphrase", "secret" }))
            GTEST_SKIP() << "bsdtar cannot encrypt with " << cipher;
        const std::string outer = make(
            ArchiveKind::Zip, { "coure.fon.dll", "locked.zip", "vgasys.fon.dll" }, "outer.zip");
        Recorder recorder;
        ArchiveWalker(recorder).walkFile(outer);
        EXPECT_EQ(recorder.members,
            expected(outer + kIn,
                { { "coure.fon.dll", "coure.fon.dll" }, { "vgasys.fon.dll", "vgasys.fon.dll" } }));
        const std::string locked = outer + kIn + "locked.zip" + kIn;
        EXPECT_EQ(recorder.skips,
            (std::vector<Skip> { { locked + "hh.exe", archive::EncryptedText() },
                { locked + "sas.dll", archive::EncryptedText() } }));
        std::filesystem::remove(in("locked.zip"));
        std::filesystem::remove(outer);
    }
}

// An archive cut short in its last member delivers the members before the
// cut and names the damage. A 7z keeps its directory at its end, so one cut
// short has nothing left to read: it is named as damaged, and the walk of
// the archive around it goes on.
TEST_F(ArchiveSkips, ArchivesCutShortDeliverWhatComesBeforeTheCut)
{
    const struct {
        const char* name;
        ArchiveKind kind;
        std::size_t delivered; // of coure.fon.dll and vgasys.fon.dll
    } rows[] = {
        { "zip", ArchiveKind::Zip, 2 },
        { "tar.gz", ArchiveKind::TarGz, 2 },
        { "cab", ArchiveKind::Cab, 2 },
        { "7z", ArchiveKind::SevenZip, 0 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string name = "cut." + std::string(ArchiveEnding(row.kind));
        const std::string path
            = make(row.kind, { "coure.fon.dll", "vgasys.fon.dll", "hh.exe" }, name);
        // The last 10 KB hold the end of hh.exe's packed bytes in every one.
        Bytes bytes = ReadBytes(path);
        ASSERT_GT(bytes.size(), 20000u);
        bytes.resize(bytes.size() - 10000);
        ASSERT_TRUE(write(name, bytes));
        const std::string outer = make(ArchiveKind::Zip, { name, "sas.dll" }, "outer.zip");

        Recorder recorder;
        EXPECT_EQ(ArchiveWalker(recorder).walkFile(outer), WalkEnd::Walked);
        std::vector<std::pair<std::string, std::string>> delivered;
        for (const std::string before : { "coure.fon.dll", "vgasys.fon.dll" })
            if (delivered.size() < row.delivered)
                delivered.push_back({ name + kIn + before, before });
        delivered.push_back({ "sas.dll", "sas.dll" });
        EXPECT_EQ(recorder.members, expected(outer + kIn, delivered));
        ASSERT_EQ(recorder.skips.size(), 1u);
        const Skip& skip = recorder.skips[0];
        EXPECT_EQ(skip.path.rfind(outer + kIn + name, 0), 0u) << skip;
        const std::string damaged = archive::ArchiveDamagedText("");
        const std::string prefix = damaged.substr(0, damaged.find(':'));
        EXPECT_EQ(skip.reason.rfind(prefix, 0), 0u) << skip;
        std::filesystem::remove(outer);
    }
}

} // namespace
