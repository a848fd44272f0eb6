// Loading and saving the favorites file.
#include "store/FavoritesFile.h"

#include "platform/Files.h"
#include "platform/NelvoxError.h"
#include "store/FavoritesList.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <climits>

namespace {

// Strips the line end: LF, or CR LF as the file is written.
QByteArray chompLine(QByteArray line)
{
    if (line.endsWith('\n')) {
        line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return line;
}

bool isCSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int ParseCount(const QByteArray& line)
{
    qsizetype i = 0;
    while (i < line.size() && isCSpace(line[i]))
        ++i;
    bool negative = false;
    if (i < line.size() && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
        // Saturate instead of overflowing on an absurd count.
        if (value <= INT_MAX)
            value = value * 10 + (line[i] - '0');
        ++i;
    }
    if (negative)
        value = -value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

QString DecodeLine(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        return QString::fromLatin1(bytes);
    return text;
}

FavoriteLine ParseFavoriteLine(const QString& line)
{
    FavoriteLine favorite;
    const qsizetype space = line.indexOf(QLatin1Char(' '));
    // Updates is the one character after the first space, or the first character of a
    // line that holds no space.
    const qsizetype updatesAt = space < 0 ? 0 : space + 1;
    if (space >= 0)
        favorite.webSite = line.left(space);
    qsizetype updatesLength = 0;
    if (updatesAt < line.size())
        updatesLength = (line.at(updatesAt).isHighSurrogate() && updatesAt + 1 < line.size()) ? 2 : 1;
    favorite.updates = line.mid(updatesAt, updatesLength);
    QString rest = line.mid(updatesAt + updatesLength);

    // Only " YES" at the very end marks a changed row.
    static const QString kChangedSuffix = QStringLiteral(" YES");
    if (rest.endsWith(kChangedSuffix)) {
        favorite.changed = QStringLiteral("YES");
        rest.chop(kChangedSuffix.size());
    }
    qsizetype end = rest.size();
    while (end > 0 && rest.at(end - 1) == QLatin1Char(' '))
        --end;
    rest.truncate(end);
    favorite.lastUpdated = rest;
    return favorite;
}

bool LoadFavorites(FavoritesList& list, const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;

    const int count = ParseCount(chompLine(file.readLine()));
    for (int i = 0; i < count; ++i) {
        // A file that ends before its count says keeps only the rows it holds.
        if (file.atEnd())
            break;
        const FavoriteLine line = ParseFavoriteLine(DecodeLine(chompLine(file.readLine())));
        Favorite favorite;
        favorite.address = line.webSite;
        favorite.readFrequency(line.updates);
        favorite.readLastUpdated(line.lastUpdated);
        favorite.readChanged(line.changed);
        list.insertFavorite(list.count(), std::move(favorite));
    }
    return true;
}

void SaveFavorites(const FavoritesList& list, const QString& fileName)
{
    const auto fail = [&fileName](const QString& reason) {
        throw FileError(QCoreApplication::translate("FavoritesFile", "Cannot save the favorites to \"%1\": %2")
                            .arg(fileName, reason));
    };
    // Replacing the file through a new one would slip past a read-only favorites file.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isWritable())
        fail(QCoreApplication::translate("FavoritesFile", "the file is read-only."));

    QByteArray text;
    text += QByteArray::number(list.count()) + "\r\n";
    for (const Favorite& row : list.rows()) {
        text += row.address.toUtf8() + ' ';
        // A damaged line read with nothing after the address has no Updates letter; the
        // separator before CHANGED would read back as one, so such a row ends here.
        const QString updates = row.frequencyText();
        const QString lastUpdated = row.lastUpdatedText();
        const bool onlyAddress = updates.isEmpty() && lastUpdated.isEmpty() && !row.changed;
        if (!onlyAddress)
            text += updates.toUtf8() + lastUpdated.toUtf8() + ' ' + row.changedText().toUtf8();
        text += "\r\n";
    }

    WriteWholeFile(
        fileName, text, QCoreApplication::translate("FavoritesFile", "Cannot save the favorites to \"%1\": %2"));
}
