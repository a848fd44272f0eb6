// The shape of the files beside the favorites file that keep something per favorite: a block
// per address, "[address]" then "key=value" lines, lines before the first block kept as they
// are. Lines end with CR LF, and a line of any other end still reads.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>

struct BlockFileReader {
    // A block starts.
    std::function<void(const QString& address)> block;
    // A line of the current block: its key and value when it has the form key=value, the line
    // as a whole in any case. Returns false when it does not know the line.
    std::function<bool(QStringView key, QStringView value)> line;
    // A line that the block did not know, or one before the first block that is not one of
    // the file's own heading.
    std::function<void(const QString& line)> other;
    QStringList heading;

    void read(const QString& text) const;
};

// Appends the lines as a block, or as the file's heading, ended by CR LF.
void AppendLines(QByteArray& text, const QStringList& lines);
