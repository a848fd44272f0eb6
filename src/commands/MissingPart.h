// Whether a favorite's new first snapshot lacks the part of the page its rule chooses: the
// user is told at once rather than by the next check's failure.
#pragma once

#include "store/ChangeRules.h"

#include <QString>

// True when `rule` is Page text with a part and the snapshot of `address` holds no element it
// matches. False without a snapshot, or when the page is too large to read in time.
bool IsPartMissing(const QString& address, const ChangeRule& rule);
