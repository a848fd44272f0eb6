// The files of the copies the user opens or saves.
#include "check/CopyFiles.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

namespace {

// The page with a base address, so that its pictures and styles come from the site while it
// is opened from a file.
QByteArray withBaseAddress(const QByteArray& page, const QString& address)
{
    static const QRegularExpression base(QStringLiteral("<base[\\s>]"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression head(
        QStringLiteral("<head(\\s[^>]*)?>"), QRegularExpression::CaseInsensitiveOption);
    const QString start = QString::fromLatin1(page.left(64 * 1024));
    if (base.match(start).hasMatch())
        return page;
    const QByteArray tag = "<base href=\"" + address.toHtmlEscaped().toUtf8() + "\">";
    const QRegularExpressionMatch opening = head.match(start);
    QByteArray opened = page;
    return opening.hasMatch() ? opened.insert(opening.capturedEnd(), tag) : opened.prepend(tag);
}

// Copies opened in the browser are files of a folder that goes with the program: the browser
// may still be reading one after its window has closed.
QString copyFolder()
{
    struct Folder : QObject {
        using QObject::QObject;
        QTemporaryDir dir { QDir::temp().filePath(QStringLiteral("nelvox-copies-XXXXXX")) };
    };
    static QPointer<Folder> folder;
    if (!folder)
        folder = new Folder(QCoreApplication::instance());
    return folder->dir.isValid() ? folder->dir.path() : QString();
}

} // namespace

QString CopyFileName(const QString& address, const QDateTime& taken)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9.-]+"));
    QString host = QUrl(address).host().replace(unsafe, QStringLiteral("_"));
    return (host.isEmpty() ? QStringLiteral("page") : host) + u'-' + taken.toString(QStringLiteral("yyyy-MM-dd-HHmmss"))
        + QStringLiteral(".html");
}

QString WriteCopyToOpen(const QByteArray& page, const QString& address, const QString& fileName)
{
    const QString folder = copyFolder();
    if (folder.isEmpty())
        throw FileError(
            QCoreApplication::translate("CopyFiles", "Nelvox could not make a folder for the copy in \"%1\".")
                .arg(QDir::tempPath()));
    const QString path = QDir(folder).filePath(fileName);
    WriteWholeFile(path, withBaseAddress(page, address),
        QCoreApplication::translate("CopyFiles", "Nelvox could not write \"%1\": %2"));
    return path;
}
