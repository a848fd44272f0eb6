// Line end conversion for page files.
#include "platform/LineEnds.h"

#include "platform/Files.h"

#include <cstring>

void LineEndConverter::feed(QByteArrayView piece, QByteArray& out)
{
    const char* data = piece.data();
    const qsizetype size = piece.size();
    qsizetype start = 0;
    while (start < size) {
        const auto* lineFeed
            = static_cast<const char*>(std::memchr(data + start, '\n', static_cast<size_t>(size - start)));
        if (!lineFeed)
            break;
        const qsizetype length = lineFeed - (data + start);
        if (length > 0) {
            if (m_heldCr)
                out.append('\r');
            out.append(data + start, data[start + length - 1] == '\r' ? length - 1 : length);
        }
        // With nothing before the LF in this piece, a held CR was the CR of a CR LF.
        m_heldCr = false;
        out.append(kLineEnd.data(), kLineEnd.size());
        m_lineOpen = false;
        start += length + 1;
    }
    if (start == size)
        return;
    if (m_heldCr)
        out.append('\r');
    qsizetype length = size - start;
    m_heldCr = data[size - 1] == '\r';
    if (m_heldCr)
        --length;
    out.append(data + start, length);
    m_lineOpen = true;
}

void LineEndConverter::finish(QByteArray& out)
{
    // A last line without an LF keeps a CR it ends with.
    if (m_heldCr)
        out.append('\r');
    if (m_lineOpen)
        out.append(kLineEnd.data(), kLineEnd.size());
    m_heldCr = false;
    m_lineOpen = false;
}
