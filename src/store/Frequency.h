// How often a favorite is checked: the frequency numbers and their code letters in the list and
// the favorites file.
#pragma once

#include <QString>

inline constexpr int FREQ_NONE = 0;
inline constexpr int FREQ_HOURLY = 1;
inline constexpr int FREQ_DAILY = 2;
inline constexpr int FREQ_WEEKLY = 3;
inline constexpr int FREQ_MONTHLY = 4;

// "H", "D", "W" or "M" for 1 to 4; empty for anything else, and a caller that gets no letter
// leaves the code cell as it is.
QString FrequencyCode(int frequency);

// The frequency whose letter is exactly `code` (case matters, nothing around it), or
// FREQ_NONE when it is none of them.
int FrequencyFromCode(const QString& code);
