#include "FailingFileOps.h"

#include "browse/FileListModel.h"
#include "harvest/DestinationIndex.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor {
namespace {

// The index against a destination list, with the signature reads counted.
class DestinationIndexTest : public testing::Test {
protected:
    void SetUp() override
    {
        list.setMask("*.ico");
        list.setDirectory(dir.path());
    }

    // A file of 600 bytes whose first 500 follow seed; a short one of 100.
    QString Put(const QString& name, char seed, int size = 600)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(size, seed));
        return file.fileName();
    }
    Probe ProbeOf(char seed) const
    {
        Signature signature;
        signature.fill(std::uint8_t(seed));
        return Probe(signature);
    }
    QStringList Names(const DestinationIndex& index) const
    {
        QStringList names;
        for (int i = 0; i < index.count(); ++i)
            names << index.name(i);
        return names;
    }
    int Reads(const QString& name) { return ops.reads.value(dir.filePath(name)); }

    QTemporaryDir dir;
    test::FailingFileOps ops;
    FileListModel list;
};

TEST_F(DestinationIndexTest, FollowsTheListAndReadsEachFileOnce)
{
    Put("a.ico", 'a');
    Put("c.ico", 'c');
    list.reread();
    {
        DestinationIndex index(ops, list);
        EXPECT_TRUE(index.equals(0, ProbeOf('a')));
        EXPECT_FALSE(index.equals(1, ProbeOf('a')));

        // A file another hand put there and the list took in.
        Put("b.ico", 'b');
        list.addFile("b.ico");
        EXPECT_EQ(Names(index), list.items());
        EXPECT_TRUE(index.equals(1, ProbeOf('b')));

        // A read of the list (a "Save Icon" at a pump) brings new names and
        // keeps the signatures read so far.
        Put("B0.ico", 'x');
        list.reread();
        EXPECT_EQ(Names(index), list.items());
        EXPECT_TRUE(index.equals(int(list.items().indexOf("a.ico")), ProbeOf('a')));
        EXPECT_TRUE(index.equals(int(list.items().indexOf("c.ico")), ProbeOf('c')));
        EXPECT_TRUE(index.equals(int(list.items().indexOf("B0.ico")), ProbeOf('x')));
        EXPECT_EQ(Reads("a.ico"), 1);
        EXPECT_EQ(Reads("b.ico"), 1);
        EXPECT_EQ(Reads("c.ico"), 1);
    }
    // Gone with the merge, it follows the list no more.
    list.reread();
    list.addFile("z.ico");
    EXPECT_EQ(list.count(), 5);
}

TEST_F(DestinationIndexTest, ACopyJoinsTheListWithTheSignatureItWasCopiedWith)
{
    Put("Icon0001.ico", 'a');
    list.reread();
    DestinationIndex index(ops, list);
    // A name that compares equal to one there goes after it, and only the
    // copy itself takes the signature; the other is read from its file.
    Put("ICON0001.ico", 'b');
    index.addCompared("ICON0001.ico", ProbeOf('b'));
    EXPECT_EQ(list.items(), QStringList({ "Icon0001.ico", "ICON0001.ico" }));
    EXPECT_EQ(Names(index), list.items());
    EXPECT_TRUE(index.equals(1, ProbeOf('b')));
    EXPECT_EQ(Reads("ICON0001.ico"), 0);
    EXPECT_FALSE(index.equals(0, ProbeOf('b')));
    EXPECT_EQ(Reads("Icon0001.ico"), 1);
}

TEST_F(DestinationIndexTest, CopiesWithoutComparisonJoinWithTheNextCopyOrRead)
{
    DestinationIndex index(ops, list);
    Put("Icon0000.ico", 'a');
    index.addUncompared("Icon0000.ico");
    EXPECT_EQ(index.count(), 0);
    EXPECT_TRUE(list.items().isEmpty());

    Put("Icon0001.ico", 'b');
    index.addCompared("Icon0001.ico", ProbeOf('b'));
    EXPECT_EQ(list.items(), QStringList({ "Icon0000.ico", "Icon0001.ico" }));
    EXPECT_EQ(Names(index), list.items());
    EXPECT_TRUE(index.equals(0, ProbeOf('a')));
    EXPECT_EQ(Reads("Icon0000.ico"), 1);

    // A read of the list shows an uncompared copy already: the next compared
    // copy must not add it a second time.
    Put("Icon0002.ico", 'c');
    index.addUncompared("Icon0002.ico");
    list.reread();
    Put("Icon0003.ico", 'd');
    index.addCompared("Icon0003.ico", ProbeOf('d'));
    EXPECT_EQ(list.items(),
        QStringList({ "Icon0000.ico", "Icon0001.ico", "Icon0002.ico", "Icon0003.ico" }));
    EXPECT_EQ(Names(index), list.items());
}

TEST_F(DestinationIndexTest, ShortOrUnreadableFilesEqualNothing)
{
    Put("short.ico", 'a', 100);
    Put("other.ico", 'a', 100);
    Put("locked.ico", 'a');
    ops.failOpenOf << "locked.ico";
    list.reread();
    DestinationIndex index(ops, list);
    const Probe none(std::nullopt);
    for (int i = 0; i < index.count(); ++i) {
        EXPECT_FALSE(index.equals(i, none)) << index.name(i).toStdString();
        EXPECT_FALSE(index.equals(i, ProbeOf('a'))) << index.name(i).toStdString();
    }
}

// Among names that compare equal a copy goes last, after those the folder
// already held in whatever order it gave them, and only the copy takes the
// signature it came with.
TEST_F(DestinationIndexTest, ACopyGoesAfterEveryNameEqualToIt)
{
    Put("icon0001.ico", 'a');
    Put("ICON0001.ICO", 'b');
    list.reread();
    DestinationIndex index(ops, list);
    Put("Icon0001.ico", 'c');
    index.addCompared("Icon0001.ico", ProbeOf('c'));
    ASSERT_EQ(list.items().size(), 3);
    EXPECT_EQ(list.items().last(), "Icon0001.ico");
    EXPECT_EQ(Names(index), list.items());
    EXPECT_TRUE(index.equals(2, ProbeOf('c')));
    EXPECT_EQ(Reads("Icon0001.ico"), 0);
    EXPECT_TRUE(index.equals(int(list.items().indexOf("icon0001.ico")), ProbeOf('a')));
    EXPECT_TRUE(index.equals(int(list.items().indexOf("ICON0001.ICO")), ProbeOf('b')));
}

// A read of the list (a save at a pump) keeps what is known of every name
// still there, by its exact name: the signature a copy came with and that a
// short file equals nothing, neither read again.
TEST_F(DestinationIndexTest, AReadOfTheListKeepsWhatIsKnownOfEachName)
{
    Put("short.ico", 's', 100);
    Put("icon0001.ico", 'a');
    list.reread();
    DestinationIndex index(ops, list);
    EXPECT_FALSE(index.equals(int(list.items().indexOf("short.ico")), ProbeOf('s')));
    EXPECT_TRUE(index.equals(int(list.items().indexOf("icon0001.ico")), ProbeOf('a')));
    Put("ICON0001.ICO", 'b');
    index.addCompared("ICON0001.ICO", ProbeOf('b'));

    list.reread();
    ASSERT_EQ(Names(index), list.items());
    const auto at = [&](const char* name) { return int(list.items().indexOf(name)); };
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
