// The frequency letters as the list and the favorites file hold them.
#include "store/Frequency.h"

#include <gtest/gtest.h>

#include <climits>

TEST(Frequency, FrequencyCodeGivesOneLetterPerFrequency)
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

TEST(Frequency, FrequencyCodeGivesNoLetterOutsideOneToFour)
{
    for (int frequency : { 0, -1, 5, 72, INT_MIN, INT_MAX })
        EXPECT_TRUE(FrequencyCode(frequency).isEmpty()) << "frequency " << frequency;
}

TEST(Frequency, FrequencyFromCodeMatchesWholeTextOnly)
{
    for (const char* code : { "", "h", "d", "w", "m", "HD", "H ", " H", "Hourly", "X", "0", "1" })
        EXPECT_EQ(FrequencyFromCode(QString::fromLatin1(code)), FREQ_NONE) << "code \"" << code << '"';
}
