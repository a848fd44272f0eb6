// A snapshot's bytes as text a reader can compare: the page's readable lines, or its own
// source lines, both decoded from the character set the page declares.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDeadlineTimer>
#include <QString>
#include <QStringList>

#include <optional>

// Pages larger than this are not read as text: their text could not be compared or shown in time.
inline constexpr qint64 kMaxPageBytes = 8 * 1024 * 1024;

class PageText {
public:
    // Reading the page's text gives up at the deadline: some pages take the parser minutes.
    explicit PageText(QByteArrayView page, QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    // The character set the page declares in a <meta charset> or <meta http-equiv=
    // "Content-Type"> tag, as written there; empty when it declares none.
    const QByteArray& declaredCharset() const { return m_declaredCharset; }

    // The text a browser would show, as lines: markup, comments, scripts and styles removed,
    // character references decoded, block elements and line breaks ending lines, table cells
    // apart by a tab, runs of white space as one space, empty lines left out. None when the
    // deadline passed first, or the page would take more memory than any real page does.
    std::optional<QStringList> readableLines() const;

    // The page's own lines, as the snapshot keeps them, decoded.
    QStringList sourceLines() const;

private:
    QString decoded() const;

    QByteArray m_page;
    QDeadlineTimer m_deadline;
    QByteArray m_declaredCharset;
};

// The bytes decoded as the named character set (UTF-8 when the name is empty or unknown).
// Bytes that are not valid in that set, and control characters, become U+FFFD.
QString DecodePageBytes(QByteArrayView bytes, const QByteArray& charset);
// The same as UTF-8, for the parser; the bytes themselves, not copied, when they are valid
// UTF-8 without control characters already.
QByteArray PageBytesAsUtf8(QByteArrayView bytes, const QByteArray& charset);
