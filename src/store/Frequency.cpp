// The mapping between frequency numbers and letters.
#include "store/Frequency.h"

#include <array>

namespace {

// Indexed by frequency - 1.
constexpr std::array<char16_t, 4> kCodeLetters = { u'H', u'D', u'W', u'M' };

} // namespace

QString FrequencyCode(int frequency)
{
    if (frequency < FREQ_HOURLY || frequency > FREQ_MONTHLY)
        return {};
    return QString(QChar(kCodeLetters[static_cast<size_t>(frequency - 1)]));
}

int FrequencyFromCode(const QString& code)
{
    if (code.size() != 1)
        return FREQ_NONE;
    for (size_t i = 0; i < kCodeLetters.size(); ++i) {
        if (code.front() == QChar(kCodeLetters[i]))
            return static_cast<int>(i) + FREQ_HOURLY;
    }
    return FREQ_NONE;
}
