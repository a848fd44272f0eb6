// Steps are numbers in seven-bit groups (the lowest first, the high bit saying another group
// follows): first the length of the copy they make, then per step its length times two, plus
// one for an insertion, followed by the inserted bytes or by the offset of the run copied.
#include "history/PageDelta.h"
#include "history/VarInt.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

// Runs shorter than this are inserted: a copy step costs about as much as a few bytes.
constexpr qsizetype kBlock = 16;

quint32 blockHash(const char* bytes)
{
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < kBlock; ++i)
        hash = (hash ^ static_cast<quint8>(bytes[i])) * 16777619u;
    return hash;
}

class Steps {
public:
    explicit Steps(QByteArray& out)
        : m_out(out)
    {
    }
    void copy(qsizetype offset, qsizetype length)
    {
        if (length <= 0)
            return;
        putNumber(m_out, static_cast<quint64>(length) * 2);
        putNumber(m_out, static_cast<quint64>(offset));
    }
    void insert(QByteArrayView bytes)
    {
        if (bytes.isEmpty())
            return;
        putNumber(m_out, static_cast<quint64>(bytes.size()) * 2 + 1);
        m_out.append(bytes.data(), bytes.size());
    }

private:
    QByteArray& m_out;
};

// The middle of two copies, between what they share at both ends: runs of `target` found in
// `base` by blocks of kBlock bytes at block boundaries of `base`, grown both ways.
void middleSteps(Steps& steps, QByteArrayView base, qsizetype baseFrom, QByteArrayView target, qsizetype from,
    qsizetype to, qsizetype baseTo)
{
    QHash<quint32, qsizetype> blocks;
    for (qsizetype at = baseFrom; at + kBlock <= baseTo; at += kBlock)
        blocks.insert(blockHash(base.data() + at), at);
    qsizetype pending = from; // the start of bytes not yet written as a step
    qsizetype at = from;
    while (at + kBlock <= to) {
        const auto found = blocks.constFind(blockHash(target.data() + at));
        if (found == blocks.cend() || std::memcmp(base.data() + *found, target.data() + at, kBlock) != 0) {
            ++at;
            continue;
        }
        qsizetype start = *found;
        qsizetype targetStart = at;
        while (start > baseFrom && targetStart > pending && base[start - 1] == target[targetStart - 1]) {
            --start;
            --targetStart;
        }
        qsizetype length = at - targetStart + kBlock;
        while (start + length < baseTo && targetStart + length < to
            && base[start + length] == target[targetStart + length])
            ++length;
        steps.insert(target.sliced(pending, targetStart - pending));
        steps.copy(start, length);
        at = pending = targetStart + length;
    }
    steps.insert(target.sliced(pending, to - pending));
}

} // namespace

QByteArray MakeDelta(QByteArrayView base, QByteArrayView target)
{
    QByteArray out;
    putNumber(out, static_cast<quint64>(target.size()));
    Steps steps(out);
    const qsizetype shortest = std::min(base.size(), target.size());
    // What the copies share at the front, compared a block at a time while blocks are equal.
    qsizetype prefix = 0;
    while (prefix + kBlock <= shortest && std::memcmp(base.data() + prefix, target.data() + prefix, kBlock) == 0)
        prefix += kBlock;
    while (prefix < shortest && base[prefix] == target[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix + kBlock <= shortest - prefix
        && std::memcmp(
               base.data() + base.size() - suffix - kBlock, target.data() + target.size() - suffix - kBlock, kBlock)
            == 0)
        suffix += kBlock;
    while (suffix < shortest - prefix && base[base.size() - 1 - suffix] == target[target.size() - 1 - suffix])
        ++suffix;
    steps.copy(0, prefix);
    middleSteps(steps, base, prefix, target, prefix, target.size() - suffix, base.size() - suffix);
    steps.copy(base.size() - suffix, suffix);
    return out;
}

std::optional<QByteArray> ApplyDelta(QByteArrayView base, QByteArrayView delta, qsizetype maxBytes)
{
    qsizetype at = 0;
    quint64 total = 0;
    if (!takeNumber(delta, at, total) || total > static_cast<quint64>(maxBytes))
        return std::nullopt;
    QByteArray copy;
    copy.reserve(static_cast<qsizetype>(total));
    while (at < delta.size()) {
        quint64 step = 0;
        if (!takeNumber(delta, at, step))
            return std::nullopt;
        const quint64 length = step / 2;
        if (length == 0 || length > total - static_cast<quint64>(copy.size()))
            return std::nullopt;
        if (step & 1) {
            if (length > static_cast<quint64>(delta.size() - at))
                return std::nullopt;
            copy.append(delta.data() + at, static_cast<qsizetype>(length));
            at += static_cast<qsizetype>(length);
        } else {
            quint64 offset = 0;
            if (!takeNumber(delta, at, offset) || offset > static_cast<quint64>(base.size())
                || length > static_cast<quint64>(base.size()) - offset)
                return std::nullopt;
            copy.append(base.data() + offset, static_cast<qsizetype>(length));
        }
    }
    if (static_cast<quint64>(copy.size()) != total)
        return std::nullopt;
    return copy;
}
