#include "files/NativePath.h"
#include "kit/NamedRows.h"

#include <gtest/gtest.h>

namespace glyphor::files {
namespace {

struct Case {
    const char* name;
    std::string bytes;
    const char* shown; // DisplayPath, as UTF-8
    bool controls = false; // the marks in shown are control characters
};

class NativePathTest : public testing::TestWithParam<Case> { };

// Every byte sequence comes back unchanged, and undecodable bytes are marked
// where they are shown.
TEST_P(NativePathTest, RoundTripsAndShows)
{
    const Case& c = GetParam();
    const QString held = FromNativePath(c.bytes);
    EXPECT_EQ(ToNativePath(held), c.bytes);
    EXPECT_EQ(DisplayPath(held), QString::fromUtf8(c.shown));
    EXPECT_EQ(HasUndecodableBytes(held),
        !c.controls && std::string_view(c.shown).find("\\x") != std::string_view::npos);
}

INSTANTIATE_TEST_SUITE_P(Names, NativePathTest,
    testing::Values(Case { "Ascii", "/tmp/Icon0001.ico", "/tmp/Icon0001.ico" },
        Case { "Utf8", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
            "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80" },
        Case { "Latin1Byte", "caf\xE9.exe", "caf\\xE9.exe" },
        Case { "Cp437Run", "\x82\x8A\xFF", "\\x82\\x8A\\xFF" },
        Case { "CutSequence", "a\xE2\x82", "a\\xE2\\x82" },
        Case { "Overlong", "\xC0\xAF", "\\xC0\\xAF" },
        Case { "EncodedSurrogate", "\xED\xA0\x80", "\\xED\\xA0\\x80" },
        Case { "AboveUnicode", "\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80" },
        Case { "ValidAfterInvalid", "\xFF\xC3\xA9", "\\xFF\xC3\xA9" },
        Case { "Controls", "a\tb\r\n\x1B[2J\x7F\xC2\x9B",
            "a\\x09b\\x0D\\x0A\\x1B[2J\\x7F\\xC2\\x9B", true }),
    glyphor::kit::RowName());

TEST(NativePath, StrayTypedSurrogateBecomesReplacementCharacter)
{
    const QString typed = QString(QChar(0xD800)) + QLatin1String("x");
    EXPECT_EQ(ToNativePath(typed), std::string("\xEF\xBF\xBDx"));
}

// Messages name a path either as its bytes (the byte-level writer and reader)
// or as MessagePath gives it; both read the same.
TEST(NativePath, MessagesShowUndecodableBytesMarked)
{
    const QString path = FromNativePath("/tmp/caf\xE9.ico");
    EXPECT_EQ(MessagePath(path), "/tmp/caf\\xE9.ico");
    EXPECT_EQ(DisplayMessage("Cannot create file /tmp/caf\xE9.ico"),
        "Cannot create file /tmp/caf\\xE9.ico");
    EXPECT_EQ(DisplayMessage("Cannot create file " + MessagePath(path)),
        "Cannot create file /tmp/caf\\xE9.ico");
    EXPECT_EQ(DisplayMessage("caf\xC3\xA9"), QString::fromUtf8("caf\xC3\xA9"));
    EXPECT_TRUE(IsUndecodableByte(path[8]));
    EXPECT_FALSE(IsUndecodableByte(QChar(0xFFFD)));
}

} // namespace
} // namespace glyphor::files
