// Snapshot naming.
#include "update/SnapshotName.h"

QString SnapshotFileName(const QString& address)
{
    QString name = address;
    name.replace(QStringLiteral("http://"), QStringLiteral("nv."), Qt::CaseSensitive);
    name.replace(QLatin1Char('/'), QLatin1Char('!'));
    name += QStringLiteral(".NVD");
    return name;
}
