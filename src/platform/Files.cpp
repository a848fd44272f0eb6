// File operations on the working directory, reporting failures as FileError with the
// operation, the file name and the system's reason.
#include "platform/Files.h"

#include "platform/NelvoxError.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

[[noreturn]] void throwFileError(const QString& operation, const QString& fileName, const QString& reason,
    FileError::Cause cause = FileError::Cause::Other)
{
    throw FileError(QStringLiteral("Cannot %1 \"%2\": %3").arg(operation, fileName, reason), cause);
}

#ifndef Q_OS_WIN
QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}
#endif

} // namespace

bool CreateTextFile(QFile& file, const QString& fileName)
{
    file.setFileName(fileName);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void WriteText(QFile& file, QByteArrayView text)
{
    if (text.isEmpty())
        return;
    if (file.write(text.data(), text.size()) != text.size())
        throwFileError(QStringLiteral("write to"), file.fileName(), file.errorString());
}

void WriteLine(QFile& file, QByteArrayView line)
{
    WriteText(file, line);
    WriteText(file, kLineEnd);
}

void CloseFile(QFile& file)
{
    if (!file.isOpen())
        return;
    if (!file.flush()) {
        const QString reason = file.errorString();
        file.close();
        throwFileError(QStringLiteral("write to"), file.fileName(), reason);
    }
    file.close();
}

bool OpenForReading(QFile& file, const QString& fileName)
{
    file.setFileName(fileName);
    return file.open(QIODevice::ReadOnly);
}

qint64 FileLength(QFile& file)
{
    const qint64 length = file.size();
    if (length < 0)
        throwFileError(QStringLiteral("measure"), file.fileName(), file.errorString());
    return length;
}

qint64 FileLength(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        throwFileError(QStringLiteral("measure"), fileName,
            info.exists() ? QStringLiteral("it is not a file") : QStringLiteral("it does not exist"));
    return info.size();
}

void RemoveFile(const QString& fileName)
{
    QFile file(fileName);
    if (file.remove())
        return;
    // A dangling link is a file that exists for removal, so look at the name itself.
    const bool exists = QFileInfo(fileName).exists() || QFileInfo(fileName).isSymLink();
    throwFileError(QStringLiteral("remove"), fileName, file.errorString(),
        exists ? FileError::Cause::Other : FileError::Cause::NotFound);
}

void RenameFile(const QString& from, const QString& to)
{
    // QFile::rename refuses an existing target, and removing it first would leave a
    // moment, or after a failure a lasting state, with no file under that name.
#ifdef Q_OS_WIN
    if (MoveFileExW(reinterpret_cast<const wchar_t*>(from.utf16()), reinterpret_cast<const wchar_t*>(to.utf16()),
            MOVEFILE_REPLACE_EXISTING))
        return;
    const QString reason = qt_error_string(static_cast<int>(GetLastError()));
#else
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return;
    const QString reason = systemReason(errno);
#endif
    throwFileError(QStringLiteral("rename \"%1\" to").arg(from), to, reason);
}

void WriteWholeFile(const QString& fileName, const QByteArray& text, const QString& failure)
{
    const auto fail = [&](const QString& reason) { throw FileError(failure.arg(fileName, reason)); };
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    if (file.write(text) != text.size() || !file.flush())
        fail(file.errorString());
#ifdef Q_OS_UNIX
    // Qt reports a write cut short by a full disk or a file-size limit as a success, and
    // would then commit the shortened file: check what actually reached the file.
    struct stat written { };
    if (::fstat(file.handle(), &written) != 0 || written.st_size != text.size()) {
        file.cancelWriting();
        fail(QStringLiteral("the disk is full or the file cannot grow (%1 of %2 bytes written).")
                 .arg(written.st_size)
                 .arg(text.size()));
    }
#endif
    if (!file.commit())
        fail(file.errorString());
}
