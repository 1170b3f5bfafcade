#pragma once
// What the archive tests share: a visitor that records everything a walk
// hands out, and a scratch folder holding a few real executables of the
// corpus, where the tests build their archives (and archives of archives)
// with Debian's tools.

#include "archive/ArchiveWalker.h"
#include "kit/Archives.h"
#include "kit/Bytes.h"
#include "kit/Corpus.h"
#include "kit/Files.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace glyphor::kit {

struct Delivered {
    std::string path; // DisplayMemberPath
    Bytes bytes;
    bool operator==(const Delivered&) const = default;
};

struct Skip {
    std::string path;
    std::string reason;
    bool operator==(const Skip&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Delivered& d)
{
    return out << d.path << " (" << d.bytes.size() << " bytes)";
}

inline std::ostream& operator<<(std::ostream& out, const Skip& s)
{
    return out << s.path << ": " << s.reason;
}

// Wants executables and libraries (or everything), records members and
// skips in the order they come, and asks to stop once it holds stopAfter
// members.
class Recorder : public archive::ArchiveVisitor {
public:
    bool wantsAll = false;
    std::size_t stopAfter = SIZE_MAX;
    std::vector<Delivered> members;
    std::vector<Skip> skips;

    bool wants(const archive::MemberPath& path) override
    {
        const std::string& name = path.name();
        const auto endsWith = [&name](const std::string& end) {
            return name.size() >= end.size()
                && name.compare(name.size() - end.size(), end.size(), end) == 0;
        };
        return wantsAll || endsWith(".exe") || endsWith(".dll");
    }
    void member(const archive::MemberPath& path, std::span<const std::uint8_t> bytes) override
    {
        members.push_back({ archive::DisplayMemberPath(path), Bytes(bytes.begin(), bytes.end()) });
    }
    void skipped(const archive::MemberPath& path, const std::string& reason) override
    {
        skips.push_back({ archive::DisplayMemberPath(path), reason });
    }
    bool stopRequested() override { return members.size() >= stopAfter; }
};

// The real executables packed by the tests, small ones first.
inline const std::vector<std::string> kCorpusFiles = {
    "public/fonts-wine/coure.fon.dll",
    "public/fonts-wine/vgasys.fon.dll",
    "public/fonts-wine/sserife.fon.dll",
    "public/libwine-i386/sas.dll",
    "public/libwine-i386/hh.exe",
};

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const auto& relative : kCorpusFiles) {
            const std::string from = CorpusPath(relative);
            if (from.empty())
                GTEST_SKIP() << "no corpus at " << CorpusRoot();
            std::filesystem::copy_file(
                from, in(std::filesystem::path(relative).filename().string()));
        }
        for (const char* tool : { "bsdtar", "gcab" })
            if (!HaveProgram(tool))
                GTEST_SKIP() << tool << " is not installed (scripts/setup installs it)";
    }

    // A file of the folder the archives are made in.
    std::string in(const std::string& name) const { return scratch.file(name); }
    Bytes bytesOf(const std::string& name) const { return ReadBytes(in(name)); }
    bool write(const std::string& name, const Bytes& bytes) const
    {
        return WriteBytes(in(name), bytes);
    }

    // The archive out (in the folder) of the folder's files names.
    std::string make(ArchiveKind kind, const std::vector<std::string>& names,
        const std::string& out, const std::vector<std::string>& extra = {}) const
    {
        EXPECT_TRUE(MakeArchive(kind, scratch.path(), names, in(out), extra)) << out;
        return in(out);
    }

    // What a walk of the file on disk is expected to hand out: each member
    // named below the archive by the names given, with the bytes of the
    // folder's file of that name.
    std::vector<Delivered> expected(const std::string& prefix,
        const std::vector<std::pair<std::string, std::string>>& pathAndFile) const
    {
        std::vector<Delivered> out;
        for (const auto& [path, file] : pathAndFile)
            out.push_back({ prefix + path, bytesOf(file) });
        return out;
    }

    ScratchFolder scratch;
};

// " › ", between the names of a member path.
inline const std::string kIn = " \xE2\x80\xBA ";

} // namespace glyphor::kit
