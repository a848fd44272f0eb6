// Any bytes as "nelvox.state": loading must not crash, and what a save writes must read back
// to a store that writes the very same bytes.
#include "store/FavoriteStates.h"
#include "store/FavoritesList.h"

#include "FuzzFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray saveAll(const FavoriteStates& states)
{
    // In one order: the blocks are written in the list's order, and a hash has none of its own.
    QStringList addresses = states.addresses();
    addresses.sort();
    FavoritesList list;
    for (const QString& address : addresses)
        list.insertFavorite(list.count(), address);
    states.save(list);
    return ReadFuzzOutput(kStatesFileName);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    EnterFuzzWorkDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteFuzzInput(kStatesFileName, data, size);
    FavoriteStates loaded;
    loaded.load();
    const QByteArray first = saveAll(loaded);
    FavoriteStates reloaded;
    reloaded.load();
    const QByteArray second = saveAll(reloaded);
    if (first != second) {
        std::fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", first.constData(), second.constData());
        std::abort();
    }
    return 0;
}
