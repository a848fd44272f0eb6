// The favorites file "nelvox.ini": a count line, then one line per favorite,
// "<Web Site> <Updates><Last Updated> <CHANGED>", every line ended by CR LF.
#pragma once

#include <QByteArray>
#include <QString>

class FavoritesList;

inline constexpr const char* kFavoritesFileName = "nelvox.ini";

// Fills an empty list from the file. False when the file cannot be opened (the list then
// stays empty); true otherwise, also when it holds no favorites.
bool LoadFavorites(FavoritesList& list, const QString& fileName = QString::fromLatin1(kFavoritesFileName));

// Writes every row in the list's order. The old file is replaced in one step, so a
// failure leaves it whole; the failure is thrown as a FileError naming the file and reason.
void SaveFavorites(const FavoritesList& list, const QString& fileName = QString::fromLatin1(kFavoritesFileName));

// The count on the first line, read the way C's atoi reads a number.
int ParseCount(const QByteArray& line);

// One favorite line split into its four cells.
struct FavoriteLine {
    QString webSite;
    QString updates;
    QString lastUpdated;
    QString changed;
};
FavoriteLine ParseFavoriteLine(const QString& line);

// A line of the file as text: UTF-8 where the bytes are valid UTF-8, Latin-1 otherwise.
QString DecodeLine(const QByteArray& bytes);
