#include "TestData.h"

#include <QFile>

#include <gtest/gtest.h>

QByteArray TestData(const QString& name)
{
    QFile file(QStringLiteral(NELVOX_TEST_DATA_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "no test file " << file.fileName().toStdString();
        return {};
    }
    return file.readAll();
}
