// The test pages and files kept in tests/data.
#pragma once

#include <QByteArray>
#include <QString>

// The bytes of tests/data/<name>; a file that is not there fails the test.
QByteArray TestData(const QString& name);
