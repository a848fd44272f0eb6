// Any bytes as "nelvox.state": loading must not crash, and what a save writes must read back
// to a store that writes the very same bytes.
#include "store/FavoriteStates.h"

#include "FuzzFiles.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

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
    const QByteArray first = SaveAllBlocks(loaded, kStatesFileName);
    FavoriteStates reloaded;
    reloaded.load();
    const QByteArray second = SaveAllBlocks(reloaded, kStatesFileName);
    if (first != second) {
        std::fprintf(stderr, "saved:\n%s\nsaved again:\n%s\n", first.constData(), second.constData());
        std::abort();
    }
    return 0;
}
