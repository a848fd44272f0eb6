// Reading the files of one block per address.
#include "store/BlockFile.h"

void BlockFileReader::read(const QString& text) const
{
    bool inBlock = false;
    for (QStringView line : QStringView(text).tokenize(u'\n')) {
        line = line.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            block(line.sliced(1, line.size() - 2).toString());
            inBlock = true;
            continue;
        }
        if (line.isEmpty() || (!inBlock && heading.contains(line)))
            continue;
        const qsizetype equals = line.indexOf(u'=');
        if (!inBlock || equals <= 0 || !this->line(line.first(equals).trimmed(), line.sliced(equals + 1).trimmed()))
            other(line.toString());
    }
}

void AppendLines(QByteArray& text, const QStringList& lines)
{
    for (const QString& line : lines)
        text += line.toUtf8() + "\r\n";
}
