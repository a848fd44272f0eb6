// The name of a favorite's snapshot file, made from its address.
#pragma once

#include <QString>

// The name of a favorite's snapshot file in the working directory: every "http://"
// becomes "nv.", every '/' becomes '!', and ".NVD" is appended.
QString SnapshotFileName(const QString& address);
