// The frequency letters as the list and the favorites file hold them, and the dialog values
// the program starts with.
#include "store/DialogValues.h"

#include <gtest/gtest.h>

#include <climits>

TEST(DialogValues, StartEmpty)
{
    // Nothing in this binary writes them, so these are the values the program starts with.
    EXPECT_TRUE(g_strCurrentUrl.isEmpty());
    EXPECT_EQ(g_nCurrentFrequency, 0);
    EXPECT_FALSE(g_bDialogCancelled);
}

TEST(DialogValues, FrequencyCodeGivesOneLetterPerFrequency)
{
    const struct {
        int frequency;
        const char* code;
    } cases[] = { { 1, "H" }, { 2, "D" }, { 3, "W" }, { 4, "M" } };
    for (const auto& c : cases) {
        EXPECT_EQ(FrequencyCode(c.frequency), QString::fromLatin1(c.code)) << "frequency " << c.frequency;
        EXPECT_EQ(FrequencyFromCode(QString::fromLatin1(c.code)), c.frequency) << "code " << c.code;
    }
}

TEST(DialogValues, FrequencyCodeGivesNoLetterOutsideOneToFour)
{
    for (int frequency : { 0, -1, 5, 72, INT_MIN, INT_MAX })
        EXPECT_TRUE(FrequencyCode(frequency).isEmpty()) << "frequency " << frequency;
}

TEST(DialogValues, FrequencyFromCodeMatchesWholeTextOnly)
{
    for (const char* code : { "", "h", "d", "w", "m", "HD", "H ", " H", "Hourly", "X", "0", "1" })
        EXPECT_EQ(FrequencyFromCode(QString::fromLatin1(code)), FREQ_NONE) << "code \"" << code << '"';
}
