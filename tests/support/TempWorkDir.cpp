#include "TempWorkDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempWorkDir::TempWorkDir()
    : m_previous(QDir::currentPath())
{
    if (!m_dir.isValid() || !QDir::setCurrent(m_dir.path()))
        ADD_FAILURE() << "cannot enter a temporary directory";
}

TempWorkDir::~TempWorkDir() { QDir::setCurrent(m_previous); }

QByteArray ReadAll(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << fileName.toStdString();
        return {};
    }
    return file.readAll();
}

void WriteAll(const QString& fileName, const QByteArray& bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        ADD_FAILURE() << "cannot write " << fileName.toStdString();
}

bool FileExists(const QString& fileName) { return QFileInfo::exists(fileName); }
