#include "controls/ErrorText.h"

#include <gtest/gtest.h>

using glyphor::ErrorBoxText;

TEST(ErrorBoxText, PeriodOnlyAfterCharactersAboveThePeriod)
{
    EXPECT_EQ(ErrorBoxText("Icon image is not valid"), "Icon image is not valid.");
    EXPECT_EQ(
        ErrorBoxText("Cannot create file /x/Icon0000.ico"), "Cannot create file /x/Icon0000.ico.");
    EXPECT_EQ(ErrorBoxText("Done."), "Done.");
    EXPECT_EQ(ErrorBoxText("Really?"), "Really?."); // '?' is above '.'
    EXPECT_EQ(ErrorBoxText("I/O error 5 (-)"), "I/O error 5 (-)"); // ')' is below '.'
    EXPECT_EQ(ErrorBoxText("a,"), "a,"); // ',' is below '.'
    EXPECT_EQ(ErrorBoxText("ends in /"), "ends in /."); // '/' is above '.'
    EXPECT_EQ(ErrorBoxText(""), "");
}
