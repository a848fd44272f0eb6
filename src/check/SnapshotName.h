// The names of the page files in the data directory: a favorite's snapshot, made from its
// address, and the last download that did not become a snapshot.
#pragma once

#include <QString>

// The longest file name, in bytes, that Linux file systems accept.
inline constexpr qsizetype kMaxSnapshotNameBytes = 255;

// The name of a favorite's snapshot file in the working directory: every "http://"
// becomes "nv.", every '/' becomes '!', and ".NVD" is appended. A name that would pass
// kMaxSnapshotNameBytes in UTF-8 keeps its first 234 bytes (without splitting a character),
// then "~", the first 16 hexadecimal digits of the SHA-256 of the address and ".NVD".
QString SnapshotFileName(const QString& address);

// A name kept within kMaxSnapshotNameBytes: `name` followed by `suffix` where that fits;
// otherwise `name` cut on a character boundary so that "~", the first 16 hexadecimal digits of
// the SHA-256 of `hashed`, and `suffix` fit after it.
QString NameWithinLimit(const QString& name, const QByteArray& hashed, const QString& suffix);

// The last download of a run that did not become a snapshot.
inline constexpr const char* kTempDownloadFileName = "tempupd.nvd";
