// Copies of a favorite's page handed to the user: opened in the browser from a file of their
// own, or saved where the user says.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A name for the file of a copy of `address` taken at `taken`: the site and the time.
QString CopyFileName(const QString& address, const QDateTime& taken);

// Writes `page` as `fileName` into a folder of the system's temporary folder that goes with the
// program, naming `address` as the page's base so that its pictures and styles come from the
// site. Returns the file's path. Throws FileError.
QString WriteCopyToOpen(const QByteArray& page, const QString& address, const QString& fileName);
