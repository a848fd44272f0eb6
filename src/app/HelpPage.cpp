#include "app/HelpPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

QUrl HelpPageUrl()
{
    // Installed with the program, which lives in <prefix>/libexec/nelvox/:
    // <prefix>/share/doc/nelvox/help/index.html.
    const QString appDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : { appDir + QStringLiteral("/../../share/doc/nelvox/help/index.html") }) {
        if (QFileInfo::exists(candidate))
            return QUrl::fromLocalFile(QFileInfo(candidate).canonicalFilePath());
    }

    // A browser cannot read the program's resources; hand it a copy.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation) + QStringLiteral("/nelvox-help-")
        + qEnvironmentVariable("USER", QStringLiteral("user"));
    const QString target = folder + QStringLiteral("/index.html");
    QFile source(QStringLiteral(":/help/index.html"));
    if (!QDir().mkpath(folder) || !source.open(QIODevice::ReadOnly))
        return {};
    QFile copy(target);
    if (!copy.open(QIODevice::WriteOnly | QIODevice::Truncate) || copy.write(source.readAll()) < 0)
        return {};
    return QUrl::fromLocalFile(target);
}
