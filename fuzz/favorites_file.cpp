// Any bytes as "nelvox.ini": loading must not crash, and saving what was loaded and loading
// that again must give back the same cells in every row.
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

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
    WriteFuzzInput(kFavoritesFileName, data, size);

    FavoritesList loaded;
    if (!LoadFavorites(loaded))
        std::abort();
    SaveFavorites(loaded);
    FavoritesList reloaded;
    if (!LoadFavorites(reloaded))
        std::abort();

    if (reloaded.count() != loaded.count()) {
        std::fprintf(stderr, "%d rows loaded, %d after a save\n", loaded.count(), reloaded.count());
        std::abort();
    }
    for (int row = 0; row < loaded.count(); ++row) {
        for (int column = 0; column < FavoritesList::ColumnCount; ++column) {
            if (loaded.text(row, column) != reloaded.text(row, column)) {
                std::fprintf(stderr, "row %d column %d: \"%s\" loaded, \"%s\" after a save\n", row, column,
                    qPrintable(loaded.text(row, column)), qPrintable(reloaded.text(row, column)));
                std::abort();
            }
        }
    }
    return 0;
}
