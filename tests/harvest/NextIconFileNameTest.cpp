#include "harvest/NextIconFileName.h"
#include "files/Folder.h"
#include "harvest/IconCounter.h"
#include "kit/NamedRows.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace glyphor {
namespace {

void Touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

struct NamingCase {
    const char* name;
    std::int32_t counter;
    QStringList files;
    QStringList folders;
    const char* expected;
    std::int32_t counterAfter;
};

class NamingTest : public testing::TestWithParam<NamingCase> { };

TEST_P(NamingTest, FirstFreeNameFromCounter)
{
    const NamingCase& c = GetParam();
    QTemporaryDir dir;
    for (const QString& f : c.files)
        Touch(dir.filePath(f));
    for (const QString& f : c.folders)
        ASSERT_TRUE(QDir(dir.path()).mkdir(f));
    SetIconCounter(c.counter);
    EXPECT_EQ(NextIconFileName(dir.path()), dir.path() + "/" + c.expected);
    EXPECT_EQ(IconCounter(), c.counterAfter);
}

INSTANTIATE_TEST_SUITE_P(Cases, NamingTest,
    testing::Values(NamingCase { "EmptyFolder", 0, {}, {}, "Icon0000.ico", 1 },
        NamingCase {
            "SkipsTakenNames", 0, { "Icon0000.ico", "Icon0001.ico" }, {}, "Icon0002.ico", 3 },
        NamingCase { "StartsAtCounterLeavingGaps", 5, { "Icon0000.ico" }, {}, "Icon0005.ico", 6 },
        NamingCase { "TenThousandWrapsToZero", 10000, {}, {}, "Icon0000.ico", 10001 },
        NamingCase { "OnlyLastFourDigits", 12345, {}, {}, "Icon2345.ico", 12346 },
        NamingCase { "FolderDoesNotTakeName", 3, {}, { "Icon0003.ico" }, "Icon0003.ico", 4 },
        NamingCase {
            "OtherNamesIgnored", 0, { "icon0000.ICO.bak", "abc.ico" }, {}, "Icon0000.ico", 1 }),
    glyphor::kit::RowName());

TEST(NextIconFileName, DigitsOfTheCounter)
{
    EXPECT_EQ(IconNumberDigits(0), "0000");
    EXPECT_EQ(IconNumberDigits(9), "0009");
    EXPECT_EQ(IconNumberDigits(9999), "9999");
    EXPECT_EQ(IconNumberDigits(10000), "0000");
    EXPECT_EQ(IconNumberDigits(12345), "2345");
    EXPECT_EQ(IconNumberDigits(-7), "0007");
}

TEST(NextIconFileName, TwoCallsWithoutWritingGiveDifferentNames)
{
    QTemporaryDir dir;
    SetIconCounter(0);
    const QString first = NextIconFileName(dir.path());
    EXPECT_NE(NextIconFileName(dir.path()), first);
    EXPECT_FALSE(QFile::exists(first));
}

TEST(NextIconFileName, RootJoinsWithOneSeparator)
{
    SetIconCounter(0);
    const QString path = NextIconFileName("/");
    EXPECT_TRUE(path.startsWith("/Icon")) << path.toStdString();
    EXPECT_FALSE(path.startsWith("//"));
}

// Icon0000.ico to Icon9999.ico all taken: a destination goes on from 10000
// up, the first free name each time, with or without what a listing knew;
// Temp, which keeps to four digits, has no name left; a four-digit name that
// comes free is used again.
TEST(NextIconFileName, PastTheFourDigitsADestinationGoesOnAndTempIsFull)
{
    QTemporaryDir dir;
    for (int i = 0; i < 10000; ++i)
        Touch(dir.filePath(QString("Icon%1.ico").arg(i, 4, 10, QLatin1Char('0'))));
    const files::Folder folder = files::Folder::open(dir.path().toStdString());
    SetIconCounter(42);
    EXPECT_EQ(NextIconFileName(dir.path()), dir.filePath("Icon10000.ico"));
    EXPECT_EQ(IconCounter(), 10001);

    Touch(dir.filePath("Icon10000.ico"));
    Touch(dir.filePath("Icon10001.ico"));
    SetIconCounter(0);
    EXPECT_EQ(NextIconFileNameIn(folder), "Icon10002.ico");
    TakenIconNames listed;
    for (const QString& name : QDir(dir.path()).entryList(QDir::Files))
        listed.add(name);
    SetIconCounter(0);
    EXPECT_EQ(NextIconFileNameIn(folder, IconNameRoom::Unbounded, &listed), "Icon10002.ico");

    SetIconCounter(42);
    try {
        NextIconFileNameIn(folder, IconNameRoom::FourDigits);
        FAIL() << "no error";
    } catch (const ENoFreeIconName& e) {
        EXPECT_NE(std::string(e.what()).find("No free icon file name left in"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(IconCounter(), 42);

    QFile::remove(dir.filePath("Icon0007.ico"));
    EXPECT_EQ(NextIconFileName(dir.path()), dir.filePath("Icon0007.ico"));
}

TEST(NextIconFileName, NumbersOfTheNamesItGives)
{
    const std::pair<const char*, std::optional<std::int64_t>> rows[] = {
        { "Icon0000.ico", 0 },
        { "Icon9999.ico", 9999 },
        { "Icon10000.ico", 10000 },
        { "Icon2147483646.ico", 2147483646 },
        { "Icon123.ico", std::nullopt },
        { "Icon01000.ico", std::nullopt },
        { "Icon09999.ico", std::nullopt },
        { "icon0001.ico", std::nullopt },
        { "Icon1x000.ico", std::nullopt },
        { "Icon0001.ICO", std::nullopt },
    };
    for (const auto& [name, number] : rows)
        EXPECT_EQ(IconFileNumber(name), number) << name;
}

} // namespace
} // namespace glyphor
