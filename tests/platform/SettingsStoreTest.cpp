#include "platform/SettingsStore.h"
#include "files/NativePath.h"
#include "kit/NamedRows.h"
#include "platform/FileLock.h"
#include "util/Error.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

TEST_F(SettingsStoreTest, UserSettingsAreWhereEarlierVersionsKeptThem)
{
    EXPECT_EQ(SettingsStore().path(), QSettings("Tarnwell", "Glyphor2").fileName());
}

struct AddCase {
    const char* name;
    const char* ini; // nullptr: no settings file
    std::int64_t added;
    const char* stored; // the text stored after the addition
};

void PrintTo(const AddCase& c, std::ostream* os)
{
    *os << c.name;
}

class AddToCountTest : public SettingsStoreTest, public testing::WithParamInterface<AddCase> { };

TEST_P(AddToCountTest, AddsToWhatIsStoredNow)
{
    if (GetParam().ini)
        writeRaw(GetParam().ini);
    const std::int32_t total = SettingsStore(path).addToCount(GetParam().added);
    EXPECT_EQ(
        QSettings(path, QSettings::IniFormat).value("Count"), QVariant(QString(GetParam().stored)));
    EXPECT_EQ(QString::number(total), QString(GetParam().stored));
}

INSTANTIATE_TEST_SUITE_P(Table, AddToCountTest,
    testing::Values(AddCase { "NothingStored", nullptr, 5, "5" },
        AddCase { "AddsToTheStoredTotal", "[General]\nCount=100\n", 5, "105" },
        AddCase { "StopsAtTheLargest", "[General]\nCount=2147483600\n", 50, "2147483647" },
        AddCase { "StaysAtTheLargest", "[General]\nCount=2147483647\n", 1, "2147483647" },
        AddCase { "StopsAtTheSmallest", "[General]\nCount=-2147483600\n", -50, "-2147483648" },
        AddCase { "TextThatIsNotANumberIsReplaced", "[General]\nCount=12x\n", 3, "3" },
        AddCase { "OtherKeysAreKept", "[General]\nOther=a\nCount=$10\n", 1, "17" }),
    glyphor::kit::RowName());

// Processes adding at the same time: each read, sum and write happens
// whole, and a read never takes an older state of the file for the present.
TEST_F(SettingsStoreTest, StoresOfSeveralProcessesAreNeverLost)
{
    constexpr int kProcesses = 4;
    constexpr int kAdds = 10;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kAdds; ++i) {
                try {
                    SettingsStore(path).addToCount(1);
                } catch (const Error&) {
                    ++failures;
                }
            }
            ::_exit(failures);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(SettingsStore(path).loadCount(), kProcesses * kAdds);
}

// What stands where the settings file belongs when it is not a file.
struct NotAFileCase {
    const char* name;
    void (*make)(const std::string& path);
    mode_t type;
};

void PrintTo(const NotAFileCase& c, std::ostream* os)
{
    *os << c.name;
}

class NotAFileTest : public SettingsStoreTest, public testing::WithParamInterface<NotAFileCase> {
protected:
    void SetUp() override
    {
        SettingsStoreTest::SetUp();
        GetParam().make(files::ToNativePath(path));
        s_warnings.clear();
        m_previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext&, const QString& text) { s_warnings << text; });
    }
    void TearDown() override { qInstallMessageHandler(m_previous); }
    mode_t typeNow() const
    {
        struct stat st { };
        return ::lstat(files::ToNativePath(path).c_str(), &st) == 0 ? st.st_mode & S_IFMT : 0;
    }
    static inline QStringList s_warnings;
    QtMessageHandler m_previous = nullptr;
};

// Nothing is waited on or written over: the count loads as 0 with a word on
// standard error, and a store is refused with the program's message.
TEST_P(NotAFileTest, IsLeftAloneAndSaidSo)
{
    EXPECT_EQ(SettingsStore(path).loadCount(), 0);
    ASSERT_EQ(s_warnings.size(), 1);
    EXPECT_EQ(s_warnings[0],
        path + ": not a regular file, so the count of icons extracted is not read from it");
    for (const auto& store : { +[](SettingsStore& s) { s.storeCount(3); },
             +[](SettingsStore& s) { s.addToCount(3); } }) {
        SettingsStore settings(path);
        try {
            store(settings);
            ADD_FAILURE() << "stored";
        } catch (const Error& e) {
            EXPECT_STREQ(e.what(), "Failed to set data for 'Count'");
        }
    }
    EXPECT_EQ(s_warnings.last(),
        path + ": not a regular file, so the count of icons extracted is not stored in it");
    EXPECT_EQ(typeNow(), GetParam().type);
}

INSTANTIATE_TEST_SUITE_P(Table, NotAFileTest,
    testing::Values(
        NotAFileCase { "Fifo",
            [](const std::string& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, S_IFIFO },
        NotAFileCase { "Folder",
            [](const std::string& p) { ASSERT_EQ(::mkdir(p.c_str(), 0700), 0); }, S_IFDIR },
        NotAFileCase { "LinkToADevice",
            [](const std::string& p) { ASSERT_EQ(::symlink("/dev/zero", p.c_str()), 0); },
            S_IFLNK }),
    glyphor::kit::RowName());

// A fifo where the store's lock file belongs is refused, not waited on.
TEST_F(SettingsStoreTest, LockFileThatIsNotAFileRefusesTheStore)
{
    writeRaw("[General]\nCount=4\n");
    ASSERT_EQ(::mkfifo(files::ToNativePath(path + ".count-lock").c_str(), 0600), 0);
    EXPECT_THROW(SettingsStore(path).addToCount(1), Error);
    EXPECT_EQ(SettingsStore(path).loadCount(), 4);
}

// A lock that another holder keeps is waited for only so long.
TEST_F(SettingsStoreTest, LockHeldByAnotherIsWaitedForAWhile)
{
    const std::string lockPath = files::ToNativePath(path + ".lock-test");
    const FileLock held = FileLock::acquire(lockPath, std::chrono::milliseconds(0));
    ASSERT_TRUE(held.ok());
    const FileLock second = FileLock::acquire(lockPath, std::chrono::milliseconds(30));
    EXPECT_FALSE(second.ok());
    EXPECT_EQ(second.error(), EWOULDBLOCK);
}

TEST_F(SettingsStoreTest, RefusedWriteIsReported)
{
    // A folder where the file should be cannot be written, even as root.
    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_THROW(SettingsStore(path).storeCount(1), Error);
}

} // namespace
