// A stored copy is one byte of kind, then:
//   'W' a whole page as qCompress() leaves it: its length in four bytes (big-endian), then the
//       zlib stream;
//   'D' a difference: where in the base its dictionary starts and the difference's length
//       (numbers as in the difference's steps), then a raw deflate stream whose dictionary is
//       the base's 16 KiB from there. The new text of a changed paragraph is mostly words the
//       page already has: so compressed it takes about half of what it takes alone.
#include "history/StoredCopy.h"
#include "history/VarInt.h"

#include "history/PageDelta.h"

#include <QtEndian>

#include <zlib.h>

#include <algorithm>

namespace {

constexpr char kWhole = 'W';
constexpr char kDifference = 'D';
// zlib's default level: level 9 makes a whole article 1 % smaller, level 1 14 % larger.
constexpr int kLevel = 6;
// The base around the change that a difference is compressed with: 16 KiB made the
// differences of changed paragraphs 3 % larger than 32 KiB, and take half as long to set.
constexpr qsizetype kDictionaryBytes = 16 * 1024;

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

// The first byte where the two copies differ: the dictionary is the base around it.
qsizetype dictionaryStart(QByteArrayView base, QByteArrayView page)
{
    const qsizetype shortest = std::min(base.size(), page.size());
    qsizetype same = 0;
    while (same < shortest && base[same] == page[same])
        ++same;
    return std::clamp<qsizetype>(
        same - kDictionaryBytes / 2, 0, std::max<qsizetype>(0, base.size() - kDictionaryBytes));
}

QByteArrayView dictionary(QByteArrayView base, qsizetype start)
{
    return base.sliced(start, std::min(kDictionaryBytes, base.size() - start));
}

QByteArray deflateWith(QByteArrayView bytes, QByteArrayView words)
{
    z_stream stream {};
    if (deflateInit2(&stream, kLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        qFatal("zlib cannot compress");
    if (!words.isEmpty())
        deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(words.data()), static_cast<uInt>(words.size()));
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(bytes.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        qFatal("zlib cannot compress");
    return out;
}

std::optional<QByteArray> inflateWith(QByteArrayView compressed, QByteArrayView words, qsizetype length)
{
    z_stream stream {};
    if (inflateInit2(&stream, -15) != Z_OK)
        return std::nullopt;
    if (!words.isEmpty()
        && inflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(words.data()), static_cast<uInt>(words.size()))
            != Z_OK) {
        inflateEnd(&stream);
        return std::nullopt;
    }
    // One byte more than the length said, so that a stream that goes on is found out.
    QByteArray out(length + 1, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = inflate(&stream, Z_FINISH);
    const bool whole = result == Z_STREAM_END && stream.total_out == static_cast<uLong>(length) && stream.avail_in == 0;
    inflateEnd(&stream);
    if (!whole)
        return std::nullopt;
    out.resize(length);
    return out;
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
    const qsizetype start = dictionaryStart(base, page);
    QByteArray stored(1, kDifference);
    putNumber(stored, static_cast<quint64>(start));
    putNumber(stored, static_cast<quint64>(delta.size()));
    stored += deflateWith(delta, dictionary(base, start));
    return stored;
}

bool IsDifference(QByteArrayView stored)
{
    return !stored.isEmpty() && stored[0] == kDifference;
}

std::optional<QByteArray> ReadStoredCopy(QByteArrayView stored, QByteArrayView base)
{
    if (stored.isEmpty())
        return std::nullopt;
    if (stored[0] == kWhole)
        return uncompress(stored.sliced(1));
    if (stored[0] != kDifference)
        return std::nullopt;
    qsizetype at = 1;
    quint64 start = 0;
    quint64 length = 0;
    if (!takeNumber(stored, at, start) || !takeNumber(stored, at, length) || start > quint64(base.size())
        || length > quint64(kMaxCopyBytes))
        return std::nullopt;
    const std::optional<QByteArray> delta = inflateWith(
        stored.sliced(at), dictionary(base, static_cast<qsizetype>(start)), static_cast<qsizetype>(length));
    if (!delta)
        return std::nullopt;
    return ApplyDelta(base, *delta, kMaxCopyBytes);
}
