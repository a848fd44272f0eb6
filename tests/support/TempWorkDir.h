// A fresh temporary directory that becomes the working directory for the life of the
// fixture, since the program keeps its files in the working directory.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class TempWorkDir {
public:
    TempWorkDir();
    ~TempWorkDir();
    TempWorkDir(const TempWorkDir&) = delete;
    TempWorkDir& operator=(const TempWorkDir&) = delete;

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// A test fixture whose tests run inside a TempWorkDir.
class InTempDir : public ::testing::Test {
protected:
    TempWorkDir m_workDir;
};

// Whole-file helpers for tests.
QByteArray ReadAll(const QString& fileName);
void WriteAll(const QString& fileName, const QByteArray& bytes);
bool FileExists(const QString& fileName);
