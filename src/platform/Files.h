// The file operations the program needs on its working directory: text files written
// line by line, lengths, removal and replacement. Failures throw FileError.
#pragma once

#include <QByteArrayView>
#include <QFile>
#include <QString>

// Line end of every text file the program writes. Fixed to CR LF so that the Linux and
// Windows builds can share one data directory.
inline constexpr QByteArrayView kLineEnd = "\r\n";

// Creates the file for writing, truncating what it held. False when it cannot be
// created; the caller decides whether that is an error.
bool CreateTextFile(QFile& file, const QString& fileName);

// Writes text as it is; a line is text followed by kLineEnd. Throws FileError.
void WriteText(QFile& file, QByteArrayView text);
void WriteLine(QFile& file, QByteArrayView line);

// Flushes and closes a file opened for writing. A write error that only shows when the
// buffered data reach the disk (a full disk) throws FileError here.
void CloseFile(QFile& file);

// Opens an existing file for reading. False when it cannot be opened.
bool OpenForReading(QFile& file, const QString& fileName);

// Length in bytes of a file opened for reading, or of the named file. Throws FileError.
qint64 FileLength(QFile& file);
qint64 FileLength(const QString& fileName);

// Replaces the whole file with `text` in one step: the file holds either its old content or all
// of the new, whatever happens. Throws FileError with `failure`, a message for the user with the
// file's name as %1 and the reason, in the user's language, as %2, when it could not.
void WriteWholeFile(const QString& fileName, const QByteArray& text, const QString& failure);

// Removes a file; throws FileError, with Cause::NotFound when there was no such file.
void RemoveFile(const QString& fileName);

// Renames a file, replacing a file already called `to` in one step, so that `to` names
// either its old content or the new one whatever happens. Throws FileError.
void RenameFile(const QString& from, const QString& to);
