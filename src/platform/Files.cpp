// File operations on the working directory, reporting failures as FileError with the
// operation, the file name and the system's reason, in the English words of Reasons.
#include "platform/Files.h"

#include "platform/NelvoxError.h"
#include "platform/Reasons.h"

#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// `sentence` is one of Reasons' with the file as %1 and the reason as %2.
[[noreturn]] void throwFileError(const char* sentence, const QString& fileName, const QString& reason,
    FileError::Cause cause = FileError::Cause::Other)
{
    throw FileError(QString::fromLatin1(sentence).arg(fileName, reason), cause);
}

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
        throwFileError(Reasons::kCannotWriteTo, file.fileName(), file.errorString());
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
        throwFileError(Reasons::kCannotWriteTo, file.fileName(), reason);
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
        throwFileError(Reasons::kCannotMeasure, file.fileName(), file.errorString());
    return length;
}

qint64 FileLength(const QString& fileName)
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        throwFileError(Reasons::kCannotMeasure, fileName,
            QString::fromLatin1(info.exists() ? QT_TRANSLATE_NOOP("FailureReason", "it is not a file")
                                              : QT_TRANSLATE_NOOP("FailureReason", "it does not exist")));
    return info.size();
}

void RemoveFile(const QString& fileName)
{
    QFile file(fileName);
    if (file.remove())
        return;
    // A dangling link is a file that exists for removal, so look at the name itself.
    const bool exists = QFileInfo(fileName).exists() || QFileInfo(fileName).isSymLink();
    throwFileError(Reasons::kCannotRemove, fileName, file.errorString(),
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
    // Qt's words for the commonest errors, which Reasons translates where they are shown.
    const QString reason = qt_error_string(errno);
#endif
    throw FileError(QString::fromLatin1(Reasons::kCannotRename).arg(from, to, reason));
}

void WriteWholeFile(const QString& fileName, const QByteArray& text, const QString& failure)
{
    const auto fail
        = [&](const QString& reason) { throw FileError(failure.arg(fileName, Reasons::Translated(reason))); };
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
        fail(QString::fromLatin1(Reasons::kFileCannotGrow).arg(written.st_size).arg(text.size()));
    }
#endif
    if (!file.commit())
        fail(file.errorString());
}
