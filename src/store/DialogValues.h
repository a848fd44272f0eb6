// The process-wide values through which the Add or Edit Favorite dialog talks to the commands
// that run it, and the frequency numbers with their code letters in the list and the file.
#pragma once

#include "store/ChangeRules.h"

#include <QString>

// The address the dialog shows when it opens and the one it leaves behind: the typed address
// after OK, empty after Cancel or the close box.
extern QString g_strCurrentUrl;
// The frequency of the last radio button clicked; 0 after Cancel or the close box.
extern int g_nCurrentFrequency;
// True when the last run of the dialog was cancelled or closed, false when it ended with OK.
extern bool g_bDialogCancelled;
// What counts as a change of the favorite: the rule the dialog shows when it opens, and the
// one chosen when it ends with OK.
extern ChangeRule g_currentRule;

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
