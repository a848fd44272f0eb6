// A stored copy is one byte of kind, 'W' for a whole page or 'D' for a difference, then the
// page or the difference as qCompress() leaves it: its length in four bytes (big-endian),
// then the zlib stream.
#include "history/StoredCopy.h"

#include "history/PageDelta.h"

#include <QtEndian>

namespace {

constexpr char kWhole = 'W';
constexpr char kDifference = 'D';
// The zlib level: a fast one, since most copies are differences of a few hundred bytes and a
// whole page is stored once per favorite.
constexpr int kLevel = 6;

QByteArray withKind(char kind, const QByteArray& compressed)
{
    QByteArray stored;
    stored.reserve(compressed.size() + 1);
    stored.append(kind);
    stored.append(compressed);
    return stored;
}

std::optional<QByteArray> uncompress(QByteArrayView compressed)
{
    if (compressed.size() < 4)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(compressed.data());
    // qUncompress() would first make room for whatever length the bytes claim.
    if (length > static_cast<quint32>(kMaxCopyBytes))
        return std::nullopt;
    if (length == 0)
        return compressed.size() == 4 ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
    QByteArray bytes = qUncompress(reinterpret_cast<const uchar*>(compressed.data()), compressed.size());
    if (bytes.size() != static_cast<qsizetype>(length))
        return std::nullopt;
    return bytes;
}

QByteArray compress(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QByteArray(4, '\0');
    return qCompress(reinterpret_cast<const uchar*>(bytes.data()), bytes.size(), kLevel);
}

} // namespace

QByteArray StoreWhole(QByteArrayView page)
{
    return withKind(kWhole, compress(page));
}

QByteArray StoreDifference(QByteArrayView base, QByteArrayView page)
{
    // A page that shares little with its neighbour is stored whole: it then needs no other.
    const QByteArray delta = MakeDelta(base, page);
    if (delta.size() > page.size() / 2)
        return StoreWhole(page);
    return withKind(kDifference, compress(delta));
}

bool IsDifference(QByteArrayView stored)
{
    return !stored.isEmpty() && stored[0] == kDifference;
}

std::optional<QByteArray> ReadStoredCopy(QByteArrayView stored, QByteArrayView base)
{
    if (stored.isEmpty())
        return std::nullopt;
    const std::optional<QByteArray> bytes = uncompress(stored.sliced(1));
    if (!bytes)
        return std::nullopt;
    if (stored[0] == kWhole)
        return bytes;
    if (stored[0] == kDifference)
        return ApplyDelta(base, *bytes, kMaxCopyBytes);
    return std::nullopt;
}
