// Snapshot naming. Names that fit are left exactly as they always were, so that the
// snapshots of an existing data directory keep being found.
#include "check/SnapshotName.h"

#include <QCryptographicHash>

namespace {

constexpr qsizetype kHashDigits = 16;

} // namespace

QString NameWithinLimit(const QString& name, const QByteArray& hashed, const QString& suffix)
{
    const QByteArray utf8 = name.toUtf8();
    const qsizetype suffixBytes = suffix.toUtf8().size();
    if (utf8.size() + suffixBytes <= kMaxSnapshotNameBytes)
        return name + suffix;
    qsizetype kept = kMaxSnapshotNameBytes - suffixBytes - 1 - kHashDigits;
    while (kept > 0 && (static_cast<unsigned char>(utf8.at(kept)) & 0xC0) == 0x80)
        --kept;
    const QByteArray hash = QCryptographicHash::hash(hashed, QCryptographicHash::Sha256).toHex().left(kHashDigits);
    return QString::fromUtf8(utf8.left(kept)) + QLatin1Char('~') + QString::fromLatin1(hash) + suffix;
}

QString SnapshotFileName(const QString& address)
{
    QString name = address;
    name.replace(QStringLiteral("http://"), QStringLiteral("nv."), Qt::CaseSensitive);
    name.replace(QLatin1Char('/'), QLatin1Char('!'));
    // The kernel refuses longer names, so such a favorite could never get a snapshot.
    // The hash tells apart long addresses that differ only after the kept part.
    return NameWithinLimit(name, address.toUtf8(), QStringLiteral(".NVD"));
}
