// The line ends of every page file the program writes: each line of the page as the server
// sent it, a CR right before its LF dropped, followed by CR LF; a last line without an LF
// gets one as well. The same bytes whether the page arrives in one piece or in many.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

class LineEndConverter {
public:
    // Appends the converted form of the next piece of the page to `out`.
    void feed(QByteArrayView piece, QByteArray& out);
    // Appends what the end of the page still owes: a held-back CR, the last line's end.
    void finish(QByteArray& out);

private:
    // A CR at the end of a piece: dropped if the next piece starts with an LF.
    bool m_heldCr = false;
    // Text of a line has been written whose line end has not.
    bool m_lineOpen = false;
};
