#include "BenchWorkDir.h"

#include <QDir>

#include <cstdio>

BenchWorkDir::BenchWorkDir()
    : m_previous(QDir::currentPath())
{
    for (const char* name : { "http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY" })
        qunsetenv(name);
    if (!m_dir.isValid() || !QDir::setCurrent(m_dir.path()))
        std::fprintf(stderr, "cannot enter a temporary directory\n");
}

BenchWorkDir::~BenchWorkDir()
{
    QDir::setCurrent(m_previous);
}
