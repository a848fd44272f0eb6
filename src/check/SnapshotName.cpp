// Snapshot naming. Names that fit are left exactly as they always were, so that the
// snapshots of an existing data directory keep being found.
#include "check/SnapshotName.h"

#include <QCryptographicHash>

namespace {

constexpr qsizetype kKeptBytes = 234;
constexpr qsizetype kHashDigits = 16;

bool isContinuationByte(char byte)
{
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

} // namespace

QString SnapshotFileName(const QString& address)
{
    QString name = address;
    name.replace(QStringLiteral("http://"), QStringLiteral("nv."), Qt::CaseSensitive);
    name.replace(QLatin1Char('/'), QLatin1Char('!'));
    name += QStringLiteral(".NVD");

    const QByteArray utf8 = name.toUtf8();
    if (utf8.size() <= kMaxSnapshotNameBytes)
        return name;

    // The kernel refuses longer names, so such a favorite could never get a snapshot.
    // The hash tells apart long addresses that differ only after the kept part.
    qsizetype kept = kKeptBytes;
    while (kept > 0 && isContinuationByte(utf8.at(kept)))
        --kept;
    const QByteArray hash
        = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha256).toHex().left(kHashDigits);
    return QString::fromUtf8(utf8.left(kept)) + QLatin1Char('~') + QString::fromLatin1(hash) + QStringLiteral(".NVD");
}
