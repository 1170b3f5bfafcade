#include "kit/FailingFileOps.h"

#include "harvest/DestinationIndex.h"
#include "harvest/IconFolder.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor {
namespace {

// The index of a destination folder, with the reads of files counted.
class DestinationIndexTest : public testing::Test {
protected:
    // A file of 600 bytes of seed, or as many as size says.
    QString Put(const QString& name, char seed, int size = 600)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, seed));
        return file.fileName();
    }
    // The bytes of a 600-byte file of seed, as a collected icon's.
    Probe ProbeOf(char seed) const { return Probe(IconFileBytes(600, std::uint8_t(seed))); }
    QStringList Names(const DestinationIndex& index) const
    {
        QStringList names;
        for (int i = 0; i < index.count(); ++i)
            names << index.name(i);
        return names;
    }
    int Reads(const QString& name) { return ops.reads.value(dir.filePath(name)); }
    // What a read of the folder shows, as the window's file list shows it.
    QStringList Listed() { return ListIconFiles(ops, folder); }

    QTemporaryDir dir;
    const files::Folder folder = files::Folder::open(dir.path().toStdString());
    test::FailingFileOps ops;
};

TEST_F(DestinationIndexTest, ReadsTheFolderAgainOnlyWhenOthersChangedIt)
{
    Put("a.ico", 'a');
    Put("c.ico", 'c');
    DestinationIndex index(ops, folder);
    index.read();
    EXPECT_TRUE(index.equals(0, ProbeOf('a')));
    EXPECT_FALSE(index.equals(1, ProbeOf('a')));

    // A file another hand put there joins at the next look.
    Put("b.ico", 'b');
    index.readIfChanged();
    EXPECT_EQ(Names(index), Listed());
    EXPECT_TRUE(index.equals(1, ProbeOf('b')));

    // A read of the folder (a "Save Icon" meanwhile) brings new names and
    // keeps the files read so far.
    Put("B0.ico", 'x');
    index.readIfChanged();
    EXPECT_EQ(Names(index), Listed());
    EXPECT_TRUE(index.equals(int(Listed().indexOf("a.ico")), ProbeOf('a')));
    EXPECT_TRUE(index.equals(int(Listed().indexOf("c.ico")), ProbeOf('c')));
    EXPECT_TRUE(index.equals(int(Listed().indexOf("B0.ico")), ProbeOf('x')));
    EXPECT_EQ(Reads("a.ico"), 1);
    EXPECT_EQ(Reads("b.ico"), 1);
    EXPECT_EQ(Reads("c.ico"), 1);

    // A file removed by someone else leaves the list at the next look.
    ASSERT_TRUE(QFile::remove(dir.filePath("c.ico")));
    index.readIfChanged();
    EXPECT_EQ(Names(index), Listed());
}

TEST_F(DestinationIndexTest, ACopyJoinsTheListWithTheBytesItWasCopiedWith)
{
    Put("Icon0001.ico", 'a');
    DestinationIndex index(ops, folder);
    index.read();
    // A name that compares equal to one there goes after it, and only the
    // copy itself takes its bytes; the other is read from its file.
    index.expect("ICON0001.ico");
    Put("ICON0001.ico", 'b');
    index.addCompared("ICON0001.ico", ProbeOf('b'));
    EXPECT_EQ(Listed(), QStringList({ "Icon0001.ico", "ICON0001.ico" }));
    EXPECT_EQ(Names(index), Listed());
    EXPECT_TRUE(index.equals(1, ProbeOf('b')));
    EXPECT_EQ(Reads("ICON0001.ico"), 0);
    EXPECT_FALSE(index.equals(0, ProbeOf('b')));
    EXPECT_EQ(Reads("Icon0001.ico"), 1);
}

TEST_F(DestinationIndexTest, CopiesWithoutComparisonJoinWithTheNextCopyOrRead)
{
    DestinationIndex index(ops, folder);
    index.read();
    index.expect("Icon0000.ico");
    Put("Icon0000.ico", 'a');
    index.addUncompared("Icon0000.ico");
    EXPECT_EQ(index.count(), 0);

    index.expect("Icon0001.ico");
    Put("Icon0001.ico", 'b');
    index.addCompared("Icon0001.ico", ProbeOf('b'));
    EXPECT_EQ(Listed(), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_EQ(Names(index), Listed());
    EXPECT_TRUE(index.equals(0, ProbeOf('a')));
    EXPECT_EQ(Reads("Icon0000.ico"), 1);

    // A read of the folder shows an uncompared copy already: the next
    // compared copy must not add it a second time.
    index.expect("Icon0002.ico");
    Put("Icon0002.ico", 'c');
    index.addUncompared("Icon0002.ico");
    index.read();
    index.expect("Icon0003.ico");
    Put("Icon0003.ico", 'd');
    index.addCompared("Icon0003.ico", ProbeOf('d'));
    EXPECT_EQ(
        Listed(), QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico", "Icon0003.ico" }));
    EXPECT_EQ(Names(index), Listed());
}

TEST_F(DestinationIndexTest, ShortOrUnreadableFilesEqualNothing)
{
    Put("short.ico", 'a', 100);
    Put("other.ico", 'a', 100);
    Put("locked.ico", 'a');
    ops.failOpenOf << "locked.ico";
    DestinationIndex index(ops, folder);
    index.read();
    const Probe none(std::nullopt);
    for (int i = 0; i < index.count(); ++i) {
        EXPECT_FALSE(index.equals(i, none)) << index.name(i).toStdString();
        EXPECT_FALSE(index.equals(i, ProbeOf('a'))) << index.name(i).toStdString();
    }
}

// Among names that compare equal a copy goes last, after those the folder
// already held in whatever order it gave them, and only the copy takes the
// bytes it came with.
TEST_F(DestinationIndexTest, ACopyGoesAfterEveryNameEqualToIt)
{
    Put("icon0001.ico", 'a');
    Put("ICON0001.ICO", 'b');
    DestinationIndex index(ops, folder);
    index.read();
    index.expect("Icon0001.ico");
    Put("Icon0001.ico", 'c');
    index.addCompared("Icon0001.ico", ProbeOf('c'));
    const QStringList names = Names(index);
    const QStringList listed = Listed();
    ASSERT_EQ(names.size(), 3);
    EXPECT_EQ(names.last(), "Icon0001.ico");
    EXPECT_EQ(
        QSet<QString>(names.begin(), names.end()), QSet<QString>(listed.begin(), listed.end()));
    EXPECT_TRUE(index.equals(2, ProbeOf('c')));
    EXPECT_EQ(Reads("Icon0001.ico"), 0);
    EXPECT_TRUE(index.equals(int(names.indexOf("icon0001.ico")), ProbeOf('a')));
    EXPECT_TRUE(index.equals(int(names.indexOf("ICON0001.ICO")), ProbeOf('b')));
}

// A read of the folder (a save at a pump) keeps what is known of every name
// still there, by its exact name: the bytes a copy came with and those of a
// file of another length, neither read again.
TEST_F(DestinationIndexTest, AReadOfTheListKeepsWhatIsKnownOfEachName)
{
    Put("short.ico", 's', 100);
    Put("icon0001.ico", 'a');
    DestinationIndex index(ops, folder);
    index.read();
    EXPECT_FALSE(index.equals(int(Listed().indexOf("short.ico")), ProbeOf('s')));
    EXPECT_TRUE(index.equals(int(Listed().indexOf("icon0001.ico")), ProbeOf('a')));
    index.expect("ICON0001.ICO");
    Put("ICON0001.ICO", 'b');
    index.addCompared("ICON0001.ICO", ProbeOf('b'));

    index.read();
    ASSERT_EQ(Names(index), Listed());
    const auto at = [&](const char* name) { return int(Listed().indexOf(name)); };
    EXPECT_TRUE(index.equals(at("ICON0001.ICO"), ProbeOf('b')));
    EXPECT_FALSE(index.equals(at("ICON0001.ICO"), ProbeOf('a')));
    EXPECT_TRUE(index.equals(at("icon0001.ico"), ProbeOf('a')));
    EXPECT_FALSE(index.equals(at("short.ico"), ProbeOf('s')));
    EXPECT_EQ(Reads("ICON0001.ICO"), 0);
    EXPECT_EQ(Reads("icon0001.ico"), 1);
    EXPECT_EQ(Reads("short.ico"), 1);
}

} // namespace
} // namespace glyphor
