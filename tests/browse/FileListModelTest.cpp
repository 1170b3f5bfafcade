#include "browse/FileListModel.h"

#include "TestFolders.h"
#include "files/NativePath.h"
#include "kit/NativeFiles.h"
#include "platform/FileSystem.h"
#include "util/Error.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>

using namespace glyphor;
using glyphor::kit::MakeFiles;
using glyphor::kit::MakeFolders;

namespace {

class FileListModelTest : public ::testing::Test {
protected:
    test::CurrentDirectoryGuard cwd;
    kit::ScratchFolder tmp;
    QString root() const { return kit::PathOf(tmp); }
};

struct ListingCase {
    const char* label;
    QStringList files;
    QString mask;
    QStringList expected;
};

TEST_F(FileListModelTest, ListsMatchingNamesSortedWithoutRegardToCase)
{
    const ListingCase cases[] = {
        { "case kept, order ignores case", { "B.EXE", "a.dll", "c.Exe", "readme.txt" },
            "*.exe;*.dll", { "a.dll", "B.EXE", "c.Exe" } },
        { "hidden icon files left out", { ".hidden.ico", "b.ico", "A.ICO", ".ico" }, "*.ico",
            { "A.ICO", "b.ico" } },
        { "a name matched by two patterns twice", { "B.EXE", "a.dll" }, "*.exe;b*",
            { "B.EXE", "B.EXE" } },
        { "patterns as written, blank kept", { "a.exe", "b.dll" }, "*.exe; *.dll", { "a.exe" } },
        { "*.* takes names without a dot", { "noext", "x.y" }, "*.*", { "noext", "x.y" } },
        { "numbered icons ascend", { "Icon0010.ico", "Icon0002.ico", "Icon0001.ico" }, "*.ico",
            { "Icon0001.ico", "Icon0002.ico", "Icon0010.ico" } },
        { "empty folder", {}, "*.ico", {} },
    };
    int n = 0;
    for (const ListingCase& c : cases) {
        const QString folder = root() + QStringLiteral("/case%1").arg(n++);
        MakeFiles(folder, c.files);
        MakeFolders(folder, { "folder.exe" }); // folders are never listed
        FileListModel model;
        model.setMask(c.mask);
        model.setDirectory(folder);
        EXPECT_EQ(model.items(), c.expected) << c.label;
        EXPECT_EQ(model.directory(), folder) << c.label;
        EXPECT_EQ(platform::CurrentDirectory(), folder) << "a read leaves the process there";
    }
}

TEST_F(FileListModelTest, ReadsOnlyWhenFolderOrMaskChangesOrOnReread)
{
    MakeFiles(root(), { "a.ico" });
    FileListModel model;
    model.setMask(QStringLiteral("*.ico"));
    model.setDirectory(root());
    int reads = 0;
    QObject::connect(&model, &FileListModel::itemsReplaced, [&] { ++reads; });

    MakeFiles(root(), { "b.ico" });
    model.setDirectory(root());
    model.setDirectory(QStringLiteral("."));
    model.setMask(QStringLiteral("*.ico"));
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(model.items(), QStringList { "a.ico" });

    model.reread();
    EXPECT_EQ(reads, 1);
    EXPECT_EQ(model.items(), (QStringList { "a.ico", "b.ico" }));
    model.setMask(QStringLiteral("*.ICO"));
    EXPECT_EQ(reads, 2);
}

// The merge points the source list at the collected icons in one step: a
// folder of thousands of names is listed and sorted once, not three times.
TEST_F(FileListModelTest, ShowFolderReadsOnceWhatThreeCallsShow)
{
    const QString folder = root() + "/Temp";
    MakeFiles(folder, { "b.ico", "A.ICO", "c.exe" });
    MakeFiles(root(), { "x.exe" });
    FileListModel longWay, oneStep;
    for (FileListModel* m : { &longWay, &oneStep }) {
        m->setMask("*.exe;*.dll");
        m->setDirectory(root());
        m->select(0);
    }
    int reads = 0, changes = 0;
    QObject::connect(&oneStep, &FileListModel::itemsReplaced, [&] { ++reads; });
    QObject::connect(&oneStep, &FileListModel::changed, [&] { ++changes; });

    longWay.setDirectory(folder);
    longWay.setMask("*.ico");
    longWay.reread();
    oneStep.showFolder(folder, "*.ico");

    EXPECT_EQ(reads, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(oneStep.items(), (QStringList { "A.ICO", "b.ico" }));
    EXPECT_EQ(oneStep.items(), longWay.items());
    EXPECT_EQ(oneStep.directory(), folder);
    EXPECT_EQ(oneStep.mask(), "*.ico");
    EXPECT_EQ(oneStep.itemIndex(), -1);
    EXPECT_EQ(platform::CurrentDirectory(), folder);

    // A folder that cannot be entered changes nothing, the mask included.
    EXPECT_THROW(oneStep.showFolder(root() + "/missing", "*.exe"), EInOutError);
    EXPECT_EQ(oneStep.directory(), folder);
    EXPECT_EQ(oneStep.mask(), "*.ico");
    EXPECT_EQ(oneStep.items(), (QStringList { "A.ICO", "b.ico" }));
    EXPECT_EQ(reads, 1);
}

struct AddCase {
    const char* label;
    QString mask;
    QString added;
    int index; // -1: not listed
    int count;
};

// A file added after a copy is announced as rows put in, so that the list's
// widget inserts them instead of building and painting the whole list again.
TEST_F(FileListModelTest, AddedFileIsAnnouncedAsInsertedRowsNotAsARead)
{
    const AddCase cases[] = {
        { "between two names", "*.ico", "Icon0001.ico", 1, 1 },
        { "before every name, case ignored", "*.ico", "aaa.ICO", 0, 1 },
        { "after names that compare equal", "*.ico", "ICON0002.ico", 2, 1 },
        { "matched by two patterns, twice", "*.ico;icon*", "Icon0003.ico", 4, 2 },
        { "hidden by its name", "*.ico", ".Icon0001.ico", -1, 0 },
        { "not matched by the mask", "*.ico", "Icon0001.txt", -1, 0 },
    };
    MakeFiles(root(), { "Icon0000.ico", "Icon0002.ico" });
    for (const AddCase& c : cases) {
        FileListModel model;
        model.setMask(c.mask);
        model.setDirectory(root());
        model.select(0);
        const QStringList before = model.items();
        QStringList events;
        QObject::connect(&model, &FileListModel::itemsReplaced, [&] { events << "read"; });
        QObject::connect(&model, &FileListModel::itemsAboutToBeInserted, [&](int index, int count) {
            events << QStringLiteral("before %1 %2 (%3 items)")
                          .arg(index)
                          .arg(count)
                          .arg(model.count());
        });
        QObject::connect(&model, &FileListModel::itemsInserted, [&](int index, int count) {
            events << QStringLiteral("after %1 %2 (%3 items)")
                          .arg(index)
                          .arg(count)
                          .arg(model.count());
        });
        QObject::connect(&model, &FileListModel::changed, [&] { events << "changed"; });

        model.addFile(c.added);

        QStringList expected;
        if (c.index >= 0) {
            const int n = int(before.size());
            expected << QStringLiteral("before %1 %2 (%3 items)").arg(c.index).arg(c.count).arg(n)
                     << QStringLiteral("after %1 %2 (%3 items)")
                            .arg(c.index)
                            .arg(c.count)
                            .arg(n + c.count)
                     << "changed";
            for (int k = 0; k < c.count; ++k)
                EXPECT_EQ(model.item(c.index + k), c.added) << c.label;
            EXPECT_EQ(model.itemIndex(), -1) << c.label;
        } else {
            EXPECT_EQ(model.items(), before) << c.label;
        }
        EXPECT_EQ(events, expected) << c.label;
    }
}

TEST_F(FileListModelTest, ClickThenChangeAndEveryReadEndsUnselected)
{
    MakeFiles(root(), { "a.exe", "b.exe" });
    FileListModel model;
    model.setDirectory(root());
    QStringList events;
    QObject::connect(&model, &FileListModel::clicked, [&] { events << "click"; });
    QObject::connect(&model, &FileListModel::changed, [&] { events << "change"; });

    model.select(1);
    model.select(1);
    EXPECT_EQ(events, (QStringList { "click", "change", "click" }));
    EXPECT_EQ(model.fileName(), root() + "/b.exe");

    events.clear();
    model.reread();
    EXPECT_EQ(events, QStringList { "change" });
    EXPECT_EQ(model.itemIndex(), -1);
    EXPECT_TRUE(model.fileName().isEmpty());
    model.select(1);
    EXPECT_EQ(events.back(), "change") << "a read resets the index last reported";
}

TEST_F(FileListModelTest, FileNameJoinsWithOneSeparatorAlsoAtTheRoot)
{
    EXPECT_EQ(platform::JoinPath("/", "x.exe"), "/x.exe");
    EXPECT_EQ(platform::JoinPath("/a", "x.exe"), "/a/x.exe");

    FileListModel model;
    model.setDirectory(QStringLiteral("/"));
    EXPECT_EQ(model.directory(), "/");
    for (int i = 0; i < model.count(); ++i)
        EXPECT_EQ(model.fullPath(i), "/" + model.item(i));
    EXPECT_TRUE(model.fullPath(model.count()).isEmpty());
}

TEST_F(FileListModelTest, RelativePathsResolveAgainstTheProcessDirectory)
{
    MakeFolders(root(), { "a/b", "elsewhere" });
    MakeFiles(root() + "/a", { "in-a.exe" });
    FileListModel model;
    model.setDirectory(root() + "/elsewhere");
    platform::ChangeDirectory(root() + "/a/b");
    model.setDirectory(QStringLiteral(".."));
    EXPECT_EQ(model.directory(), root() + "/a");
    EXPECT_EQ(model.items(), QStringList { "in-a.exe" });
}

TEST_F(FileListModelTest, LeftoverPatternBecomesMaskAndFileBecomesSelected)
{
    MakeFiles(root(), { "a.exe", "b.ico" });
    FileListModel model;
    model.setDirectory(root() + "/*.ico");
    EXPECT_EQ(model.mask(), "*.ico");
    EXPECT_EQ(model.items(), QStringList { "b.ico" });
    model.setDirectory(root() + "/a.exe");
    EXPECT_EQ(model.fileName(), root() + "/a.exe");
}

// Names of archives of old software, not UTF-8: listed, matched by the mask,
// sorted among the others, and each selection leads to the very file.
TEST_F(FileListModelTest, NamesThatAreNotUtf8AreListedAndOpenedByteExact)
{
    using files::FromNativePath;
    const QString folder = root() + "/" + FromNativePath("d\xE9j\xE0 vu");
    const std::vector<std::string> names = { "b\xE9.exe", "A\xE8.EXE", "c.exe", "\xFF.dll",
        "x\x80.exe", "x\x81.exe", "caf\xC3\xA9.exe", "note\xE9.txt" };
    QStringList held;
    for (const std::string& n : names)
        held << FromNativePath(n);
    MakeFiles(folder, held);

    FileListModel model;
    model.setMask("*.exe;*.dll");
    model.setDirectory(folder);
    EXPECT_EQ(files::ToNativePath(model.directory()), files::ToNativePath(folder));
    QStringList shown;
    for (const QString& item : model.items())
        shown << files::DisplayPath(item);
    // Each undecodable byte sorts after the letters, and names that differ
    // only in such bytes stay apart.
    EXPECT_EQ(shown,
        (QStringList { "A\\xE8.EXE", "b\\xE9.exe", "c.exe", QString::fromUtf8("caf\xC3\xA9.exe"),
            "x\\x80.exe", "x\\x81.exe", "\\xFF.dll" }));
    for (int i = 0; i < model.count(); ++i) {
        model.select(i);
        EXPECT_TRUE(platform::IsExistingFile(model.fileName())) << shown[i].toStdString();
    }
    // A whole path selects its file, as a click would.
    const QString latin1 = platform::JoinPath(folder, FromNativePath("b\xE9.exe"));
    model.setDirectory(latin1);
    EXPECT_EQ(files::ToNativePath(model.fileName()), files::ToNativePath(latin1));
    glyphor::kit::RemoveAll(folder); // beyond what the temporary folder can remove
}

TEST_F(FileListModelTest, VanishedFolderRaisesTheSystemTextAndKeepsTheList)
{
    const QString gone = root() + "/gone";
    MakeFiles(gone, { "a.exe" });
    FileListModel model;
    model.setDirectory(gone);
    QDir(gone).removeRecursively();
    int changes = 0;
    QObject::connect(&model, &FileListModel::changed, [&] { ++changes; });

    try {
        model.reread();
        FAIL() << "no error raised";
    } catch (const EInOutError& e) {
        EXPECT_STREQ(e.what(), std::strerror(ENOENT));
    }
    EXPECT_THROW(model.setDirectory(root() + "/missing"), EInOutError);
    EXPECT_EQ(model.directory(), gone);
    EXPECT_EQ(model.items(), QStringList { "a.exe" });
    EXPECT_EQ(changes, 0);

    // A list whose folder is gone can still be moved elsewhere.
    model.setDirectory(root());
    EXPECT_EQ(model.directory(), root());
}

TEST_F(FileListModelTest, StartedInARemovedFolderListsTheRoot)
{
    // The program started in a folder that was removed before the window
    // opened: the lists start at "/", and the file list shows what is there,
    // because the window's first move to "/" reads nothing for an unchanged folder.
    const QString start = root() + "/start";
    QDir().mkpath(start);
    platform::ChangeDirectory(start);
    QDir().rmdir(start);
    ASSERT_THROW(platform::CurrentDirectory(), EInOutError);

    FileListModel model;
    EXPECT_EQ(model.directory(), QStringLiteral("/"));
    EXPECT_EQ(platform::CurrentDirectory(), QStringLiteral("/")) << "/ was read";
    model.setDirectory(QStringLiteral("/"));

    FileListModel atRoot;
    EXPECT_EQ(model.items(), atRoot.items());
}

TEST_F(FileListModelTest, LongReadsAnnounceTheHourglassFromItem100)
{
    for (int count : { 100, 101 }) {
        const QString folder = root() + QStringLiteral("/n%1").arg(count);
        QStringList names;
        for (int i = 0; i < count; ++i)
            names << QStringLiteral("f%1.ico").arg(i);
        MakeFiles(folder, names);
        FileListModel model;
        QStringList events;
        QObject::connect(&model, &FileListModel::longReadStarted, [&] { events << "start"; });
        QObject::connect(&model, &FileListModel::longReadEnded, [&] { events << "end"; });
        QObject::connect(&model, &FileListModel::changed, [&] { events << "change"; });
        model.setDirectory(folder);
        const QStringList expected
            = count > 100 ? QStringList { "start", "end", "change" } : QStringList { "change" };
        EXPECT_EQ(events, expected) << count;
    }
}

} // namespace
