// One copy of a page as the history stores it: either the whole page or its difference to
// another copy of the same favorite, compressed with zlib either way.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

// No copy the history reads back may pass this size: a stored length beyond it is damage.
constexpr qsizetype kMaxCopyBytes = qsizetype(256) << 20;

// The stored form of the whole page `page`.
QByteArray StoreWhole(QByteArrayView page);
// The stored form of `page` as its difference to `base`, or whole where that is hardly larger.
QByteArray StoreDifference(QByteArrayView base, QByteArrayView page);

// Whether `stored` holds a difference, whose page needs the copy it was made against.
bool IsDifference(QByteArrayView stored);

// The page that `stored` holds, `base` being the copy a difference was made against (ignored
// for a whole page); none when the stored form is damaged.
std::optional<QByteArray> ReadStoredCopy(QByteArrayView stored, QByteArrayView base = {});
