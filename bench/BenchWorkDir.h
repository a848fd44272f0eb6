// A fresh temporary working directory for the files the checks write, with the proxy
// variables cleared so that every download stays on 127.0.0.1.
#pragma once

#include <QString>
#include <QTemporaryDir>

class BenchWorkDir {
public:
    BenchWorkDir();
    ~BenchWorkDir();
    BenchWorkDir(const BenchWorkDir&) = delete;
    BenchWorkDir& operator=(const BenchWorkDir&) = delete;

private:
    QTemporaryDir m_dir;
    QString m_previous;
};
