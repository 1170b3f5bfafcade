#include "platform/FileSystem.h"

#include "files/NativePath.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace glyphor;
using namespace glyphor::platform;

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest()
        : m_saved(QDir::currentPath())
    {
    }
    ~FileSystemTest() override { TryChangeDirectory(m_saved); }
    QString root() const { return QDir(tmp.path()).canonicalPath(); }
    void touch(const QString& name) { QFile(root() + "/" + name).open(QIODevice::WriteOnly); }
    QTemporaryDir tmp;

private:
    QString m_saved;
};

TEST(Masks, MatchWithoutRegardToCase)
{
    struct {
        const char* name;
        const char* pattern;
        bool matches;
    } const cases[] = {
        { "B.EXE", "*.exe", true },
        { "c.Exe", "*.EXE", true },
        { "a.dll", "*.exe", false },
        { "noext", "*.*", true },
        { "noext", "*.exe", false },
        { "a.b.ico", "*.ico", true },
        { "Icon0001.ico", "Icon????.ico", true },
        { "Icon001.ico", "Icon????.ico", false },
        { "abcabd", "a*b*d", true },
        { "abc", "a*b*d", false },
        { "x.exe", " *.exe", false },
        { "x.exe", "", false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchesPattern(c.name, c.pattern), c.matches) << c.name << " " << c.pattern;
    EXPECT_EQ(SplitMask("*.exe;*.dll"), (QStringList { "*.exe", "*.dll" }));
}

TEST_F(FileSystemTest, AttributesAsTheProgramSeesThem)
{
    QDir(root()).mkdir("dir");
    QDir(root()).mkdir(".hiddendir");
    touch("plain");
    touch(".hidden");
    touch("locked");
    chmod(QFile::encodeName(root() + "/locked").constData(), 0444);
    // Folders never carry the read-only bit, as on mounted CDs where all are r-x.
    QDir(root()).mkdir("rodir");
    chmod(QFile::encodeName(root() + "/rodir").constData(), 0555);
    symlink("dir", QFile::encodeName(root() + "/dirlink").constData());
    symlink("absent", QFile::encodeName(root() + "/dangling").constData());

    for (AttributeDetail detail : { AttributeDetail::Kind, AttributeDetail::Full }) {
        std::vector<DirEntry> entries = ListDirectory(root(), detail);
        std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        const unsigned ro = detail == AttributeDetail::Full ? unsigned(faReadOnly) : 0u;
        const std::vector<std::pair<QString, unsigned>> expected = { { ".hidden", faHidden },
            { ".hiddendir", faHidden | faDirectory }, { "dangling", faSymLink },
            { "dir", faDirectory }, { "dirlink", faDirectory | faSymLink }, { "locked", ro },
            { "plain", 0 }, { "rodir", faDirectory } };
        ASSERT_EQ(entries.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(entries[i].name, expected[i].first);
            EXPECT_EQ(entries[i].attributes, expected[i].second) << entries[i].name.toStdString();
        }
    }
    EXPECT_EQ(AttributesOf(root() + "/locked"), faReadOnly);
    EXPECT_EQ(AttributesOf(root() + "/rodir"), faDirectory);
    EXPECT_EQ(AttributesOf(root() + "/dirlink"), faDirectory | faSymLink);
    EXPECT_EQ(AttributesOf(root() + "/absent"), std::nullopt);
}

TEST_F(FileSystemTest, ErrorsCarryTheSystemText)
{
    try {
        ChangeDirectory(root() + "/absent");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), std::strerror(ENOENT));
    }
    EXPECT_THROW(ListDirectory(root() + "/absent"), EInOutError);
    EXPECT_FALSE(TryChangeDirectory(root() + "/absent"));
}

TEST_F(FileSystemTest, ResolvesAgainstTheProcessDirectoryAndLeavesItThere)
{
    QDir(root()).mkpath("a/b");
    // "*" and "?" are ordinary characters in names here.
    QDir(root()).mkpath("a/ic*ns");
    QDir(root()).mkpath("a/b?");
    touch("a/file.exe");
    ChangeDirectory(root() + "/a/b");
    struct {
        const char* path;
        QString folder;
        const char* rest;
    } const cases[] = {
        { "..", root() + "/a", "" },
        { "../file.exe", root() + "/a", "file.exe" },
        { "../*.ico", root() + "/a", "*.ico" },
        // An existing folder's name is never a mask; a name no folder has is.
        { "../ic*ns", root() + "/a/ic*ns", "" },
        { "../b?", root() + "/a/b?", "" },
        { "../i*", root() + "/a", "i*" },
        { "[..]", root() + "/a", "" },
        { ".", root() + "/a/b", "" },
        { "/", "/", "" },
    };
    for (const auto& c : cases) {
        const ResolvedPath r = ResolvePath(c.path);
        EXPECT_EQ(r.folder, c.folder) << c.path;
        EXPECT_EQ(r.rest, c.rest) << c.path;
        EXPECT_EQ(CurrentDirectory(), root() + "/a/b") << c.path;
    }
    EXPECT_THROW(ResolvePath("../missing/x"), EInOutError);
    EXPECT_THROW(ResolvePath("missing"), EInOutError);
    EXPECT_EQ(CurrentDirectory(), root() + "/a/b");
}

// Names as archives of old software hold them: bytes of a Windows code page,
// cut sequences, a byte that never begins one. Each travels byte-exact from
// the listing to stat, chdir, the current directory and back.
TEST_F(FileSystemTest, NamesThatAreNotUtf8TravelByteExact)
{
    const struct {
        const char* label;
        std::string bytes;
    } names[] = {
        { "Latin1", "caf\xE9" },
        { "Cp437", "\x82\x8A" },
        { "CutSequence", "a\xE2\x82" },
        { "NeverALead", "\xFF" },
        { "ValidUtf8", "caf\xC3\xA9" },
    };
    const std::string base = files::ToNativePath(root());
    for (const auto& n : names) {
        SCOPED_TRACE(n.label);
        const std::string folderBytes = base + "/" + n.bytes;
        ASSERT_EQ(::mkdir(folderBytes.c_str(), 0777), 0);
        const std::string fileBytes = n.bytes + ".EXE";
        ASSERT_EQ(
            ::close(::open((folderBytes + "/" + fileBytes).c_str(), O_CREAT | O_WRONLY, 0644)), 0);

        const QString folder = files::FromNativePath(folderBytes);
        const QString file = files::FromNativePath(fileBytes);
        bool listed = false;
        for (const DirEntry& e : ListDirectory(root()))
            if (files::ToNativePath(e.name) == n.bytes)
                listed = e.attributes == faDirectory;
        EXPECT_TRUE(listed);
        EXPECT_EQ(AttributesOf(folder), faDirectory);
        const std::vector<DirEntry> inside = ListDirectory(folder);
        ASSERT_EQ(inside.size(), 1u);
        EXPECT_EQ(inside[0].name, file);
        EXPECT_TRUE(MatchesPattern(inside[0].name, "*.exe"));
        EXPECT_TRUE(IsExistingFile(JoinPath(folder, file)));

        ChangeDirectory(folder);
        EXPECT_EQ(CurrentDirectory(), folder);
        const ResolvedPath r = ResolvePath(JoinPath(folder, file));
        EXPECT_EQ(r.folder, folder);
        EXPECT_EQ(r.rest, file);
        EXPECT_EQ(CanonicalPath(folder + "/../" + files::FromNativePath(n.bytes)), folder);
        EXPECT_EQ(AbsolutePath(file), JoinPath(folder, file));
        ChangeDirectory(root());
    }
}

TEST(Paths, PartsAndAbsolutePathsByTheirText)
{
    const struct {
        const char* path;
        const char* folder;
        const char* name;
        const char* absolute;
    } cases[] = {
        { "/a/b.exe", "/a", "b.exe", "/a/b.exe" },
        { "/b.exe", "/", "b.exe", "/b.exe" },
        { "/a/./x/../b.exe", "/a/./x/..", "b.exe", "/a/b.exe" },
        { "//a//b/", "//a//b", "", "/a/b" },
        { "/..", "/", "..", "/" },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FolderOf(c.path), c.folder) << c.path;
        EXPECT_EQ(FileNameOf(c.path), c.name) << c.path;
        EXPECT_EQ(AbsolutePath(c.path), c.absolute) << c.path;
    }
    EXPECT_EQ(FolderOf("b.exe"), ".");
    EXPECT_EQ(AbsolutePath("x/../y"), JoinPath(CurrentDirectory(), "y"));
}

} // namespace
