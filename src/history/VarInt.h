// Numbers as the history stores them inside a copy: seven bits a byte, the high bit set on every
// byte but the last.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

inline void putNumber(QByteArray& out, quint64 value)
{
    while (value >= 0x80) {
        out.append(static_cast<char>((value & 0x7f) | 0x80));
        value >>= 7;
    }
    out.append(static_cast<char>(value));
}

// Reads the number at `at` and moves past it; false when `in` ends first or the number is too long.
inline bool takeNumber(QByteArrayView in, qsizetype& at, quint64& value)
{
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        if (at >= in.size())
            return false;
        const auto byte = static_cast<quint8>(in[at++]);
        value |= static_cast<quint64>(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}
