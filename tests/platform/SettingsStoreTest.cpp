#include "platform/SettingsStore.h"
#include "kit/NamedRows.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace glyphor;
using namespace glyphor::platform;

namespace {

struct ParseCase {
    const char* name;
    const char* text;
    std::optional<std::int32_t> value;
};

void PrintTo(const ParseCase& c, std::ostream* os)
{
    *os << '"' << c.text << '"';
}

class ParseIntegerTest : public testing::TestWithParam<ParseCase> { };

TEST_P(ParseIntegerTest, ReadsAsTheProgramReadsNumbers)
{
    EXPECT_EQ(ParseInteger(QString::fromUtf8(GetParam().text)), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Table, ParseIntegerTest,
    testing::Values(ParseCase { "Plain", "1234", 1234 }, ParseCase { "Zero", "0", 0 },
        ParseCase { "LeadingBlanks", "   42", 42 }, ParseCase { "Plus", "+7", 7 },
        ParseCase { "Minus", "-15", -15 }, ParseCase { "Max", "2147483647", 2147483647 },
        ParseCase { "Min", "-2147483648", INT32_MIN },
        ParseCase { "AboveMax", "2147483648", std::nullopt },
        ParseCase { "BelowMin", "-2147483649", std::nullopt },
        ParseCase { "Huge", "99999999999999999999", std::nullopt }, ParseCase { "Hex", "$1F", 31 },
        ParseCase { "HexLower", "$ff", 255 }, ParseCase { "HexAllBits", "$FFFFFFFF", -1 },
        ParseCase { "HexTooWide", "$100000000", std::nullopt },
        ParseCase { "HexMinus", "-$10", -16 }, ParseCase { "Empty", "", std::nullopt },
        ParseCase { "OnlyBlanks", "  ", std::nullopt }, ParseCase { "OnlySign", "-", std::nullopt },
        ParseCase { "OnlyDollar", "$", std::nullopt },
        ParseCase { "TrailingBlank", "12 ", std::nullopt },
        ParseCase { "Letters", "abc", std::nullopt },
        ParseCase { "DecimalPoint", "1.5", std::nullopt },
        ParseCase { "TabFirst", "\t5", std::nullopt },
        ParseCase { "HexDigitsWithoutDollar", "1F", std::nullopt }),
    glyphor::kit::RowName());

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void writeRaw(const QByteArray& ini)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(ini);
    }
    QTemporaryDir dir;
    QString path = dir.filePath("Glyphor2.conf");
};

TEST_F(SettingsStoreTest, NothingStoredGivesZero)
{
    EXPECT_EQ(SettingsStore(path).loadCount(), 0);
    writeRaw("[General]\nCount=\n");
    EXPECT_EQ(SettingsStore(path).loadCount(), 0);
}

TEST_F(SettingsStoreTest, StoresDecimalTextAndReadsItBack)
{
    SettingsStore(path).storeCount(1234);
    EXPECT_EQ(QSettings(path, QSettings::IniFormat).value("Count"), QVariant(QString("1234")));
    EXPECT_EQ(SettingsStore(path).loadCount(), 1234);
    SettingsStore(path).storeCount(-5);
    EXPECT_EQ(SettingsStore(path).loadCount(), -5);
}

TEST_F(SettingsStoreTest, TextThatIsNotANumberIsReportedWithIt)
{
    writeRaw("[General]\nCount=12x\n");
    try {
        SettingsStore(path).loadCount();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "'12x' is not a valid integer value");
    }
}

TEST_F(SettingsStoreTest, ValueOfAnotherTypeIsReported)
{
    writeRaw("[General]\nCount=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n");
    try {
        SettingsStore(path).loadCount();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Invalid data type for 'Count'");
    }
}

TEST_F(SettingsStoreTest, RefusedWriteIsReported)
{
    // A folder where the file should be cannot be written, even as root.
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_THROW(SettingsStore(path).storeCount(1), Error);
}

} // namespace
