#include "platform/MappedFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

using glyphor::platform::MappedFile;

TEST(MappedFile, MapsRegularFilesAndRefusesEverythingElse)
{
    const auto dir = std::filesystem::temp_directory_path() / "g2-mappedfile-test";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    {
        std::ofstream(dir / "five.bin", std::ios::binary) << "12345";
        std::ofstream(dir / "empty.bin", std::ios::binary);
    }
    auto five = MappedFile::open((dir / "five.bin").string());
    ASSERT_TRUE(five);
    ASSERT_EQ(five->size(), 5u);
    EXPECT_EQ(five->bytes()[4], '5');

    // Moving hands the mapping over; the moved-from object holds nothing.
    MappedFile moved = std::move(*five);
    EXPECT_EQ(moved.size(), 5u);
    EXPECT_TRUE(five->bytes().empty());

    auto empty = MappedFile::open((dir / "empty.bin").string());
    ASSERT_TRUE(empty);
    EXPECT_TRUE(empty->bytes().empty());

    EXPECT_FALSE(MappedFile::open((dir / "missing.bin").string()));
    EXPECT_FALSE(MappedFile::open(dir.string()));
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(MappedFile::open(fifo)); // and returns at once
    EXPECT_FALSE(MappedFile::open("/dev/zero"));
    std::filesystem::remove_all(dir);
}
