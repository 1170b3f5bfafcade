// The order of names that the lists keep and that the harvest follows: the
// merge takes the collected icons and compares against the destination in
// this order, so it decides which of two equal icons is kept and which name
// each copy takes. The sorting and the single comparison must agree, since
// the lists are sorted once and then kept sorted by insertion.

#include "platform/NameOrder.h"

#include "kit/NamedRows.h"

#include <gtest/gtest.h>

using namespace glyphor;

namespace {

struct Order {
    const char* name;
    QString first;
    QString second;
    int sign; // of CompareNames(first, second)
};

void PrintTo(const Order& o, std::ostream* os)
{
    *os << o.name;
}

class NameOrderTest : public ::testing::TestWithParam<Order> { };

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

TEST_P(NameOrderTest, CompareAndSortAgree)
{
    const Order& o = GetParam();
    EXPECT_EQ(Sign(CompareNames(o.first, o.second)), o.sign);
    EXPECT_EQ(Sign(CompareNames(o.second, o.first)), -o.sign);
    // Sorted from the wrong order, unequal names swap and equal ones stay.
    QStringList names { o.second, o.first };
    SortNames(names);
    EXPECT_EQ(names,
        o.sign < 0 ? QStringList({ o.first, o.second }) : QStringList({ o.second, o.first }));
}

INSTANTIATE_TEST_SUITE_P(Names, NameOrderTest,
    ::testing::Values(
        // The program's own names sort by their four digits.
        Order { "IconNumbersInOrder", "Icon0009.ico", "Icon0010.ico", -1 },
        Order { "IconNumbersAcrossAThousand", "Icon0999.ico", "Icon1000.ico", -1 },
        // Letter case counts for nothing, so these are one place in the list.
        Order { "CaseIgnored", "ICON0001.ICO", "icon0001.ico", 0 },
        Order { "CaseIgnoredBeforeTheNumber", "icon0002.ico", "ICON0003.ico", -1 },
        // Digits by their characters, not as numbers.
        Order { "NumbersAsText", "Icon10.ico", "Icon9.ico", -1 },
        Order { "DigitsBeforeLetters", "Icon0000.ico", "IconA.ico", -1 },
        // Punctuation is not ignored: it sorts before digits and letters.
        Order { "PunctuationBeforeDigits", "Icon.ico", "Icon0000.ico", -1 },
        Order { "UnderscoreBeforeLetters", "_a.ico", "a.ico", -1 },
        Order { "ShorterNameFirst", "abc", "abcd", -1 },
        Order { "LettersAlphabetically", "abc.ico", "Zed.ico", -1 }),
    glyphor::kit::RowName());

TEST(NameOrder, EqualNamesKeepTheirOrderAndUniqueKeepsTheFirst)
{
    QStringList names { "b.ico", "B.ICO", "a.ico", "Icon0001.ico", "A.ico", "ICON0001.ICO",
        "b.ICO" };
    SortNames(names);
    EXPECT_EQ(names,
        QStringList(
            { "a.ico", "A.ico", "b.ico", "B.ICO", "b.ICO", "Icon0001.ico", "ICON0001.ICO" }));
    SortNamesUnique(names);
    EXPECT_EQ(names, QStringList({ "a.ico", "b.ico", "Icon0001.ico" }));
}

} // namespace
