// What the targets that read the program's files share: a temporary folder of their own to
// work in, and the input written as a file there.
#pragma once

#include "store/FavoritesList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

// Called from LLVMFuzzerInitialize; the folder goes when the target ends.
inline void EnterFuzzWorkDir()
{
    static QTemporaryDir workDir;
    if (!workDir.isValid() || !QDir::setCurrent(workDir.path()))
        std::abort();
}

inline void WriteFuzzInput(const char* fileName, const uint8_t* data, size_t size)
{
    QFile file(QString::fromLatin1(fileName));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
}

inline QByteArray ReadFuzzOutput(const char* fileName)
{
    QFile file(QString::fromLatin1(fileName));
    if (!file.open(QIODevice::ReadOnly))
        std::abort();
    return file.readAll();
}

// Saves a store of blocks by address (the states, the rules) for all the addresses it holds,
// in one order: the blocks are written in the list's order, and a hash has none of its own.
template <class Store> QByteArray SaveAllBlocks(const Store& store, const char* fileName)
{
    QStringList addresses = store.addresses();
    addresses.sort();
    FavoritesList list;
    for (const QString& address : addresses)
        list.insertFavorite(list.count(), address);
    store.save(list, QString::fromLatin1(fileName));
    return ReadFuzzOutput(fileName);
}
