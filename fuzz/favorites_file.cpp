// Any bytes as "nelvox.ini": loading must not crash, and saving what was loaded and loading
// that again must give back the same cells in every row.
#include "store/FavoritesFile.h"
#include "store/FavoritesList.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> workDir;

void writeFile(const QString& fileName, const uint8_t* data, size_t size)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) != static_cast<qint64>(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(fileName));
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    workDir = std::make_unique<QTemporaryDir>();
    if (!workDir->isValid() || !QDir::setCurrent(workDir->path()))
        std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString fileName = QString::fromLatin1(kFavoritesFileName);
    writeFile(fileName, data, size);

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
